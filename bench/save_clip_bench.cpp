// A 10-minute clip of 16-bit stereo 44,100 Hz (105,840,000 bytes) cut from minute 10 of a
// long source, warm cache. The source is sparse except for the clip's range, which holds
// real bytes and is read once before timing. The time should not depend on the source's length.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_files.h"
#include "load_wave.h"
#include "save_clip.h"
#include "texts.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipStartMinute = 10;
constexpr int64_t kClipMinutes = 10;

void BM_SaveClip(benchmark::State& state) {
  const int64_t sourceMinutes = state.range(0);
  ScratchFile source("save-clip-source.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(sourceMinutes * kBytesPerMinute));
  const int64_t clipOffset = kClipStartMinute * kBytesPerMinute;
  const int64_t clipBytes = kClipMinutes * kBytesPerMinute;
  FillAudio(source.path(), clipOffset, clipBytes);
  WarmCache(source.path(), kCanonicalHeaderSize + clipOffset, clipBytes);

  LoadedWave wave;
  LoadWave(source.path(), wave);
  const std::string start = std::to_string(kClipStartMinute);
  const std::string length = std::to_string(kClipMinutes);
  const std::string clipPath = ClipPathFor(source.path(), start, length, ClipMode::StartMinute);
  SilentUi ui;
  for (auto _ : state) {
    SaveClip(wave, length, start, source.path(), ClipMode::StartMinute, ui);
  }
  if (ui.last() != Text(texts::kFinished)) state.SkipWithError("the cut did not finish");
  std::remove(clipPath.c_str());
  std::remove(RecordPathFor(clipPath).c_str());
  state.SetBytesProcessed(state.iterations() * clipBytes);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source");
}
BENCHMARK(BM_SaveClip)->Arg(30)->Arg(180)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace ostrevan::bench
