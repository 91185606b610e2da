// The block read under every copy and fingerprint: only a range's available bytes come from
// the file; the rest, and whatever a short read leaves, are zeros, whatever the buffer held.

#include <gtest/gtest.h>

#include "block_copy.h"
#include "file.h"
#include "test_files.h"

namespace ostrevan::testing {
namespace {

TEST(BlockCopy, OnlyTheAvailableBytesComeFromTheFileTheRestAreZeros) {
  ScratchDir dir;
  const std::string path = dir.File("audio.raw");
  const Bytes bytes = PatternBytes(100);
  WriteFile(path, bytes);
  File file;
  ASSERT_TRUE(file.Open(path, FileMode::ReadShared));
  const struct {
    const char* what;
    int64_t fromPos;
    uint64_t available, done;
    size_t size;
    size_t fromFile;  // how many of the bytes come from the file; zeros after them
  } rows[] = {
      {"all of it available", 10, 60, 0, 40, 40},
      {"the range's end in the block", 10, 60, 40, 40, 20},
      {"the block at the range's end", 10, 60, 60, 20, 0},
      {"a block past the range's end", 10, 60, 70, 20, 0},
      {"the file's end in the block", 10, 200, 70, 40, 20},
      {"the block past the file's end", 10, 200, 100, 20, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Bytes out(row.size, 0xAA);
    ReadOrZeros(file, row.fromPos, row.available, row.done, out.data(), row.size);
    const auto from = static_cast<uint64_t>(row.fromPos) + row.done;
    const Bytes read = row.fromFile > 0 ? Slice(bytes, from, row.fromFile) : Bytes();
    EXPECT_EQ(DifferenceOf(out, Joined({read, Bytes(row.size - row.fromFile, 0)})), "");
  }
}

}  // namespace
}  // namespace ostrevan::testing
