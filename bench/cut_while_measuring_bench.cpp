// A cut of one minute out of a 60-minute 16-bit stereo recording, warm cache, as the window
// makes it: with the minute map's scan of the same file running (range(0) = 1) or not. The
// window pauses the scan (it closes the file) before the cut and goes on after it, so the two
// should take the same time within noise.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "bench_files.h"
#include "engine_error.h"
#include "level_scanner.h"
#include "load_wave.h"
#include "save_clip.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kSourceMinutes = 60;

void BM_CutWhileMeasuring(benchmark::State& state) {
  const bool measuring = state.range(0) != 0;
  ScratchFile source("cut-while-measuring.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(kSourceMinutes * kBytesPerMinute));
  FillAudio(source.path(), 0, kSourceMinutes * kBytesPerMinute);
  WarmCache(source.path(), kCanonicalHeaderSize, kSourceMinutes * kBytesPerMinute);
  LoadedWave wave;
  LoadWave(source.path(), wave);
  const std::string clipPath = ClipPathFor(source.path(), "30", "1", ClipMode::StartMinute);
  rules::LevelScanner scanner([] {});
  SilentUi ui;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(clipPath.c_str());
    std::remove(RecordPathFor(clipPath).c_str());
    if (measuring) {
      // Under way, as when the user presses "WAV保存" while the map fills.
      scanner.Begin(source.path(), wave.layout);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    state.ResumeTiming();
    scanner.Pause();
    try {
      SaveClip(wave, "1", "30", source.path(), ClipMode::StartMinute, ui);
    } catch (const EngineError& error) {
      state.SkipWithError(error.what());
      break;
    }
    scanner.Resume();
  }
  scanner.Forget();
  std::remove(clipPath.c_str());
  std::remove(RecordPathFor(clipPath).c_str());
  state.SetLabel(measuring ? "map being measured" : "no scan");
}
BENCHMARK(BM_CutWhileMeasuring)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace ostrevan::bench
