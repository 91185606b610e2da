// Write-back of a 10-minute clip (105,840,000 bytes) into a 30-minute and a 3-hour source.
// Only the clip's range of the source is written (then put on the disk), so the time should
// not grow with the source's length. Each run includes the flush to the disk.
//
// What the undo costs, in one run on the same kind of files: BM_WriteBackWithUndo is a first
// write-back (the range's bytes saved as the undo clip and record, on the disk, before the
// source is written); BM_WriteBackWithoutUndo is the sequence the write-back was before the
// undo, made of the engine's public pieces: both ranges hashed, the clip copied over the
// range, one flush, the record renewed.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_files.h"
#include "block_copy.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "load_wave.h"
#include "pair_files.h"
#include "save_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipStartMinute = 10;
constexpr int64_t kClipMinutes = 10;

// The files a write-back leaves beside a record besides the clip and the record itself.
void RemoveUndoFiles(const std::string& recordPath) {
  for (const std::string& path : {UndoClipPathOf(recordPath), UndoRecordPathOf(recordPath),
                                  JournalPathOf(recordPath), JournalPathOf(UndoRecordPathOf(recordPath))}) {
    std::remove(path.c_str());
  }
}

// The timed runs are later write-backs: the untimed first run made the undo clip, so each of
// them saves what it replaces as a journal first.
// One write-back in the timed part; false, with the benchmark skipped, when it fails.
bool TimedWriteBack(benchmark::State& state, const std::vector<std::string>& records, EngineUi& ui) {
  try {
    WriteBackClips(records, ui);
    return true;
  } catch (const EngineError& error) {
    state.SkipWithError(error.what());
    return false;
  }
}

