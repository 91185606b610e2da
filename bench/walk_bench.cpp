// Loading files whose audio lies behind other chunks: the chunk walk reads one 8-byte header
// per chunk, so a 64 MiB chunk before fmt or before the data costs the same as none, and the
// load's time does not grow with the file (each case runs on 1 MiB and 4 GiB of audio). The
// byte scan for "data" (FindDataTag, the fallback for broken chains) on the same file reads
// the whole chunk. A broadcast wave with bext, iXML and JUNK before the audio is the
// everyday case.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_files.h"
#include "file.h"
#include "little_endian.h"
#include "load_wave.h"
#include "wave_format.h"

namespace ostrevan::bench {
namespace {

struct Filler {
  const char* id;
  uint64_t size;
  std::string text;  // the body's first bytes; the rest never forms "data"
};

void PutAll(int fd, int64_t position, const void* bytes, size_t size) {
  if (::pwrite(fd, bytes, size, static_cast<off_t>(position)) != static_cast<ssize_t>(size)) {
    throw std::runtime_error("short write in benchmark setup");
  }
}

// Writes the chunk's header and body at `position`; returns where the next chunk starts.
int64_t WriteChunk(int fd, int64_t position, const Filler& chunk) {
  unsigned char head[8];
  std::memcpy(head, chunk.id, 4);
  WriteU32(head + 4, static_cast<uint32_t>(chunk.size));
  PutAll(fd, position, head, sizeof head);
  static const char kPattern[] = "datdadaatdatdta";
  std::vector<unsigned char> block(size_t{4} << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(kPattern[i % 15]);
  std::copy(chunk.text.begin(), chunk.text.end(), block.begin());
  for (uint64_t done = 0; done < chunk.size;) {
    const auto piece = static_cast<size_t>(std::min<uint64_t>(chunk.size - done, block.size()));
    PutAll(fd, position + 8 + static_cast<int64_t>(done), block.data(), piece);
    done += piece;
    if (done == piece) {  // the text opens the body only
      for (size_t i = 0; i < chunk.text.size(); ++i) block[i] = static_cast<unsigned char>(kPattern[i % 15]);
    }
  }
  return position + 8 + static_cast<int64_t>(chunk.size + (chunk.size & 1));
}

// RIFF, the chunks before fmt, a 16-byte fmt chunk, the chunks before the data, the data
// chunk's header and `audioSize` bytes of sparse audio. Returns the data chunk's position.
int64_t WriteLaidOut(const std::string& path, const std::vector<Filler>& beforeFmt,
                     const std::vector<Filler>& beforeData, uint64_t audioSize) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  int64_t position = 12;
  for (const Filler& chunk : beforeFmt) position = WriteChunk(fd, position, chunk);
  unsigned char fmt[24];
  std::memcpy(fmt, "fmt ", 4);
  WriteU32(fmt + 4, 16);
  WriteU16(fmt + 8, 1);
  WriteU16(fmt + 10, 2);
  WriteU32(fmt + 12, kSampleRate);
  WriteU32(fmt + 16, kSampleRate * kBlockAlign);
  WriteU16(fmt + 20, kBlockAlign);
  WriteU16(fmt + 22, 16);
  PutAll(fd, position, fmt, sizeof fmt);
  position += sizeof fmt;
  for (const Filler& chunk : beforeData) position = WriteChunk(fd, position, chunk);
  const int64_t dataTagPos = position;
  unsigned char data[8];
  std::memcpy(data, "data", 4);
  WriteU32(data + 4, static_cast<uint32_t>(std::min<uint64_t>(audioSize, UINT32_MAX - 1)));
  PutAll(fd, position, data, sizeof data);
  const int64_t end = position + 8 + static_cast<int64_t>(audioSize);
  unsigned char riff[12];
  std::memcpy(riff, "RIFF", 4);
  WriteU32(riff + 4, static_cast<uint32_t>(std::min<int64_t>(end - 8, UINT32_MAX)));
  std::memcpy(riff + 8, "WAVE", 4);
  PutAll(fd, 0, riff, sizeof riff);
  if (::ftruncate(fd, static_cast<off_t>(end)) != 0) throw std::runtime_error("cannot size " + path);
  ::close(fd);
  return dataTagPos;
}

constexpr int64_t kBigChunk = int64_t{64} << 20;

std::string SizeLabel(int64_t audio) { return audio >= (int64_t{1} << 30) ? "4 GiB of audio" : "1 MiB of audio"; }

void LoadLoop(benchmark::State& state, const std::string& path, int64_t dataTagPos) {
  for (auto _ : state) {
    LoadedWave wave;
    benchmark::DoNotOptimize(LoadWave(path, wave));
    if (wave.layout.dataTagPos != dataTagPos) {
      state.SkipWithError("the data chunk was found at the wrong place");
      break;
    }
  }
}

void BM_Load_64MiBChunkBeforeFmt(benchmark::State& state) {
  ScratchFile wav("walk-before-fmt.wav");
  const int64_t tag = WriteLaidOut(wav.path(), {{"JUNK", kBigChunk, ""}}, {}, static_cast<uint64_t>(state.range(0)));
  LoadLoop(state, wav.path(), tag);
  state.SetLabel(SizeLabel(state.range(0)));
}
BENCHMARK(BM_Load_64MiBChunkBeforeFmt)->Arg(int64_t{1} << 20)->Arg(int64_t{4} << 30)->Unit(benchmark::kMicrosecond);

void BM_Load_64MiBChunkBeforeData(benchmark::State& state) {
  ScratchFile wav("walk-before-data.wav");
  const int64_t tag = WriteLaidOut(wav.path(), {}, {{"junk", kBigChunk, ""}}, static_cast<uint64_t>(state.range(0)));
  LoadLoop(state, wav.path(), tag);
  state.SetLabel(SizeLabel(state.range(0)));
}
BENCHMARK(BM_Load_64MiBChunkBeforeData)->Arg(int64_t{1} << 20)->Arg(int64_t{4} << 30)->Unit(benchmark::kMicrosecond);

// The byte scan on the same file: it reads the whole 64 MiB chunk to reach the tag.
void BM_FindDataTag_64MiBChunkBeforeData(benchmark::State& state) {
  ScratchFile wav("scan-before-data.wav");
  const int64_t tag = WriteLaidOut(wav.path(), {}, {{"junk", kBigChunk, ""}}, uint64_t{1} << 20);
  File file;
  if (!file.Open(wav.path(), FileMode::ReadExclusive)) {
    state.SkipWithError("cannot open the scratch file");
    return;
  }
  for (auto _ : state) {
    if (FindDataTag(file) != tag) {
      state.SkipWithError("tag found at the wrong place");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * kBigChunk);
}
BENCHMARK(BM_FindDataTag_64MiBChunkBeforeData)->Unit(benchmark::kMillisecond);

// A broadcast wave as field recorders write it: JUNK placeholder, bext whose description
// says "data", fmt, iXML notes, then the audio.
void BM_Load_BroadcastWave(benchmark::State& state) {
  ScratchFile wav("walk-bwf.wav");
  const int64_t tag = WriteLaidOut(
      wav.path(), {{"JUNK", 28, ""}, {"bext", 602, "Card 2 data, river bank"}},
      {{"iXML", 4096, "<?xml version=\"1.0\"?><BWFXML><NOTE>data take 3</NOTE>"}}, static_cast<uint64_t>(state.range(0)));
  LoadLoop(state, wav.path(), tag);
  state.SetLabel(SizeLabel(state.range(0)));
}
BENCHMARK(BM_Load_BroadcastWave)->Arg(int64_t{1} << 20)->Arg(int64_t{4} << 30)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ostrevan::bench
