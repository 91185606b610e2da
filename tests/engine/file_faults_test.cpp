// Files that fail on demand, in-process, on every platform: a full disk, a flush that does
// not reach the disk, an I/O error on read, a file held by another program. Whatever fails,
// nothing is reported as done, no record names bytes that are not on the disk, and a source
// is written only after its record passed every check. Here, the messages and the files
// left; that the next run finishes what failed is checked for every file operation by the
// fault sweep (tests/reliability/fault_sweep_test.cpp).

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "clip_record.h"
#include "file.h"
#include "file_faults.h"
#include "load_wave.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

// Fails what it is told to, for the files whose path ends as given, and counts flushes.
class Faults : public FileFaults {
 public:
  std::string shortWriteOf, failedReadOf, failedFlushOf;
  int64_t failedReadFrom = 44;  // reads of the audio fail, reads of the header do not
  int readsThatPass = 0;        // of those, how many go through first
  std::map<std::string, int> flushes;
  std::vector<std::string> flushOrder;
  std::map<std::string, int> heldTimes;  // how many attempts more are refused as held
  std::vector<std::string> waitedFor;
  bool folderFlushFails = false;

  size_t WriteAllowance(const std::string& path, int64_t, size_t size) override {
    return EndsWith(path, shortWriteOf) ? size / 2 : size;
  }
  bool ReadFails(const std::string& path, int64_t position) override {
    return EndsWith(path, failedReadOf) && position >= failedReadFrom && readsThatPass-- <= 0;
  }
  bool FlushFails(const std::string& path) override {
    ++flushes[path];
    flushOrder.push_back(path);
    return EndsWith(path, failedFlushOf);
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

TEST_F(FileFaultsTest, ACutThatCannotBeWrittenOrReadWritesNoRecord) {
  for (const char* failing : {"take-1-2.wav.new", "take-1-2.ini.new"}) {
    faults.shortWriteOf = failing;
    EXPECT_EQ(Cut(), Text(texts::kWriteError)) << failing;
    EXPECT_TRUE(ui.infos.empty()) << failing;
  }
  faults.shortWriteOf.clear();
  RemoveFile(record);
  faults.failedReadOf = "take.wav";
  EXPECT_EQ(Cut(), Text(texts::kReadError));
  EXPECT_FALSE(Exists(record));
  EXPECT_TRUE(ui.infos.empty());
  EXPECT_EQ(ReadFile(source), original);
}

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

TEST_F(FileFaultsTest, ASourceThatCannotBeReadWhileItIsSavedIsAReadError) {
  CutAndEdit();
  faults.failedReadOf = "take.wav";
  faults.readsThatPass = 1;  // its fingerprint; then the copy of what is replaced fails
  EXPECT_EQ(WriteBack(), Text(texts::kReadError));
  EXPECT_EQ(ReadFile(source), original);
  EXPECT_FALSE(Exists(dir.File("take-1-2.undo.wav")));
}

TEST_F(FileFaultsTest, AFailedWriteOrFlushOfTheSourceIsAnErrorAndTheRecordStays) {
  CutAndEdit();
  const Bytes recordBefore = ReadFile(record);
  faults.failedFlushOf = "take.wav";
  EXPECT_EQ(WriteBack(), Text(texts::kWriteError));
  EXPECT_EQ(ReadFile(record), recordBefore);
  faults.failedFlushOf.clear();
  WriteFile(source, original);
  faults.shortWriteOf = "take.wav";
  EXPECT_EQ(WriteBack(), Text(texts::kWriteError));
  EXPECT_EQ(ReadFile(record), recordBefore);
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(FileFaultsTest, AClipThatCannotBeReadLeavesTheSourceUntouched) {
  CutAndEdit();
  faults.failedReadOf = "take-1-2.wav";
  EXPECT_EQ(WriteBack(), Text(texts::kReadError));
  EXPECT_EQ(ReadFile(source), original);
}

TEST_F(FileFaultsTest, ARecordThatCannotBeReplacedIsAnErrorAndNothingIsLeftBeside) {
  CutAndEdit();
  const Bytes recordBefore = ReadFile(record);
  for (const char* how : {"write", "flush"}) {
    WriteFile(source, original);
    faults.shortWriteOf = std::string(how) == "write" ? "take-1-2.ini.new" : "";
    faults.failedFlushOf = std::string(how) == "flush" ? "take-1-2.ini.new" : "";
    EXPECT_EQ(WriteBack(), FormatText(texts::kRecordNotUpdated, record)) << how;
    EXPECT_EQ(ReadFile(record), recordBefore) << how;
    EXPECT_FALSE(Exists(record + ".new")) << how;
  }
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
