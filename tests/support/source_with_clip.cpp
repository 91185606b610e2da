#include "source_with_clip.h"

#include <algorithm>

#include "clip_record.h"
#include "load_wave.h"

namespace ostrevan::testing {

std::string CutClip(const std::string& source, const std::string& length, const std::string& start, EngineUi& ui,
                    ClipMode mode) {
  LoadedWave wave;
  LoadWave(source, wave);
  SaveClip(wave, length, start, source, mode, ui);
  return RecordPathFor(ClipPathFor(source, start, length, mode));
}

std::string CutClip(const std::string& source, const std::string& length, const std::string& start) {
  RecordingUi ui;
  return CutClip(source, length, start, ui);
}

std::string ClipOf(const std::string& recordPath) { return PathWithoutExtension(recordPath) + ".wav"; }

std::vector<std::string> RecordHead(const std::string& recordPath) {
  const RecordLines lines = ReadRecordLines(recordPath);
  return {lines.lines[0], lines.lines[1], lines.lines[2]};
}

SourceWithClip::SourceWithClip(int minutes, const std::string& name, int startMinute, const std::string& parent)
    : dir(parent), source(dir.File(name)), startMinute_(startMinute) {
  sourceBytes = MakeWave(TestFormat(), PatternBytes(uint64_t{kMinute} * static_cast<uint64_t>(minutes)));
  WriteFile(source, sourceBytes);
  const std::string start = std::to_string(startMinute);
  record = CutClip(source, "1", start);
  clip = ClipPathFor(source, start, "1", ClipMode::StartMinute);
}

void SourceWithClip::EditClip(uint32_t pattern) {
  editedAudio = PatternBytes(kMinute, pattern);
  WriteFile(clip, MakeWave(TestFormat(), editedAudio));
}

bool SameOutside(const Bytes& before, const Bytes& after, int64_t from, int64_t to) {
  if (before.size() != after.size()) return false;
  return std::equal(before.begin(), before.begin() + from, after.begin()) &&
         std::equal(before.begin() + to, before.end(), after.begin() + to);
}

}  // namespace ostrevan::testing
