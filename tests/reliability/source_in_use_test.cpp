// Sources that cannot be written: held open by another program, read-only, or being
// written back by a second run of ours at the same time.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "clip_record.h"
#include "codepage.h"
#include "file_faults.h"
#include "load_wave.h"
#include "pair_files.h"
#include "source_with_clip.h"
#include "processes.h"
#include "save_clip.h"
#include "texts.h"
#include "write_back.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ostrevan {
namespace {


// Another process that holds `path` open, shared with nobody, until this object goes.
class HeldByAnotherProgram {
 public:
  HeldByAnotherProgram(const testing::ScratchDir& dir, const std::string& path)
      : ready_(dir.File("held.ready")), release_(dir.File("held.release")) {
    pid_ = testing::StartProgram(testing::BuiltProgram("reliability_file_holder"), {path, ready_, release_});
    EXPECT_NE(pid_, -1) << "cannot start the other program";
    for (int waited = 0; waited < 3000 && !testing::Exists(ready_); ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(testing::Exists(ready_)) << "the other program did not take the file";
  }

  ~HeldByAnotherProgram() {
    testing::WriteFile(release_, std::string("go"));
    testing::WaitProgram(pid_, 30);
  }

 private:
  std::string ready_;
  std::string release_;
  int pid_ = -1;
};

TEST(SourceInUse, HeldByAnotherProgramItCannotBeOpenedAndStaysUntouched) {
  testing::SourceWithClip files;
  files.EditClip();
  const std::string cannotOpen = FormatText(texts::kCannotOpen, files.source);
  {
    HeldByAnotherProgram held(files.dir, files.source);
    LoadedWave wave;
    EXPECT_EQ(testing::ErrorOf([&] { LoadWave(files.source, wave); }), cannotOpen);
    testing::RecordingUi ui;
    wave = LoadedWave();
    wave.playTime.blockAlign = testing::TestFormat().blockAlign;
    wave.playTime.sampleRate = testing::TestFormat().sampleRate;
    wave.playTime.audioSize = 2 * testing::kMinute;
    EXPECT_EQ(testing::ErrorOf([&] { SaveClip(wave, "1", "1", files.source, ClipMode::StartMinute, ui); }),
              cannotOpen);
    EXPECT_FALSE(testing::Exists(ClipPathFor(files.source, "1", "1", ClipMode::StartMinute)));
    EXPECT_EQ(testing::ErrorOf([&] { WriteBackClips({files.record}, ui); }), cannotOpen);
    EXPECT_TRUE(ui.infos.empty());
  }
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
  // Once the other program lets go, the same write-back goes through.
  testing::RecordingUi ui;
  WriteBackClips({files.record}, ui);
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(texts::kFinished)});
}

