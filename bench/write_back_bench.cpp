// Write-back of a 10-minute clip (105,840,000 bytes) into a 30-minute and a 3-hour source.
// Only the clip's range of the source is written (then put on the disk), so the time should
// not grow with the source's length. Each run includes the flush to the disk.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_files.h"
#include "engine_error.h"
#include "load_wave.h"
#include "save_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipStartMinute = 10;
constexpr int64_t kClipMinutes = 10;

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
    try {
      WriteBackClips(records, ui);
    } catch (const EngineError& error) {
      state.SkipWithError(error.what());
      break;
    }
  }
  if (!state.error_occurred() && ui.last() != Text(texts::kFinished)) {
    state.SkipWithError("the write-back did not finish");
  }
  for (const std::string& path : {clipPath, records[0], edits[0], edits[1]}) std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * kClipMinutes * kBytesPerMinute);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source");
}
BENCHMARK(BM_WriteBackClips)->Arg(30)->Arg(180)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace ostrevan::bench
