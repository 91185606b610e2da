#pragma once
// Moves a byte range from one file to another through one reused buffer of a few MiB,
// so memory does not grow with the size of a clip or a source.

#include <cstdint>
#include <functional>
#include <string>

#include "file.h"

namespace ostrevan {

class Fingerprint;

inline constexpr size_t kCopyBlockSize = 4 * 1024 * 1024;

// Hands `count` bytes of `from` at `fromPos` to `visit`, block by block, in order. Only the
// first `available` bytes come from `from`; the rest, and whatever a short read leaves, are
// zero bytes.
void ForEachBlock(File& from, int64_t fromPos, uint64_t available, uint64_t count,
                  const std::function<void(uint64_t done, const unsigned char* bytes, size_t size)>& visit);

// Copies those bytes to `to` at `toPos`, and gives them to `copied` too when it is set.
// Raises "ストリームへの書き込みエラー" when `to` takes fewer bytes than written.
void CopyRange(File& from, int64_t fromPos, uint64_t available, File& to, int64_t toPos, uint64_t count,
               Fingerprint* copied = nullptr);

// The fingerprint of those bytes.
std::string FingerprintOfRange(File& from, int64_t fromPos, uint64_t available, uint64_t count);

// Writes all of `bytes`, or raises "ストリームへの書き込みエラー".
void WriteExactly(File& to, int64_t position, const void* bytes, size_t size);

}  // namespace ostrevan
