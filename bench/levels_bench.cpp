// The level scan: its per-sample loops on a block in the cache (the portable loop and the AVX2
// one of each kind), and the whole scan of a warm 10-minute file against a plain read of the
// same bytes in the same blocks, the floor it is meant to reach.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench_files.h"
#include "cpu_features.h"
#include "file.h"
#include "level_kernels.h"
#include "level_scan.h"
#include "load_wave.h"

namespace ostrevan::bench {
namespace {

constexpr size_t kBlock = 1024 * 1024;

struct NamedKernel {
  const char* name;
  level_kernels::Kernel kernel;
  size_t width;
  bool avx2;
};

const NamedKernel kKernels[] = {
    {"8-bit", level_kernels::Unsigned8, 1, false},
    {"16-bit", level_kernels::Signed16, 2, false},
    {"24-bit", level_kernels::Signed24, 3, false},
    {"32-bit", level_kernels::Signed32, 4, false},
    {"32-bit float", level_kernels::Float32, 4, false},
    {"64-bit float", level_kernels::Float64, 8, false},
    {"mu-law", level_kernels::MuLaw, 1, false},
#if OSTREVAN_LEVELS_AVX2
    {"16-bit AVX2", level_kernels::Signed16Avx2, 2, true},
    {"24-bit AVX2", level_kernels::Signed24Avx2, 3, true},
#endif
};

void BM_LevelKernel(benchmark::State& state) {
  const NamedKernel& named = kKernels[state.range(0)];
  if (named.avx2 && !HasAvx2()) {
    state.SkipWithError("no AVX2 here");
    return;
  }
  std::vector<unsigned char> block(kBlock);
  uint32_t noise = 0x12345678;
  for (auto& b : block) {
    noise = noise * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(noise >> 24);
  }
  const size_t count = kBlock / named.width;
  for (auto _ : state) benchmark::DoNotOptimize(named.kernel(block.data(), count));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * count * named.width));
  state.SetLabel(named.name);
}
BENCHMARK(BM_LevelKernel)->DenseRange(0, sizeof kKernels / sizeof kKernels[0] - 1);

struct Discard : LevelSink {
  void Scanned(int64_t, const MinuteLevel& level) override { benchmark::DoNotOptimize(level.peak); }
};

void BM_ScanTenMinutes(benchmark::State& state) {
  const bool scan = state.range(0) != 0;
  constexpr int64_t kAudio = 10 * kBytesPerMinute;
  ScratchFile source("levels.wav");
  WriteSparseWave(source.path(), static_cast<uint64_t>(kAudio));
  FillAudio(source.path(), 0, kAudio);
  WarmCache(source.path(), kCanonicalHeaderSize, kAudio);
  LoadedWave wave;
  LoadWave(source.path(), wave);
  std::vector<unsigned char> block(kBlock);
  for (auto _ : state) {
    if (scan) {
      Discard sink;
      benchmark::DoNotOptimize(ScanLevelsOf(source.path(), wave.layout, 0, 10, sink));
      continue;
    }
    File file;
    if (!file.Open(source.path(), FileMode::ReadShared)) {
      state.SkipWithError("cannot open");
      break;
    }
    for (int64_t done = 0; done < kAudio; done += kBlock) {
      benchmark::DoNotOptimize(file.ReadAt(kCanonicalHeaderSize + done, block.data(), kBlock));
    }
  }
  state.SetBytesProcessed(state.iterations() * kAudio);
  state.SetLabel(scan ? "level scan" : "read alone, one thread");
}
BENCHMARK(BM_ScanTenMinutes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ostrevan::bench
