#pragma once
// Sources and clips for the fault tests: a mono 8-bit source at 8000 Hz (a minute is
// 480,000 bytes), a clip cut from it by the engine, and the same clip edited in place.

#include <string>

#include "test_files.h"

namespace ostrevan::testing {

inline constexpr int64_t kMinute = 480000;

struct SourceWithClip {
  ScratchDir dir;
  std::string source;
  std::string clip;
  std::string record;
  Bytes sourceBytes;
  Bytes editedAudio;  // what the clip's audio holds after EditClip

  // A source of `minutes` minutes named `name`, and a clip of its minute `startMinute`.
  explicit SourceWithClip(int minutes = 2, const std::string& name = "take.wav", int startMinute = 0);
  // Overwrites the clip's audio with bytes that differ from the source's.
  void EditClip(uint32_t pattern = 77);
  int64_t DataStart() const { return 44; }
  int64_t ClipOffset() const { return startMinute_ * kMinute; }

 private:
  int startMinute_;
};

// True when `after` equals `before` everywhere but [from, to).
bool SameOutside(const Bytes& before, const Bytes& after, int64_t from, int64_t to);

}  // namespace ostrevan::testing
