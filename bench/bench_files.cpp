#include "bench_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "little_endian.h"
#include "test_waves.h"

namespace ostrevan::bench {

namespace {

constexpr size_t kIoBlock = 4 * 1024 * 1024;

// Owns a POSIX descriptor; the helpers raise on any failure so a broken setup is never timed.
class Fd {
 public:
  Fd(const std::string& path, int flags) : fd_(::open(path.c_str(), flags, 0644)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
  }
  ~Fd() { ::close(fd_); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

void WriteAll(int fd, int64_t position, const void* bytes, size_t size) {
  if (::pwrite(fd, bytes, size, static_cast<off_t>(position)) != static_cast<ssize_t>(size)) {
    throw std::runtime_error("short write in benchmark setup");
  }
}

// The recordings the benchmarks stand for, as the test toolkit writes them.
ostrevan::testing::WaveShape BenchShape() { return ostrevan::testing::SampleShape(1, 2, kSampleRate, 16); }

uint32_t Clamp32(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); }

}  // namespace

std::string ScratchDir() {
  const char* dir = std::getenv("OSTREVAN_BENCH_DIR");
  return dir && *dir ? dir : "/tmp";
}

ScratchFile::ScratchFile(const std::string& name)
    : path_(ScratchDir() + "/ostrevan-bench-" + std::to_string(::getpid()) + "-" + name) {}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

void WriteSparseWave(const std::string& path, uint64_t dataSize) {
  const ostrevan::testing::Bytes header = ostrevan::testing::WaveHead(BenchShape(), dataSize);
  Fd fd(path, O_RDWR | O_CREAT | O_TRUNC);
  WriteAll(fd.get(), 0, header.data(), header.size());
  if (::ftruncate(fd.get(), static_cast<off_t>(header.size() + dataSize)) != 0) {
    throw std::runtime_error("cannot size " + path);
  }
}

void WriteWaveWithFiller(const std::string& path, uint64_t fillerSize, uint64_t dataSize) {
  // The toolkit's header with a junk chunk's header before the data chunk's; the junk chunk's
  // body goes between them.
  ostrevan::testing::WaveShape shape = BenchShape();
  shape.chunksBeforeData = {'j', 'u', 'n', 'k', 0, 0, 0, 0};
  WriteU32(&shape.chunksBeforeData[4], Clamp32(fillerSize));
  ostrevan::testing::Bytes head = ostrevan::testing::WaveHead(shape, dataSize);
  WriteU32(&head[4], Clamp32(head.size() - 8 + fillerSize + dataSize));
  const size_t dataChunkAt = head.size() - 8;
  Fd fd(path, O_RDWR | O_CREAT | O_TRUNC);
  WriteAll(fd.get(), 0, head.data(), dataChunkAt);
  // Letters of "dat" but never "data": every position makes the scan compare a few bytes.
  static const char kPattern[] = "datdadaatdatdta";
  constexpr size_t kPatternSize = sizeof kPattern - 1;
  std::vector<unsigned char> block(kIoBlock / kPatternSize * kPatternSize);  // whole repeats only
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(kPattern[i % kPatternSize]);
  auto position = static_cast<int64_t>(dataChunkAt);
  for (uint64_t left = fillerSize; left > 0;) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    WriteAll(fd.get(), position, block.data(), piece);
    position += static_cast<int64_t>(piece);
    left -= piece;
  }
  WriteAll(fd.get(), position, head.data() + dataChunkAt, 8);
  if (::ftruncate(fd.get(), static_cast<off_t>(position + 8 + static_cast<int64_t>(dataSize))) != 0) {
    throw std::runtime_error("cannot size " + path);
  }
}

void FillAudio(const std::string& path, int64_t offset, int64_t size) {
  Fd fd(path, O_RDWR);
  std::vector<unsigned char> block(kIoBlock);
  uint32_t noise = 0x12345678;
  for (auto& b : block) {
    noise = noise * 1664525u + 1013904223u;  // a plain LCG: bytes that are not all alike
    b = static_cast<unsigned char>(noise >> 24);
  }
  for (int64_t done = 0; done < size;) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(size - done, static_cast<int64_t>(block.size())));
    WriteAll(fd.get(), kCanonicalHeaderSize + offset + done, block.data(), piece);
    done += static_cast<int64_t>(piece);
  }
}

void WarmCache(const std::string& path, int64_t offset, int64_t size) {
  Fd fd(path, O_RDONLY);
  std::vector<unsigned char> block(kIoBlock);
  for (int64_t done = 0; done < size;) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(size - done, static_cast<int64_t>(block.size())));
    if (::pread(fd.get(), block.data(), piece, static_cast<off_t>(offset + done)) <= 0) break;
    done += static_cast<int64_t>(piece);
  }
}

void SyncFile(const std::string& path) {
  Fd fd(path, O_RDONLY);
  if (::fsync(fd.get()) != 0) throw std::runtime_error("cannot flush " + path);
}

}  // namespace ostrevan::bench
