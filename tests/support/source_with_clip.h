#pragma once
// A source and a clip cut from it by the engine, the way a user makes them: the source in
// the test format, the clip and its record beside it, and the clip edited in place.

#include <string>
#include <vector>

#include "engine_ui.h"
#include "save_clip.h"
#include "test_waves.h"

namespace ostrevan::testing {

// Loads `source` and cuts the clip of `length` minutes at start minute `start` (in
// ClipMode::FromEnd, `start` is not read), reporting to `ui`; returns the record's path.
std::string CutClip(const std::string& source, const std::string& length, const std::string& start, EngineUi& ui,
                    ClipMode mode = ClipMode::StartMinute);
std::string CutClip(const std::string& source, const std::string& length, const std::string& start);

// The clip beside a record.
std::string ClipOf(const std::string& recordPath);

// The first three lines of a record file: offset, byte count, source path.
std::vector<std::string> RecordHead(const std::string& recordPath);

struct SourceWithClip {
  ScratchDir dir;
  std::string source;
  std::string clip;
  std::string record;
  Bytes sourceBytes;
  Bytes editedAudio;  // what the clip's audio holds after EditClip

  // A source of `minutes` minutes named `name`, and a one-minute clip of its minute
  // `startMinute`; in a scratch folder inside `parent` when one is given.
  explicit SourceWithClip(int minutes = 2, const std::string& name = "take.wav", int startMinute = 0,
                          const std::string& parent = "");
  // Overwrites the clip's audio with bytes that differ from the source's.
  void EditClip(uint32_t pattern = 77);
  int64_t DataStart() const { return 44; }
  int64_t ClipOffset() const { return int64_t{startMinute_} * kMinute; }

 private:
  int startMinute_;
};

// True when `after` equals `before` everywhere but [from, to).
bool SameOutside(const Bytes& before, const Bytes& after, int64_t from, int64_t to);

}  // namespace ostrevan::testing
