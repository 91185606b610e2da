// What the record's fingerprint costs, each pair in the same run on the same warm 10-minute
// range (105,840,000 bytes of 16-bit stereo 44,100 Hz):
// - the cut's copy with the fingerprint hashed in the same pass, against the copy alone;
// - the whole write-back (hashing the source's range and the clip before writing), against
//   the in-place copy and flush it would be without the check.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_files.h"
#include "block_copy.h"
#include "file.h"
#include "fingerprint.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipBytes = 10 * kBytesPerMinute;
constexpr int64_t kClipOffset = 10 * kBytesPerMinute;

void BM_CutCopy(benchmark::State& state) {
  const bool hashed = state.range(0) != 0;
  ScratchFile source("fingerprint-source.wav");
  ScratchFile clip("fingerprint-clip.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(30 * kBytesPerMinute));
  FillAudio(source.path(), kClipOffset, kClipBytes);
  WarmCache(source.path(), kCanonicalHeaderSize + kClipOffset, kClipBytes);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(clip.path().c_str());
    state.ResumeTiming();
    File from, to;
    if (!from.Open(source.path(), FileMode::ReadExclusive) || !to.Open(clip.path(), FileMode::CreateEmpty)) {
      state.SkipWithError("cannot open");
      break;
    }
    Fingerprint fingerprint;
    CopyRange(from, kCanonicalHeaderSize + kClipOffset, kClipBytes, to, kCanonicalHeaderSize, kClipBytes,
              hashed ? &fingerprint : nullptr);
    benchmark::DoNotOptimize(fingerprint.Text());
  }
  state.SetBytesProcessed(state.iterations() * kClipBytes);
  state.SetLabel(hashed ? "copy and fingerprint" : "copy alone");
}
BENCHMARK(BM_CutCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_WriteBackCopy(benchmark::State& state) {
  const bool checked = state.range(0) != 0;
  ScratchFile source("fingerprint-wb-source.wav");
  ScratchFile clip("fingerprint-wb-clip.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(30 * kBytesPerMinute));
  FillAudio(source.path(), kClipOffset, kClipBytes);
  WriteSparseWave(clip.path(), static_cast<uint64_t>(kClipBytes));
  FillAudio(clip.path(), 0, kClipBytes);
  WarmCache(clip.path(), kCanonicalHeaderSize, kClipBytes);
  const int64_t at = kCanonicalHeaderSize + kClipOffset;
  for (auto _ : state) {
    File to, from;
    if (!to.Open(source.path(), FileMode::ReadWriteExclusive) || !from.Open(clip.path(), FileMode::ReadExclusive)) {
      state.SkipWithError("cannot open");
      break;
    }
    if (checked) {
      benchmark::DoNotOptimize(FingerprintOfRange(from, kCanonicalHeaderSize, kClipBytes, kClipBytes));
      benchmark::DoNotOptimize(FingerprintOfRange(to, at, kClipBytes, kClipBytes));
    }
    CopyRange(from, kCanonicalHeaderSize, kClipBytes, to, at, kClipBytes);
    if (!to.Flush()) {
      state.SkipWithError("flush failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * kClipBytes);
  state.SetLabel(checked ? "both ranges hashed, copy, flush" : "copy and flush alone");
}
BENCHMARK(BM_WriteBackCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

}  // namespace
}  // namespace ostrevan::bench
