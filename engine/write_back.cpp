#include "write_back.h"

#include <algorithm>
#include <cstring>

#include "block_copy.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "fingerprint.h"
#include "integer_text.h"
#include "load_wave.h"
#include "texts.h"
#include "wave_format.h"

namespace ostrevan {

namespace {

ClipRecord ParseRecord(const std::string& recordPath, const RecordLines& lines) {
  ClipRecord record;
  record.clipOffset = ParseInteger64Text(lines.lines[0]);
  record.clipBytes = ParseInteger64Text(lines.lines[1]);
  record.sourcePath = lines.lines[2];
  // Other text after the third line is ignored, as it always was; a fingerprint line that
  // is damaged is refused rather than taken as no fingerprint.
  if (lines.lines[3].compare(0, std::strlen(kFingerprintPrefix), kFingerprintPrefix) == 0) {
    const std::optional<std::string> fingerprint = ParseFingerprintLine(lines.lines[3]);
    if (!fingerprint) throw EngineError(FormatText(texts::kFingerprintUnreadable, recordPath));
    record.fingerprint = *fingerprint;
  }
  return record;
}

// Writes the record anew beside itself, puts it on the disk and renames it over the old one:
// a run stopped at any moment leaves the old record or the new one, never a broken one.
void ReplaceRecord(const std::string& recordPath, const ClipRecord& record) {
  const std::string text = ComposeRecordText(record);
  const std::string newPath = recordPath + ".new";
  {
    File file;
    if (!file.Open(newPath, FileMode::CreateExclusive)) throw EngineError(FormatText(texts::kCannotCreate, newPath));
    const bool written = file.WriteAt(0, text.data(), text.size()) == text.size() && file.Flush();
    file.Close();
    if (!written) {
      RemoveFile(newPath);
      throw EngineError(Text(texts::kWriteError));
    }
  }
  // On Windows a record that another program holds open cannot be replaced; the source is
  // written by then, and the user is told so.
  if (!ReplaceFileWith(newPath, recordPath)) {
    RemoveFile(newPath);
    throw EngineError(FormatText(texts::kRecordNotUpdated, recordPath));
  }
}

// Returns the fingerprint of what the source's range holds afterwards: the clip's audio.
std::string WriteBackOne(const std::string& recordPath, const ClipRecord& record) {
  const std::string clipPath = PathWithoutExtension(recordPath) + ".wav";
  if (record.clipBytes < 0) throw EngineError(Text(texts::kRangeCheck));

  File source;
  if (!source.Open(record.sourcePath, FileMode::ReadWriteExclusive)) {
    throw EngineError(FormatText(texts::kCannotOpen, record.sourcePath));
  }
  const AudioLayout sourceLayout = ReadCuttableLayout(source, record.sourcePath);

  // Writes stay inside the source's audio data as it is now.
  const auto audioSize = static_cast<int64_t>(sourceLayout.AudioSize());
  if (record.clipOffset < 0 || (record.clipBytes > 0 && record.clipOffset >= audioSize)) {
    throw EngineError(FormatText(texts::kRangeOutsideData, recordPath));
  }
  // A cut always starts on a whole frame: an offset between frames was not made by a cut.
  const uint16_t frame = sourceLayout.format.blockAlign;
  if (frame != 0 && record.clipOffset % frame != 0) {
    throw EngineError(FormatText(texts::kSourceChangedSinceCut, record.sourcePath));
  }
  // An empty range may lie anywhere, even past the end: it writes nothing.
  const uint64_t writeBytes = record.clipOffset >= audioSize
                                  ? 0
                                  : static_cast<uint64_t>(std::min(record.clipBytes, audioSize - record.clipOffset));
  // An empty range's offset may be any number: it is not added to a position.
  const int64_t writeAt = sourceLayout.DataStart() + (writeBytes == 0 ? 0 : record.clipOffset);

  File clip;
  if (!clip.Open(clipPath, FileMode::ReadExclusive)) throw EngineError(FormatText(texts::kCannotOpen, clipPath));
  const AudioLayout clipLayout = ReadCuttableLayout(clip, clipPath);
  if (clipLayout.format != sourceLayout.format) throw EngineError(FormatText(texts::kFormatMismatch, clipPath));
  // A clip that ends before its own header says is a broken copy, not an edit.
  if (clipLayout.statedBeyondFile) throw EngineError(FormatText(texts::kClipCutShort, clipPath));

  // The clip is read whole before the source is touched, so a clip that cannot be read
  // leaves the source as it was.
  const std::string clipAudio = FingerprintOfRange(clip, clipLayout.DataStart(), clipLayout.AudioSize(), writeBytes);
  const std::string now = FingerprintOfRange(source, writeAt, writeBytes, writeBytes);
  // The range must still hold what was cut (or last written) there, or hold the clip's audio
  // already (a run repeated, or stopped after the source's write).
  if (!record.fingerprint.empty() && now != record.fingerprint && now != clipAudio) {
    throw EngineError(FormatText(texts::kSourceChangedSinceCut, record.sourcePath));
  }

  // Everything that can refuse this record has been checked: only now is the source written.
  if (now != clipAudio) CopyRange(clip, clipLayout.DataStart(), clipLayout.AudioSize(), source, writeAt, writeBytes);
  // Flushed even when the range held the clip already: an earlier run may have stopped
  // before its bytes reached the disk.
  if (!source.Flush()) throw EngineError(Text(texts::kWriteError));
  return clipAudio;
}

}  // namespace

void WriteBackClips(const std::vector<std::string>& recordPaths, EngineUi& ui) {
  for (const std::string& recordPath : recordPaths) {
    const RecordLines lines = ReadRecordLines(recordPath);
    ui.ShowRecordText(lines.text);
    ClipRecord record = ParseRecord(recordPath, lines);
    if (!FileExists(record.sourcePath)) {
      ui.ShowInfo(Text(texts::kSourceMissing) + record.sourcePath);
      return;
    }
    const std::string holds = WriteBackOne(recordPath, record);
    // The record now names what the range holds, so the clip can be edited and written again.
    if (holds != record.fingerprint) {
      record.fingerprint = holds;
      ReplaceRecord(recordPath, record);
    }
  }
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
