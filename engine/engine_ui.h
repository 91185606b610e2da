#pragma once
// What the engine needs from whoever calls it: an information box that waits for the user,
// and a place that shows the last clip record text saved or read.

#include <cstdint>
#include <string>

namespace ostrevan {

class EngineUi {
 public:
  virtual ~EngineUi() = default;
  // Shows an information message and returns once the user has closed it.
  virtual void ShowInfo(const std::string& text) = 0;
  // The clip record text just saved or read (CR LF line breaks).
  virtual void ShowRecordText(const std::string& /*text*/) {}
  // Told between the blocks of a cut's or a write-back's copies: `done` of `total` bytes of
  // the work on `path` (the clip being cut, or the source being written). Returning false
  // stops it: a cut then leaves no clip and no record, a write-back puts the range back as
  // it was, and the information box says so.
  virtual bool Progress(const std::string& /*path*/, uint64_t /*done*/, uint64_t /*total*/) { return true; }
  // Told before a write-back writes into the source `path`: `size` bytes of its audio from
  // `offset` (counted from the start of the audio) will change, or be put back as they were.
  virtual void SourceWriting(const std::string& /*path*/, uint64_t /*offset*/, uint64_t /*size*/) {}
};

}  // namespace ostrevan
