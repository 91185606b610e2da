#pragma once
// Moves a byte range from one file to another through one reused buffer of a few MiB,
// so memory does not grow with the size of a clip or a source.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "file.h"

namespace ostrevan {

class EngineUi;
class Fingerprint;

// Thrown from a WorkMeter when the user asked to stop; caught by the operation that runs it.
struct StopRequested {};

// Counts the bytes an operation has moved and hands them to its UI between blocks.
class WorkMeter {
 public:
  WorkMeter(EngineUi& ui, std::string path, uint64_t total) : ui_(ui), path_(std::move(path)), total_(total) {}
  // Counts `bytes` done; raises StopRequested when the UI says stop.
  void Add(uint64_t bytes);
  // Counts `bytes` more of work than was first expected.
  void Expect(uint64_t bytes) { total_ += bytes; }

 private:
  EngineUi& ui_;
  std::string path_;
  uint64_t total_;
  uint64_t done_ = 0;
};

inline constexpr size_t kCopyBlockSize = 4 * 1024 * 1024;

// Reads the `size` bytes at `done` of a range of `from` that starts at `fromPos` into `out`.
// Only the range's first `available` bytes come from `from`; the rest, and whatever a short
// read leaves, are zero bytes.
void ReadOrZeros(File& from, int64_t fromPos, uint64_t available, uint64_t done, unsigned char* out, size_t size);

// Hands `count` bytes of `from` at `fromPos` to `visit`, block by block, in order. Only the
// first `available` bytes come from `from`; the rest, and whatever a short read leaves, are
// zero bytes.
void ForEachBlock(File& from, int64_t fromPos, uint64_t available, uint64_t count,
                  const std::function<void(uint64_t done, const unsigned char* bytes, size_t size)>& visit,
                  WorkMeter* meter = nullptr);

// Copies those bytes to `to` at `toPos`, and gives them to `copied` too when it is set.
// Raises "ストリームへの書き込みエラー" when `to` takes fewer bytes than written.
void CopyRange(File& from, int64_t fromPos, uint64_t available, File& to, int64_t toPos, uint64_t count,
               Fingerprint* copied = nullptr, WorkMeter* meter = nullptr);

// The fingerprint of those bytes.
std::string FingerprintOfRange(File& from, int64_t fromPos, uint64_t available, uint64_t count,
                               WorkMeter* meter = nullptr);

// Writes all of `bytes`, or raises "ストリームへの書き込みエラー".
void WriteExactly(File& to, int64_t position, const void* bytes, size_t size);

}  // namespace ostrevan
