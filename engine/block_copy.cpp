#include "block_copy.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine_error.h"
#include "engine_ui.h"
#include "fingerprint.h"
#include "texts.h"

namespace ostrevan {

void WriteExactly(File& to, int64_t position, const void* bytes, size_t size) {
  if (to.WriteAt(position, bytes, size) != size) throw EngineError(Text(texts::kWriteError));
}

void WorkMeter::Add(uint64_t bytes) {
  done_ += bytes;
  if (!ui_.Progress(path_, done_, total_)) throw StopRequested{};
}

namespace {
// Each thread keeps its buffer between passes: a new 4 MiB buffer is a thousand page faults
// when first touched, which on a virtual machine costs more than hashing a cached 10-minute
// clip. A pass started during another finds none kept and makes its own.
thread_local std::vector<unsigned char> keptBuffer;
}  // namespace

void ReadOrZeros(File& from, int64_t fromPos, uint64_t available, uint64_t done, unsigned char* out, size_t size) {
  size_t got = 0;
  if (done < available) {
    const auto wanted = static_cast<size_t>(std::min<uint64_t>(size, available - done));
    got = from.ReadAt(fromPos + static_cast<int64_t>(done), out, wanted);
  }
  std::memset(out + got, 0, size - got);
}

void ForEachBlock(File& from, int64_t fromPos, uint64_t available, uint64_t count,
                  const std::function<void(uint64_t done, const unsigned char* bytes, size_t size)>& visit,
                  WorkMeter* meter) {
  const auto block = static_cast<size_t>(std::min<uint64_t>(count, kCopyBlockSize));
  std::vector<unsigned char> buffer = std::move(keptBuffer);
  if (buffer.size() < block) buffer.resize(block);
  uint64_t done = 0;
  while (done < count) {
    const auto piece = static_cast<size_t>(std::min<uint64_t>(count - done, block));
    ReadOrZeros(from, fromPos, available, done, buffer.data(), piece);
    visit(done, buffer.data(), piece);
    done += piece;
    if (meter) meter->Add(piece);
  }
  keptBuffer = std::move(buffer);
}

void CopyRange(File& from, int64_t fromPos, uint64_t available, File& to, int64_t toPos, uint64_t count,
               Fingerprint* copied, WorkMeter* meter) {
  ForEachBlock(
      from, fromPos, available, count,
      [&](uint64_t done, const unsigned char* bytes, size_t size) {
        if (copied) copied->Update(bytes, size);
        WriteExactly(to, toPos + static_cast<int64_t>(done), bytes, size);
      },
      meter);
}

std::string FingerprintOfRange(File& from, int64_t fromPos, uint64_t available, uint64_t count, WorkMeter* meter) {
  Fingerprint fingerprint;
  ForEachBlock(
      from, fromPos, available, count,
      [&](uint64_t, const unsigned char* bytes, size_t size) { fingerprint.Update(bytes, size); }, meter);
  return fingerprint.Text();
}

}  // namespace ostrevan