void BM_WriteBackClips(benchmark::State& state) {
  const int64_t sourceMinutes = state.range(0);
  ScratchFile source("write-back-source.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(sourceMinutes * kBytesPerMinute));
  FillAudio(source.path(), kClipStartMinute * kBytesPerMinute, kClipMinutes * kBytesPerMinute);

  LoadedWave wave;
  LoadWave(source.path(), wave);
  const std::string start = std::to_string(kClipStartMinute);
  const std::string length = std::to_string(kClipMinutes);
  const std::string clipPath = ClipPathFor(source.path(), start, length, ClipMode::StartMinute);
  const std::vector<std::string> records{RecordPathFor(clipPath)};
  SilentUi ui;
  SaveClip(wave, length, start, source.path(), ClipMode::StartMinute, ui);
  // Two edits taken in turn, so that every run really writes: a range that holds the clip
  // already is not written again.
  const std::string edits[2] = {clipPath + ".a", clipPath + ".b"};
  for (int i = 0; i < 2; ++i) {
    WriteSparseWave(edits[i], static_cast<uint64_t>(kClipMinutes * kBytesPerMinute));
    FillAudio(edits[i], i, kClipMinutes * kBytesPerMinute - 1);
  }
  // One untimed run: the clip is in the cache and the setup's writes are on the disk.
  std::rename(edits[0].c_str(), clipPath.c_str());
  WriteBackClips(records, ui);
  int next = 1;
  for (auto _ : state) {
    state.PauseTiming();
    std::rename(clipPath.c_str(), edits[1 - next].c_str());
    std::rename(edits[next].c_str(), clipPath.c_str());
    next = 1 - next;
    state.ResumeTiming();
    if (!TimedWriteBack(state, records, ui)) break;
  }
  if (!state.error_occurred() && ui.last() != Text(texts::kFinished)) {
    state.SkipWithError("the write-back did not finish");
  }
  for (const std::string& path : {clipPath, records[0], edits[0], edits[1]}) std::remove(path.c_str());
  RemoveUndoFiles(records[0]);
  state.SetBytesProcessed(state.iterations() * kClipMinutes * kBytesPerMinute);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source");
}
BENCHMARK(BM_WriteBackClips)->Arg(30)->Arg(180)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A 30-minute source with a 10-minute clip cut from minute 10 and edited. Reset() puts back
// the state every run of the pair starts from: the range as it was cut (on the disk), the
// record as the cut wrote it, no undo or journal files.
class UndoPair {
 public:
  UndoPair() {
    WriteSparseWave(source_.path(), static_cast<uint64_t>(30 * kBytesPerMinute));
    FillAudio(source_.path(), kClipStartMinute * kBytesPerMinute, kClipMinutes * kBytesPerMinute);
    LoadedWave wave;
    LoadWave(source_.path(), wave);
    const std::string start = std::to_string(kClipStartMinute);
    const std::string length = std::to_string(kClipMinutes);
    clipPath_ = ClipPathFor(source_.path(), start, length, ClipMode::StartMinute);
    recordPath_ = RecordPathFor(clipPath_);
    SilentUi ui;
    SaveClip(wave, length, start, source_.path(), ClipMode::StartMinute, ui);
    cut_ = ParseClipRecord(recordPath_, ReadRecordLines(recordPath_));
    // The edit: other bytes over the whole clip.
    WriteSparseWave(clipPath_, static_cast<uint64_t>(kClipMinutes * kBytesPerMinute));
    FillAudio(clipPath_, 1, kClipMinutes * kBytesPerMinute - 1);
    SyncFile(clipPath_);
  }
  ~UndoPair() {
    RemoveUndoFiles(recordPath_);
    std::remove(clipPath_.c_str());
    std::remove(recordPath_.c_str());
  }
  UndoPair(const UndoPair&) = delete;
  UndoPair& operator=(const UndoPair&) = delete;

  void Reset() {
    FillAudio(source_.path(), kClipStartMinute * kBytesPerMinute, kClipMinutes * kBytesPerMinute);
    SyncFile(source_.path());
    RemoveUndoFiles(recordPath_);
    WriteRecordFile(recordPath_, cut_);
  }

  const std::string& source() const { return source_.path(); }
  const std::string& clipPath() const { return clipPath_; }
  const std::string& recordPath() const { return recordPath_; }
  const ClipRecord& cut() const { return cut_; }

 private:
  ScratchFile source_{"undo-source.wav"};
  std::string clipPath_;
  std::string recordPath_;
  ClipRecord cut_;
};

// range(0) = 1: the progress reported after every block, as the window and a terminal have it.
void BM_WriteBackWithUndo(benchmark::State& state) {
  UndoPair pair;
  const std::vector<std::string> records{pair.recordPath()};
  SilentUi silent;
  ReportingUi reporting;
  SilentUi& ui = state.range(0) != 0 ? reporting : silent;
  for (auto _ : state) {
    state.PauseTiming();
    pair.Reset();
    state.ResumeTiming();
    if (!TimedWriteBack(state, records, ui)) break;
  }
  if (!state.error_occurred() && (ui.last() != Text(texts::kFinished) || !FileExists(UndoClipPathOf(records[0])))) {
    state.SkipWithError("the write-back did not finish with an undo clip");
  }
  state.SetBytesProcessed(state.iterations() * kClipMinutes * kBytesPerMinute);
  state.SetLabel(std::string("first write-back: undo clip and record, then the source") +
                 (state.range(0) != 0 ? ", progress reported" : ""));
}
BENCHMARK(BM_WriteBackWithUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

void BM_WriteBackWithoutUndo(benchmark::State& state) {
  UndoPair pair;
  for (auto _ : state) {
    state.PauseTiming();
    pair.Reset();
    state.ResumeTiming();
    try {
      File source, clip;
      if (!source.Open(pair.source(), FileMode::ReadWriteExclusive) ||
          !clip.Open(pair.clipPath(), FileMode::ReadExclusive)) {
        state.SkipWithError("cannot open");
        break;
      }
      const AudioLayout sourceLayout = ReadCuttableLayout(source, pair.source());
      const AudioLayout clipLayout = ReadCuttableLayout(clip, pair.clipPath());
      const auto bytes = static_cast<uint64_t>(pair.cut().clipBytes);
      const int64_t at = sourceLayout.DataStart() + pair.cut().clipOffset;
      ClipRecord renewed = pair.cut();
      renewed.fingerprint = FingerprintOfRange(clip, clipLayout.DataStart(), clipLayout.AudioSize(), bytes);
      if (FingerprintOfRange(source, at, bytes, bytes) != pair.cut().fingerprint) {
        state.SkipWithError("the range does not hold what was cut");
        break;
      }
      CopyRange(clip, clipLayout.DataStart(), clipLayout.AudioSize(), source, at, bytes);
      if (!source.Flush()) {
        state.SkipWithError("flush failed");
        break;
      }
      source.Close();
      clip.Close();
      WriteRecordFile(pair.recordPath(), renewed);
    } catch (const EngineError& error) {
      state.SkipWithError(error.what());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * kClipMinutes * kBytesPerMinute);
  state.SetLabel("before the undo: hashes, copy, flush, record");
}
BENCHMARK(BM_WriteBackWithoutUndo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

}  // namespace
}  // namespace ostrevan::bench
