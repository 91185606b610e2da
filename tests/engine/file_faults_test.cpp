// File operations as the engine makes them, in-process, on every platform: the order in which
// a write-back's files reach the disk, a file held a moment by another program, and a rename
// that cannot be made durable. What any failing write, read, flush, create or rename leaves,
// and what its message says, the fault sweep checks for every operation of a run in turn
// (tests/reliability/fault_sweep_test.cpp).

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "file.h"
#include "file_faults.h"
#include "source_with_clip.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

// Notes the flushes, holds the files whose path ends as given for as many attempts as told,
// and fails putting a folder on the disk when told.
class Faults : public FileFaults {
 public:
  std::vector<std::string> flushOrder;
  std::map<std::string, int> heldTimes;  // how many attempts more are refused as held
  std::vector<std::string> waitedFor;
  bool folderFlushFails = false;

  bool FlushFails(const std::string& path) override {
    flushOrder.push_back(path);
    return false;
  }
  bool Held(const std::string& path) override {
    for (auto& [end, times] : heldTimes) {
      if (EndsWith(path, end) && times > 0) return --times >= 0;
    }
    return false;
  }
  void Waiting(const std::string& path) override { waitedFor.push_back(path); }
  bool FolderFlushFails(const std::string&) override { return folderFlushFails; }

 private:
  static bool EndsWith(const std::string& path, const std::string& end) {
    return !end.empty() && path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
  }
};

struct FileFaultsTest : ::testing::Test {
  ScratchDir dir;
  std::string source = dir.File("take.wav");
  std::string record = dir.File("take-1-2.ini");
  std::string clip = dir.File("take-1-2.wav");
  Bytes original = MakeWave(TestFormat(), PatternBytes(5 * kMinute, 3));
  Faults faults;
  RecordingUi ui;

  void SetUp() override {
    WriteFile(source, original);
    SetFileFaults(&faults);
  }
  void TearDown() override { SetFileFaults(nullptr); }

  std::string Cut() {
    return ErrorOf([&] { CutClip(source, "2", "1", ui); });
  }
  std::string WriteBack() {
    return ErrorOf([&] { WriteBackClips({record}, ui); });
  }
  // A clean cut and an edited clip, ready for a write-back.
  void CutAndEdit() {
    ASSERT_EQ(Cut(), "(no error)");
    WriteFile(clip, MakeWave(TestFormat(), PatternBytes(2 * kMinute, 9)));
    ui.infos.clear();
  }
};

TEST_F(FileFaultsTest, TheSourceIsOnTheDiskBeforeItsRecordIsReplaced) {
  CutAndEdit();
  ASSERT_EQ(WriteBack(), "(no error)");
  // The cut's clip, then its record; the undo clip and record, then the mark that the range is
  // being replaced, then the source, then the records that name its new audio.
  const std::string undoRecord = dir.File("take-1-2.undo.ini.new");
  EXPECT_EQ(faults.flushOrder,
            (std::vector<std::string>{clip + ".new", record + ".new", dir.File("take-1-2.undo.wav.new"), undoRecord,
                                      dir.File("take-1-2.replacing.new"), source, undoRecord, record + ".new"}));
}

// Every kind of operation on a file held for three attempts waits three pauses, then goes
// through; a rename waits for either name, and tells the name it goes to.
TEST_F(FileFaultsTest, AFileHeldAMomentIsWaitedFor) {
  File file;
  const std::string made = dir.File("made.wav");
  const std::string moved = dir.File("moved.wav");
  const struct {
    const char* held;
    std::string waitedFor;
    std::function<bool()> run;
  } steps[] = {
      {"take-1-2.ini", record, [&] { return Cut() == "(no error)"; }},  // its record renamed into place
      {"take.wav", source, [&] { return file.Open(source, FileMode::ReadExclusive); }},
      {"made.wav", made, [&] { return file.Open(made, FileMode::CreateEmpty); }},
      {"moved.wav", moved, [&] { file.Close(); return ReplaceFileWith(made, moved); }},
      {"take.wav", moved, [&] { return ReplaceFileWith(source, moved); }},
      {"moved.wav", moved, [&] { return RemoveFile(moved); }},
  };
  for (const auto& step : steps) {
    faults.heldTimes = {{step.held, 3}};
    faults.waitedFor.clear();
    EXPECT_TRUE(step.run()) << step.waitedFor;
    EXPECT_EQ(faults.waitedFor, std::vector<std::string>(3, step.waitedFor));
    EXPECT_EQ(faults.heldTimes[step.held], 0) << step.waitedFor;
  }
  EXPECT_FALSE(Exists(moved));
}

// The rename is done, but not known to be on the disk.
TEST_F(FileFaultsTest, ADurableRenameFailsWhenItsFolderCannotBePutOnTheDisk) {
  faults.folderFlushFails = true;
  for (const bool durable : {true, false}) {
    WriteFile(clip + ".new", original);
    EXPECT_EQ(ReplaceFileWith(clip + ".new", clip, durable), !durable);
    EXPECT_EQ(ReadFile(clip), original);
  }
}

}  // namespace
}  // namespace ostrevan::testing
