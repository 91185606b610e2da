#include <gtest/gtest.h>

#include "file.h"
#include "test_files.h"

namespace ostrevan {
namespace {

using testing::ScratchDir;

TEST(File, ExclusiveOpenersExcludeEachOther) {
  ScratchDir dir;
  const std::string path = dir.File("a.wav");
  testing::WriteFile(path, std::string("0123456789"));
  File first;
  ASSERT_TRUE(first.Open(path, FileMode::ReadExclusive));
  File second;
  EXPECT_FALSE(second.Open(path, FileMode::ReadExclusive));
  EXPECT_FALSE(second.Open(path, FileMode::ReadWriteExclusive));
  EXPECT_FALSE(second.Open(path, FileMode::ReadShared));
  // Replacing a held file fails and leaves it as it was.
  EXPECT_FALSE(second.Open(path, FileMode::CreateEmpty));
  EXPECT_EQ(first.Length(), 10);
  first.Close();
  EXPECT_TRUE(second.Open(path, FileMode::ReadWriteExclusive));
}

TEST(File, SharedReadersCoexistButKeepWritersOut) {
  ScratchDir dir;
  const std::string path = dir.File("r.ini");
  testing::WriteFile(path, std::string("1\r\n2\r\n"));
  File a;
  File b;
  ASSERT_TRUE(a.Open(path, FileMode::ReadShared));
  EXPECT_TRUE(b.Open(path, FileMode::ReadShared));
  File writer;
  EXPECT_FALSE(writer.Open(path, FileMode::ReadWriteExclusive));
  EXPECT_FALSE(writer.Open(path, FileMode::ReadExclusive));
}

TEST(File, ReadsAndWritesAtSixtyFourBitPositions) {
  ScratchDir dir;
  const std::string path = dir.File("big.bin");
  File file;
  ASSERT_TRUE(file.Open(path, FileMode::CreateEmpty));
  const int64_t far = (int64_t{1} << 32) + 7;  // beyond 32 bits; sparse on the test machines
  EXPECT_EQ(file.WriteAt(far, "xyz", 3), 3u);
  EXPECT_EQ(file.Length(), far + 3);
  char back[8] = {};
  EXPECT_EQ(file.ReadAt(far - 1, back, sizeof back), 4u);  // short only at the end
  EXPECT_EQ(std::string(back, 4), std::string("\0xyz", 4));
  EXPECT_TRUE(file.Flush());
}

TEST(File, CreateReplacesAndOpenNeverCreates) {
  ScratchDir dir;
  const std::string path = dir.File("c.wav");
  File file;
  EXPECT_FALSE(file.Open(path, FileMode::ReadWriteExclusive));
  EXPECT_FALSE(testing::Exists(path));
  testing::WriteFile(path, std::string("old contents"));
  ASSERT_TRUE(file.Open(path, FileMode::CreateEmpty));
  EXPECT_EQ(file.Length(), 0);
  file.Close();
  EXPECT_FALSE(file.Open("", FileMode::ReadExclusive));
  EXPECT_FALSE(file.Open(dir.path(), FileMode::ReadExclusive));
}

TEST(FileExists, OnlyFilesExist) {
  ScratchDir dir;
  const std::string path = dir.File("x.wav");
  EXPECT_FALSE(FileExists(path));
  testing::WriteFile(path, std::string("x"));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace ostrevan

#ifndef _WIN32
#include <sys/stat.h>

namespace ostrevan {
namespace {

// Only regular files are opened, and asking never waits: a FIFO would block an open for
// reading until a writer came.
TEST(File, NamedPipesAreRefusedAtOnce) {
  ScratchDir dir;
  const std::string fifo = dir.File("pipe.wav");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  File file;
  EXPECT_FALSE(file.Open(fifo, FileMode::ReadExclusive));
  EXPECT_FALSE(file.Open(fifo, FileMode::ReadShared));
  EXPECT_FALSE(FileExists(fifo));
}

}  // namespace
}  // namespace ostrevan
#endif
