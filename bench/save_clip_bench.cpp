// A 10-minute clip of 16-bit stereo 44,100 Hz (105,840,000 bytes) cut from minute 10 of a
// long source, warm cache. The source is sparse except for the clip's range, which holds
// real bytes and is read once before timing. The time should not depend on the source's length,
// and should stay close to a plain copy of the same range (BM_PlainCopy).

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_files.h"
#include "engine_error.h"
#include "load_wave.h"
#include "save_clip.h"
#include "texts.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipStartMinute = 10;
constexpr int64_t kClipMinutes = 10;

// range(1) = 1: the progress reported after every block, as the window and a terminal have it.
void BM_SaveClip(benchmark::State& state) {
  const int64_t sourceMinutes = state.range(0);
  const bool reporting = state.range(1) != 0;
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
  const std::string recordPath = RecordPathFor(clipPath);
  SilentUi silent;
  ReportingUi reportingUi;
  SilentUi& ui = reporting ? reportingUi : silent;
  for (auto _ : state) {
    // Each run is a first cut: the clip and its record do not exist yet.
    state.PauseTiming();
    std::remove(clipPath.c_str());
    std::remove(recordPath.c_str());
    state.ResumeTiming();
    try {
      SaveClip(wave, length, start, source.path(), ClipMode::StartMinute, ui);
    } catch (const EngineError& error) {
      state.SkipWithError(error.what());
      break;
    }
  }
  if (!state.error_occurred() && ui.last() != Text(texts::kFinished)) {
    state.SkipWithError("the cut did not finish");
  }
  std::remove(clipPath.c_str());
  std::remove(recordPath.c_str());
  state.SetBytesProcessed(state.iterations() * clipBytes);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source" + (reporting ? ", progress reported" : ""));
}
BENCHMARK(BM_SaveClip)
    ->Args({30, 0})
    ->Args({30, 1})
    ->Args({180, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// The floor in the same process: the same range copied with plain pread/write through a
// buffer of the engine's block size into a new file, as dd does. False on any failure.
bool PlainCopy(const std::string& from, int64_t position, int64_t size, const std::string& to,
               std::vector<unsigned char>& buffer) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = in >= 0 && out >= 0;
  for (int64_t done = 0; ok && done < size;) {
    const auto piece = static_cast<size_t>(std::min<int64_t>(size - done, static_cast<int64_t>(buffer.size())));
    const ssize_t got = ::pread(in, buffer.data(), piece, position + done);
    ok = got > 0 && ::write(out, buffer.data(), static_cast<size_t>(got)) == got;
    done += got;
  }
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
  return ok;
}

void BM_PlainCopy(benchmark::State& state) {
  const int64_t sourceMinutes = state.range(0);
  ScratchFile source("plain-copy-source.wav");
  ScratchFile copy("plain-copy.raw");
  WriteSparseWave(source.path(), static_cast<uint64_t>(sourceMinutes * kBytesPerMinute));
  const int64_t clipOffset = kClipStartMinute * kBytesPerMinute;
  const int64_t clipBytes = kClipMinutes * kBytesPerMinute;
  FillAudio(source.path(), clipOffset, clipBytes);
  WarmCache(source.path(), kCanonicalHeaderSize + clipOffset, clipBytes);
  std::vector<unsigned char> buffer(4 * 1024 * 1024);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(copy.path().c_str());
    state.ResumeTiming();
    if (!PlainCopy(source.path(), kCanonicalHeaderSize + clipOffset, clipBytes, copy.path(), buffer)) {
      state.SkipWithError("plain copy failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * clipBytes);
  state.SetLabel(std::to_string(sourceMinutes) + "-minute source");
}
BENCHMARK(BM_PlainCopy)->Arg(180)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace ostrevan::bench
