#pragma once
// What the engine needs from whoever calls it: an information box that waits for the user,
// and a place that shows the last clip record text saved or read.

#include <string>

namespace ostrevan {

class EngineUi {
 public:
  virtual ~EngineUi() = default;
  // Shows an information message and returns once the user has closed it.
  virtual void ShowInfo(const std::string& text) = 0;
  // The clip record text just saved or read (CR LF line breaks).
  virtual void ShowRecordText(const std::string& /*text*/) {}
};

}  // namespace ostrevan
