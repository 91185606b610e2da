// Loading reads the header, scans for "data" from position 36 and asks for the file's
// length: nothing of the audio is read, so a 4 GiB file loads as fast as a 1 MiB one.

#include <benchmark/benchmark.h>

#include "bench_files.h"
#include "load_wave.h"

namespace ostrevan::bench {
namespace {

void BM_LoadWave(benchmark::State& state) {
  const auto fileSize = static_cast<uint64_t>(state.range(0));
  ScratchFile source("load.wav");
  WriteSparseWave(source.path(), fileSize - kCanonicalHeaderSize);
  for (auto _ : state) {
    LoadedWave wave;
    benchmark::DoNotOptimize(LoadWave(source.path(), wave));
  }
  state.SetLabel(fileSize >= (uint64_t{1} << 30) ? "4 GiB sparse file" : "1 MiB file");
}
BENCHMARK(BM_LoadWave)->Arg(int64_t{1} << 20)->Arg(int64_t{4} << 30)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ostrevan::bench
