#include "save_clip.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "block_copy.h"
#include "clip_header.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "fingerprint.h"
#include "integer_text.h"
#include "new_file.h"
#include "pair_files.h"
#include "record_facts.h"
#include "write_back_plan.h"
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

// The source as it is now is the recording that was loaded: the cut's numbers still apply.
bool IsTheLoadedFile(const std::string& sourcePath, File& source, const LoadedWave& wave) {
  const std::optional<AudioLayout> now = ReadAudioLayout(source);
  return now && wave.IsStill(sourcePath, *now);
}

// Before a cut replaces the pair of `recordPath` with `fresh`: a clip that holds what its
// record says was cut or last written back, or what is being cut now, is replaced; any other
// (edited and not written back, or unreadable), or a pair that a stopped run left, is moved
// aside with its record, undo files and journals under a free name, and that clip's path is
// returned. An undo pair that belongs to another range is moved aside alone, and a record
// of another range is removed: the new clip must never lie beside it, not even for a moment.
std::string KeepEditedClipAside(const std::string& recordPath, const ClipRecord& fresh) {
  // A move aside that a power cut stopped half way is finished first.
  if (const std::optional<HalfMove> half = FinishHalfMove(recordPath)) {
    if (!half->undoOnly) return ClipPathOfRecord(half->toRecordPath);
  }
  for (const CutStep step : PlanKeepAside(GatherCutPairFacts(recordPath), fresh)) {
    switch (step) {
      case CutStep::MovePairAside: {
        const std::string aside = FreeRecordPathBeside(recordPath);
        MovePair(recordPath, aside, false);
        return ClipPathOfRecord(aside);
      }
      case CutStep::MoveUndoAside: MovePair(recordPath, FreeRecordPathBeside(recordPath), true); break;
      case CutStep::RemoveRecord:
        if (!RemoveFile(recordPath)) throw EngineError(FormatText(texts::kCannotCreate, recordPath));
        if (!SyncFolderOf(recordPath)) throw EngineError(Text(texts::kWriteError));
        break;
    }
  }
  return "";
}

// A clip or record that another program holds (the editor the clip is open in) is not
// replaced or moved from under it.
void RefuseHeldFiles(const std::string& recordPath) {
  for (const std::string& path : {ClipPathOfRecord(recordPath), recordPath}) {
    File file;
    if (FileExists(path) && !file.Open(path, FileMode::ReadShared)) {
      throw EngineError(FormatText(texts::kCannotCreate, path));
    }
  }
}

// A record keeps the path as one line: a line break would split it, a NUL end it.
bool HoldsLineBreakOrNul(const std::string& path) {
  return path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace

std::string ClipPathFor(const std::string& sourcePath, const std::string& startMinuteText,
                        const std::string& lengthText, ClipMode mode) {
  const std::string base = PathWithoutExtension(sourcePath);
  const std::string length = AsciiDigitsAndSigns(lengthText);
  if (mode == ClipMode::StartMinute) return base + "-" + AsciiDigitsAndSigns(startMinuteText) + "-" + length + ".wav";
  return base + "-L-" + length + ".wav";
}

std::string RecordPathFor(const std::string& clipPath) { return PathWithoutExtension(clipPath) + ".ini"; }

ClipPlan PlanClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
                  ClipMode mode) {
  const LoadedPlayTime& time = wave.playTime;
  // An empty clip is no clip: a length of 0 is refused as a negative one is.
  const int32_t lengthMinutes = ParseIntegerText(AsciiDigitsAndSigns(lengthText));
  if (lengthMinutes < 1) throw EngineError(Text(texts::kRangeCheck));
  const uint64_t bytesPerMinute = static_cast<uint64_t>(time.sampleRate) * time.blockAlign * 60;
  int64_t clipBytes = MinutesToBytes(lengthMinutes, bytesPerMinute);

  const auto dataSize = static_cast<int64_t>(time.audioSize);
  int64_t clipOffset = 0;
  if (mode == ClipMode::StartMinute) {
    clipOffset = MinutesToBytes(ParseIntegerText(AsciiDigitsAndSigns(startMinuteText)), bytesPerMinute);
    if (clipOffset < 0) throw EngineError(Text(texts::kRangeCheck));
    if (clipBytes > 0 && clipOffset >= dataSize) return {0, 0, Text(texts::kStartBeyondEnd)};
    // A clip holds only audio: it ends where the audio data ends.
    clipBytes = std::min(clipBytes, std::max<int64_t>(0, dataSize - clipOffset));
  } else {
    // Counted from the last whole frame, so the clip's samples stay aligned.
    const int64_t wholeFrames = time.blockAlign == 0 ? dataSize : dataSize - dataSize % time.blockAlign;
    if (clipBytes > wholeFrames) return {0, 0, Text(texts::kClipTooLong)};
    clipOffset = wholeFrames - clipBytes;
  }
  return {clipOffset, clipBytes, ""};
}

void SaveClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
              const std::string& sourcePath, ClipMode mode, EngineUi& ui) {
  const ClipPlan plan = PlanClip(wave, lengthText, startMinuteText, mode);
  if (!plan.refusal.empty()) {
    ui.ShowInfo(plan.refusal);
    return;
  }
  if (HoldsLineBreakOrNul(sourcePath)) throw EngineError(FormatText(texts::kPathNotRecordable, sourcePath));
  const std::string clipPath = ClipPathFor(sourcePath, startMinuteText, lengthText, mode);
  const std::string recordPath = RecordPathFor(clipPath);

  Fingerprint cut;
  std::string keptAside;
  try {
    // Names the pair will need later (an undo, a journal) are checked before anything is made.
    RefuseNamesTooLong(recordPath);
    File source;
    if (!source.Open(sourcePath, FileMode::ReadExclusive)) {
      throw EngineError(FormatText(texts::kCannotOpen, sourcePath));
    }
    if (!IsTheLoadedFile(sourcePath, source, wave)) {
      ui.ShowInfo(FormatText(texts::kChangedSinceLoad, sourcePath));
      return;
    }
    RefuseHeldFiles(recordPath);
    // Written under a new name and renamed into place: a cut stopped half way leaves no half
    // clip, and the clip it replaces stays whole until the new one is complete.
    NewFile clip(clipPath);
    const auto count = static_cast<uint64_t>(plan.bytes);
    const std::string header = ClipHeaderBytes(wave.layout, count);
    // Hashed as it is copied, so the record's fingerprint costs no extra read.
    WriteExactly(clip.file(), 0, header.data(), header.size());
    // An empty clip reads nothing; its offset may lie beyond any position a file can have.
    if (count > 0) {
      WorkMeter meter(ui, clipPath, count);
      CopyRange(source, wave.layout.DataStart() + plan.offset, count, clip.file(),
                static_cast<int64_t>(header.size()), count, &cut, &meter);
    }
    const ClipRecord record{plan.offset, plan.bytes, sourcePath, cut.Text()};
    keptAside = KeepEditedClipAside(recordPath, record);
    // On the disk, name and all, before the record that names it: the user may unplug the
    // disk as soon as the cut says it is done.
    clip.Commit();
    ui.ShowRecordText(ComposeRecordText(record));
    WriteRecordFile(recordPath, record);
    // The source stays locked until here: a write-back of this pair waits for the record.
  } catch (const StopRequested&) {
    // The new clip was only ever under its ".new" name, and is gone.
    ui.ShowInfo(FormatText(texts::kCutStopped, clipPath));
    return;
  }
  if (!keptAside.empty()) ui.ShowInfo(FormatText(texts::kKeptAside, keptAside));
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
