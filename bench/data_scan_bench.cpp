// The search for "data" through a long chunk before the audio (a recorder's metadata or a
// big "junk" chunk): the engine's block scan against one seek and one 4-byte read per
// position, which is what a straightforward reading of the format does. The baseline is
// slow enough that it runs over a smaller chunk; compare the bytes-per-second rates.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <optional>

#include "bench_files.h"
#include "file.h"
#include "wave_format.h"

namespace ostrevan::bench {
namespace {

// The baseline: seek to each position in turn and read 4 bytes there.
std::optional<int64_t> FindDataTagOneReadPerPosition(int fd) {
  for (int64_t position = kDataScanStart;; ++position) {
    unsigned char bytes[4];
    if (::lseek(fd, static_cast<off_t>(position), SEEK_SET) < 0) return std::nullopt;
    if (::read(fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) return std::nullopt;
    if (std::memcmp(bytes, "data", 4) == 0) return position;
  }
}

constexpr int64_t kTagPosAfter(int64_t fillerSize) { return 36 + 8 + fillerSize; }

void BM_FindDataTag_Blocks(benchmark::State& state) {
  const int64_t filler = state.range(0);
  ScratchFile wav("scan-blocks.wav");
  WriteWaveWithFiller(wav.path(), static_cast<uint64_t>(filler), 1024);
  File file;
  if (!file.Open(wav.path(), FileMode::ReadExclusive)) {
    state.SkipWithError("cannot open the scratch file");
    return;
  }
  for (auto _ : state) {
    const std::optional<int64_t> found = FindDataTag(file);
    if (found != kTagPosAfter(filler)) {
      state.SkipWithError("tag found at the wrong place");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * filler);
}
BENCHMARK(BM_FindDataTag_Blocks)->Arg(int64_t{1} << 20)->Arg(int64_t{64} << 20)->Unit(benchmark::kMillisecond);

void BM_FindDataTag_OneReadPerPosition(benchmark::State& state) {
  const int64_t filler = state.range(0);
  ScratchFile wav("scan-naive.wav");
  WriteWaveWithFiller(wav.path(), static_cast<uint64_t>(filler), 1024);
  const int fd = ::open(wav.path().c_str(), O_RDONLY);
  if (fd < 0) {
    state.SkipWithError("cannot open the scratch file");
    return;
  }
  for (auto _ : state) {
    const std::optional<int64_t> found = FindDataTagOneReadPerPosition(fd);
    if (found != kTagPosAfter(filler)) {
      state.SkipWithError("tag found at the wrong place");
      break;
    }
  }
  ::close(fd);
  state.SetBytesProcessed(state.iterations() * filler);
}
// 1 MiB is two million system calls; 64 MiB would take minutes.
BENCHMARK(BM_FindDataTag_OneReadPerPosition)->Arg(int64_t{1} << 20)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace ostrevan::bench
