#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "file.h"
#include "file_faults.h"
#include "test_files.h"

namespace ostrevan {
namespace {

using testing::ScratchDir;

constexpr FileMode kEveryMode[] = {FileMode::ReadExclusive, FileMode::ReadWriteExclusive, FileMode::CreateEmpty,
                                   FileMode::ReadShared};

// Whether each of `modes` opens `path`, all asked at the same time: a held file is refused
// only after the retries.
std::vector<bool> OpenedAtOnce(const std::string& path, std::initializer_list<FileMode> modes) {
  std::vector<std::future<bool>> opens;
  for (const FileMode mode : modes) {
    opens.push_back(std::async(std::launch::async, [&path, mode] { return File().Open(path, mode); }));
  }
  std::vector<bool> opened;
  for (auto& open : opens) opened.push_back(open.get());
  return opened;
}

// Installed while it lives: the paths of the pauses of the retries; the first runs `atFirstPause`.
struct Pauses : FileFaults {
  explicit Pauses(std::function<void()> atFirst) : atFirstPause(std::move(atFirst)) { SetFileFaults(this); }
  ~Pauses() override { SetFileFaults(nullptr); }
  void Waiting(const std::string& path) override {
    if (waitedFor.empty()) atFirstPause();
    waitedFor.push_back(path);
  }
  std::function<void()> atFirstPause;
  std::vector<std::string> waitedFor;
};

TEST(File, ExclusiveOpenersExcludeEachOther) {
  ScratchDir dir;
  const std::string path = dir.File("a.wav");
  testing::WriteFile(path, std::string("0123456789"));
  File first;
  ASSERT_TRUE(first.Open(path, FileMode::ReadExclusive));
  // Replacing a held file (CreateEmpty) fails too and leaves it as it was.
  EXPECT_EQ(OpenedAtOnce(path, {FileMode::ReadExclusive, FileMode::ReadWriteExclusive, FileMode::ReadShared,
                                FileMode::CreateEmpty}),
            std::vector<bool>(4, false));
  EXPECT_EQ(first.Length(), 10);
  first.Close();
  File second;
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
  EXPECT_EQ(OpenedAtOnce(path, {FileMode::ReadWriteExclusive, FileMode::ReadExclusive}), std::vector<bool>(2, false));
}

// An operation on a file that another opener holds is asked again until the holder lets go
// (names are held on Windows only: elsewhere a lock keeps out openers alone); what waiting
// cannot mend (a missing file or folder, a folder) fails at once.
TEST(File, AHeldFileIsWaitedForAndNothingElseIs) {
  ScratchDir dir;
  const std::string held = dir.File("held.wav"), other = dir.File("other.wav"), missing = dir.File("none/x.wav");
#ifdef _WIN32
  const size_t namePauses = 1;
#else
  const size_t namePauses = 0;
#endif
  struct Row {
    std::function<bool()> run;
    bool done;
    size_t pauses;
  };
  std::vector<Row> rows = {{[&] { return ReplaceFileWith(other, held); }, true, namePauses},
                           {[&] { return RemoveFile(held); }, true, namePauses},
                           {[&] { return ReplaceFileWith(missing, other); }, false, 0},
                           {[&] { return RemoveFile(missing) || RemoveFile(dir.path()); }, false, 0}};
  for (const FileMode mode : kEveryMode) {
    rows.push_back({[&, mode] { return File().Open(held, mode); }, true, 1});
    rows.push_back({[&, mode] { return File().Open(missing, mode) || File().Open(dir.path(), mode); }, false, 0});
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    testing::WriteFile(held, std::string("held"));
    testing::WriteFile(other, std::string("other"));
    File holder;
    ASSERT_TRUE(holder.Open(held, FileMode::ReadWriteExclusive));
    Pauses pauses([&] { holder.Close(); });
    EXPECT_EQ(rows[i].run(), rows[i].done) << "row " << i;
    EXPECT_EQ(pauses.waitedFor, std::vector<std::string>(rows[i].pauses, held)) << "row " << i;
  }
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

#ifdef _WIN32
#include "codepage.h"
#include "long_path.h"

namespace ostrevan {
namespace {

// What reaches the system: made full, then with the prefix; a path in that form is literal.
TEST(LongPath, EveryPathReachesTheSystemFullAndPrefixed) {
  const std::string deep = "C:\\" + std::string(200, 'd') + u8"\\録音\\" + std::string(200, 'e') + ".wav";
  const std::pair<std::string, std::wstring> cases[] = {
      {"C:\\rec\\.\\old\\..\\take.wav", L"\\\\?\\C:\\rec\\take.wav"},
      {"C:/rec/take.wav", L"\\\\?\\C:\\rec\\take.wav"},
      {"//server/share/take.wav", L"\\\\?\\UNC\\server\\share\\take.wav"},
      {"\\\\.\\CON", L"\\\\.\\CON"},
      {"\\\\?\\C:\\rec\\..\\x", L"\\\\?\\C:\\rec\\..\\x"},
      {deep, L"\\\\?\\" + Widen(deep)},
  };
  for (const auto& [given, system] : cases) EXPECT_EQ(Narrow(SystemPathOf(given)), Narrow(system)) << given;
}

}  // namespace
}  // namespace ostrevan
#endif

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