TEST(SourceInUse, AReadOnlySourceIsAnOpenErrorAndNothingIsWritten) {
  testing::SourceWithClip files;
  files.EditClip();
  const std::string cannotOpen = FormatText(texts::kCannotOpen, files.source);
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesW(Widen(files.source).c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as the file's Unix mode, which root may write through anyway.
  HANDLE probe = CreateFileW(Widen(files.source).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    SetFileAttributesW(Widen(files.source).c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this system lets read-only files be opened for writing (Wine run as root)";
  }
  testing::RecordingUi ui;
  EXPECT_EQ(testing::ErrorOf([&] { WriteBackClips({files.record}, ui); }), cannotOpen);
  EXPECT_TRUE(ui.infos.empty());
  SetFileAttributesW(Widen(files.source).c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  // Root may write any file whatever its mode, so the write-back runs as nobody.
  ASSERT_EQ(::chmod(files.dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(files.record.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(files.clip.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(files.source.c_str(), 0444), 0);
  const testing::ProcessResult child = testing::RunInChild([&](int pipe) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
    testing::RecordingUi ui;
    testing::WriteAll(pipe, testing::ErrorOf([&] { WriteBackClips({files.record}, ui); }));
    return ui.infos.empty() ? 0 : 4;
  });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, cannotOpen);
#endif
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
}

// Two write-backs of ours on the same source at the same moment: the source is locked by
// the first, so the second is refused whole; the range never holds a mix of both clips.
TEST(SourceInUse, TwoWriteBacksAtOnceNeverInterleave) {
  constexpr int64_t kBig = 16 * 1024 * 1024;
  testing::ScratchDir dir;
  const std::string source = dir.File("long.wav");
  testing::WriteFile(source, testing::MakeWave(testing::Mono8000(), testing::Bytes(kBig, 0)));
  std::string records[2];
  for (int i = 0; i < 2; ++i) {
    const std::string clip = dir.File("clip" + std::to_string(i) + ".wav");
    testing::WriteFile(clip, testing::MakeWave(testing::Mono8000(), testing::Bytes(kBig, static_cast<unsigned char>(0x11 * (i + 1)))));
    records[i] = dir.File("clip" + std::to_string(i) + ".ini");
  }
  int refusals = 0;
  for (int round = 0; round < 4; ++round) {
    // Records without a fingerprint: each may overwrite what the other wrote.
    for (const std::string& record : records) {
      testing::WriteFile(record, "0\r\n" + std::to_string(kBig) + "\r\n" + source + "\r\n");
    }
    std::atomic<int> waiting{2};
    std::string messages[2];
    std::vector<std::string> infos[2];
    auto run = [&](int i) {
      testing::RecordingUi ui;
      --waiting;
      while (waiting > 0) std::this_thread::yield();
      messages[i] = testing::ErrorOf([&] { WriteBackClips({records[i]}, ui); });
      infos[i] = ui.infos;
    };
    std::thread first(run, 0);
    std::thread second(run, 1);
    first.join();
    second.join();
    int finished = 0;
    for (int i = 0; i < 2; ++i) {
      if (messages[i] == "(no error)") {
        EXPECT_EQ(infos[i], std::vector<std::string>{Text(texts::kFinished)});
        ++finished;
      } else {
        EXPECT_EQ(messages[i], FormatText(texts::kCannotOpen, source));
        EXPECT_TRUE(infos[i].empty());
        ++refusals;
      }
    }
    EXPECT_GE(finished, 1);
    const testing::Bytes after = testing::ReadFile(source);
    ASSERT_EQ(after.size(), static_cast<size_t>(kBig + 44));
    const unsigned char first_byte = after[44];
    EXPECT_TRUE(first_byte == 0x11 || first_byte == 0x22);
    EXPECT_EQ(std::count(after.begin() + 44, after.end(), first_byte), kBig) << "round " << round;
  }
  std::printf("two write-backs at once: %d of 4 rounds had one refused\n", refusals);
}

// A second operation started at the worst moment of a first one: while a write-back renews
// its records, or while a re-cut moves the old pair aside. The source is locked from the
// first operation's start until its records are written, so the second waits for it (or, on
// a machine too slow to let go in time, is refused whole): the files always end as some
// order of the two, one after the other, would leave them.
TEST(SourceInUse, ASecondOperationAtTheWorstMomentWaitsForTheFirst) {
  // Starts `second` on its own thread when the first operation makes or renames a file whose
  // name ends with `at`, and lets the first go on only once the second waits for the source.
  class SecondAt : public FileFaults {
   public:
    SecondAt(std::string at, std::function<void()> second) : at_(std::move(at)), second_(std::move(second)) {
      SetFileFaults(this);
    }
    ~SecondAt() override {
      if (thread_.joinable()) thread_.join();
      SetFileFaults(nullptr);
    }
    void Created(const std::string& path) override { Moment(path); }
    void Renamed(const std::string&, const std::string& to) override { Moment(to); }
    void Waiting(const std::string&) override {
      std::lock_guard<std::mutex> lock(mutex_);
      waiting_ = true;
      changed_.notify_all();
    }
    void Join() {
      if (thread_.joinable()) thread_.join();
    }
    bool started = false, waited = false;

   private:
    void Moment(const std::string& path) {
      if (started || path.size() < at_.size() || path.compare(path.size() - at_.size(), at_.size(), at_) != 0) return;
      started = true;
      thread_ = std::thread(second_);
      std::unique_lock<std::mutex> lock(mutex_);
      waited = changed_.wait_for(lock, std::chrono::seconds(30), [this] { return waiting_; });
    }
    std::string at_;
    std::function<void()> second_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool waiting_ = false;
  };

  struct Row {
    const char* what;
    const char* at;  // the first operation's file, as it is made or renamed into place
    bool recut;      // the first is a cut of the same range again, else a write-back
  };
  for (const Row& row : {Row{"an undo while a write-back renews its records", "-1-1.ini.new", false},
                         Row{"a write-back while a re-cut moves the old pair aside", "-1-1 (2).undo.wav", true}}) {
    SCOPED_TRACE(row.what);
    testing::SourceWithClip files(3, "take.wav", 1);
    const std::string undo = UndoRecordPathOf(files.record);
    testing::RecordingUi ui;
    files.EditClip(5);
    if (row.recut) {
      WriteBackClips({files.record}, ui);
      files.EditClip(6);  // edited again, not written back: the cut keeps the pair aside
    }
    std::string secondError;
    testing::RecordingUi secondUi;
    const auto second = [&] {
      secondError = testing::ErrorOf([&] { WriteBackClips({row.recut ? files.record : undo}, secondUi); });
    };
    std::string firstError;
    {
      SecondAt at(row.at, second);
      firstError = testing::ErrorOf([&] {
        if (row.recut) {
          testing::CutClip(files.source, "1", "1", ui);
        } else {
          WriteBackClips({files.record}, ui);
        }
      });
      at.Join();
      ASSERT_TRUE(at.started && at.waited);
    }
    ASSERT_EQ(firstError, "(no error)");
    const bool secondRan = secondError == "(no error)";
    if (!secondRan) {
      EXPECT_EQ(secondError, FormatText(texts::kCannotOpen, files.source));
    }
    const testing::Bytes range = testing::ReadRange(files.source, 44 + testing::kMinute, testing::kMinute);
    const std::string rangeFingerprint = ReadRecordLines(files.record).lines[3];
    if (row.recut) {
      // The new clip is the range as it is, and its record says so: writing it back changes nothing.
      EXPECT_EQ(range, testing::PatternBytes(testing::kMinute, 5));
      EXPECT_EQ(testing::ReadFile(files.clip), testing::MakeWave(testing::TestFormat(), range));
    } else {
      // The write-back, then the undo (when it ran): the range as cut, or the edit.
      const testing::Bytes cut = testing::Slice(files.sourceBytes, 44 + testing::kMinute, testing::kMinute);
      EXPECT_EQ(range, secondRan ? cut : files.editedAudio);
      EXPECT_EQ(ReadRecordLines(undo).lines[3], rangeFingerprint) << "both records name what the range holds";
    }
    EXPECT_FALSE(testing::Exists(ReplacingMarkPathOf(files.record)));
    // Whatever the order, the records name what the range holds: the next write-back of
    // the record, with its clip as it is now, is no refusal.
    EXPECT_EQ(testing::ErrorOf([&] { WriteBackClips({files.record}, ui); }), "(no error)");
  }
}

}  // namespace
}  // namespace ostrevan
