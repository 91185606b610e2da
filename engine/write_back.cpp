#include "write_back.h"

#include <algorithm>

#include "block_copy.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "integer_text.h"
#include "load_wave.h"
#include "texts.h"
#include "wave_format.h"

namespace ostrevan {

namespace {

void WriteBackOne(const std::string& recordPath, const ClipRecord& record) {
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
  // An empty range may lie anywhere, even past the end: it writes nothing.
  const uint64_t writeBytes = record.clipOffset >= audioSize
                                  ? 0
                                  : static_cast<uint64_t>(std::min(record.clipBytes, audioSize - record.clipOffset));

  File clip;
  if (!clip.Open(clipPath, FileMode::ReadExclusive)) throw EngineError(FormatText(texts::kCannotOpen, clipPath));
  const AudioLayout clipLayout = ReadCuttableLayout(clip, clipPath);
  if (clipLayout.format != sourceLayout.format) throw EngineError(FormatText(texts::kFormatMismatch, clipPath));
  // A clip that ends before its own header says is a broken copy, not an edit.
  if (clipLayout.statedBeyondFile) throw EngineError(FormatText(texts::kClipCutShort, clipPath));

  // Everything that can refuse this record has been checked: only now is the source written.
  if (writeBytes > 0) {
    CopyRange(clip, clipLayout.DataStart(), clipLayout.AudioSize(), source, sourceLayout.DataStart() + record.clipOffset,
              writeBytes);
  }
  if (!source.Flush()) throw EngineError(Text(texts::kWriteError));
  source.Close();
  clip.Close();
}

}  // namespace

void WriteBackClips(const std::vector<std::string>& recordPaths, EngineUi& ui) {
  for (const std::string& recordPath : recordPaths) {
    const RecordLines lines = ReadRecordLines(recordPath);
    ui.ShowRecordText(lines.text);
    ClipRecord record;
    record.clipOffset = ParseInteger64Text(lines.lines[0]);
    record.clipBytes = ParseInteger64Text(lines.lines[1]);
    record.sourcePath = lines.lines[2];
    if (!FileExists(record.sourcePath)) {
      ui.ShowInfo(Text(texts::kSourceMissing) + record.sourcePath);
      return;
    }
    WriteBackOne(recordPath, record);
  }
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
