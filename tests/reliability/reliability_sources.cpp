#include "reliability_sources.h"

#include <algorithm>

#include "load_wave.h"
#include "save_clip.h"

namespace ostrevan::testing {

SourceWithClip::SourceWithClip(int minutes, const std::string& name, int startMinute)
    : source(dir.File(name)), startMinute_(startMinute) {
  sourceBytes = MakeWave(Mono8000(), PatternBytes(static_cast<uint64_t>(minutes * kMinute)));
  WriteFile(source, sourceBytes);
  LoadedWave wave;
  LoadWave(source, wave);
  RecordingUi ui;
  const std::string start = std::to_string(startMinute);
  SaveClip(wave, "1", start, source, ClipMode::StartMinute, ui);
  clip = ClipPathFor(source, start, "1", ClipMode::StartMinute);
  record = RecordPathFor(clip);
}

void SourceWithClip::EditClip(uint32_t pattern) {
  editedAudio = PatternBytes(kMinute, pattern);
  WriteFile(clip, MakeWave(Mono8000(), editedAudio));
}

bool SameOutside(const Bytes& before, const Bytes& after, int64_t from, int64_t to) {
  if (before.size() != after.size()) return false;
  return std::equal(before.begin(), before.begin() + from, after.begin()) &&
         std::equal(before.begin() + to, before.end(), after.begin() + to);
}

}  // namespace ostrevan::testing
