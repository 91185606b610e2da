#pragma once
// Moves a byte range from one file to another through one reused buffer of a few MiB,
// so memory does not grow with the size of a clip or a source.

#include <cstdint>

#include "file.h"

namespace ostrevan {

inline constexpr size_t kCopyBlockSize = 4 * 1024 * 1024;

// Copies `count` bytes from `from` at `fromPos` to `to` at `toPos`. Only the first
// `available` bytes come from `from`; the rest, and whatever a short read leaves, are zero
// bytes. Raises "ストリームへの書き込みエラー" when `to` takes fewer bytes than written.
void CopyRange(File& from, int64_t fromPos, uint64_t available, File& to, int64_t toPos, uint64_t count);

// Writes all of `bytes`, or raises "ストリームへの書き込みエラー".
void WriteExactly(File& to, int64_t position, const void* bytes, size_t size);

}  // namespace ostrevan
