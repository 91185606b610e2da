#include "save_clip.h"

#include <algorithm>
#include <cstdint>

#include "block_copy.h"
#include "clip_header.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "fingerprint.h"
#include "integer_text.h"
#include "texts.h"

namespace ostrevan {

namespace {

// minutes x bytes per minute, saturated: a byte count beyond any file is cut to the audio anyway.
int64_t MinutesToBytes(int64_t minutes, uint64_t bytesPerMinute) {
  if (bytesPerMinute == 0) return 0;
  const uint64_t magnitude = static_cast<uint64_t>(minutes < 0 ? -minutes : minutes);
  const uint64_t most = static_cast<uint64_t>(INT64_MAX) / bytesPerMinute;
  const int64_t bytes = magnitude > most ? INT64_MAX : static_cast<int64_t>(magnitude * bytesPerMinute);
  return minutes < 0 ? -bytes : bytes;
}

// The source as it is now has the layout that was loaded: the cut's numbers still apply.
bool IsTheLoadedFile(File& source, const LoadedWave& wave) {
  const std::optional<AudioLayout> layout = ReadAudioLayout(source);
  return layout && layout->dataTagPos == wave.dataTagPos && layout->AudioSize() == wave.dataSize &&
         layout->format == wave.format && layout->format.sampleRate == wave.sampleRate &&
         layout->format.blockAlign == wave.blockAlign;
}

// A record keeps the path as one line: a line break would split it, a NUL end it.
bool HoldsLineBreakOrNul(const std::string& path) {
  return path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace

std::string ClipPathFor(const std::string& sourcePath, const std::string& startMinuteText,
                        const std::string& lengthText, ClipMode mode) {
  const std::string base = PathWithoutExtension(sourcePath);
  if (mode == ClipMode::StartMinute) return base + "-" + startMinuteText + "-" + lengthText + ".wav";
  return base + "-L-" + lengthText + ".wav";
}

std::string RecordPathFor(const std::string& clipPath) { return PathWithoutExtension(clipPath) + ".ini"; }

void SaveClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
              const std::string& sourcePath, ClipMode mode, EngineUi& ui) {
  const int32_t lengthMinutes = ParseIntegerText(lengthText);
  const uint64_t bytesPerMinute = static_cast<uint64_t>(wave.sampleRate) * wave.blockAlign * 60;
  int64_t clipBytes = MinutesToBytes(lengthMinutes, bytesPerMinute);
  if (clipBytes < 0) throw EngineError(Text(texts::kRangeCheck));

  const auto dataSize = static_cast<int64_t>(wave.dataSize);
  int64_t clipOffset = 0;
  if (mode == ClipMode::StartMinute) {
    clipOffset = MinutesToBytes(ParseIntegerText(startMinuteText), bytesPerMinute);
    if (clipOffset < 0) throw EngineError(Text(texts::kRangeCheck));
    if (clipBytes > 0 && clipOffset >= dataSize) {
      ui.ShowInfo(Text(texts::kStartBeyondEnd));
      return;
    }
    // A clip holds only audio: it ends where the audio data ends.
    clipBytes = std::min(clipBytes, std::max<int64_t>(0, dataSize - clipOffset));
  } else {
    // Counted from the last whole frame, so the clip's samples stay aligned.
    const int64_t wholeFrames = wave.blockAlign == 0 ? dataSize : dataSize - dataSize % wave.blockAlign;
    if (clipBytes > wholeFrames) {
      ui.ShowInfo(Text(texts::kClipTooLong));
      return;
    }
    clipOffset = wholeFrames - clipBytes;
  }
  if (HoldsLineBreakOrNul(sourcePath)) throw EngineError(FormatText(texts::kPathNotRecordable, sourcePath));
  const std::string clipPath = ClipPathFor(sourcePath, startMinuteText, lengthText, mode);
  const std::string recordPath = RecordPathFor(clipPath);

  Fingerprint cut;
  {
    File source;
    if (!source.Open(sourcePath, FileMode::ReadExclusive)) {
      throw EngineError(FormatText(texts::kCannotOpen, sourcePath));
    }
    if (!IsTheLoadedFile(source, wave)) {
      ui.ShowInfo(FormatText(texts::kChangedSinceLoad, sourcePath));
      return;
    }
    File clip;
    if (!clip.Open(clipPath, FileMode::CreateExclusive)) throw EngineError(FormatText(texts::kCannotCreate, clipPath));
    const std::string header = ClipHeaderBytes(wave, static_cast<uint64_t>(clipBytes));
    // Hashed as it is copied, so the record's fingerprint costs no extra read.
    WriteExactly(clip, 0, header.data(), header.size());
    const auto count = static_cast<uint64_t>(clipBytes);
    // An empty clip reads nothing; its offset may lie beyond any position a file can have.
    if (count > 0) {
      CopyRange(source, wave.dataTagPos + 8 + clipOffset, count, clip, static_cast<int64_t>(header.size()), count,
                &cut);
    }
    source.Close();
  }

  const std::string recordText = ComposeRecordText({clipOffset, clipBytes, sourcePath, cut.Text()});
  ui.ShowRecordText(recordText);
  {
    File record;
    if (!record.Open(recordPath, FileMode::CreateExclusive)) {
      throw EngineError(FormatText(texts::kCannotCreate, recordPath));
    }
    WriteExactly(record, 0, recordText.data(), recordText.size());
  }
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
