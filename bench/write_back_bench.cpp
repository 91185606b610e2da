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
  // One untimed run: the clip is in the cache and the setup's writes are on the disk.
  WriteBackClips(records, ui);
  for (auto _ : state) {
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
  std::remove(clipPath.c_str());
  std::remove(records[0].c_str());
  state.SetBytesProcessed(state.iterations() * kClipMinutes * kBytesPerMinute);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source");
}
BENCHMARK(BM_WriteBackClips)->Arg(30)->Arg(180)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace ostrevan::bench
