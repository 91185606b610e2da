// Every file operation of a cut, a write-back and an undo fails in turn: the first, then the
// second, and so on until a run makes no more of that kind (a short write, a failed read,
// flush, create or rename). Each run either ends with an error, the source as it was outside
// the clip's range, or finishes with exactly what a clean run leaves. The error tells the
// truth: a failed read says so; once the source is on the disk the message says the records
// were not updated, and only then; a message that the source was not replaced comes with the
// source byte for byte as it was. Until the source is first written it is byte for byte as it
// was, and until it is on the disk the record being run is too; no half-written audio is left,
// and a record lies only beside the clip it names. After an error, the same operation run
// again leaves exactly what a clean run leaves, also when the mark of the stopped run is lost;
// the run that undoes it (the undo of a write-back, the write-back of an undo), from where the
// error left off, leaves exactly what it leaves after a clean run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "disk_model.h"
#include "engine_error.h"
#include "file_faults.h"
#include "load_wave.h"
#include "pair_files.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

enum Kind { kShortWrite, kFailedRead, kFailedFlush, kFailedCreate, kFailedRename, kKinds };
const char* const kKindNames[kKinds] = {"short write", "failed read", "failed flush", "failed create",
                                        "failed rename"};

// Counts the file operations of each kind, and fails the `failAt`th of `kind` (none for 0);
// notes what had happened to the source by then.
class NthFails : public FileFaults {
 public:
  NthFails(Kind kind, int failAt, std::string source) : kind_(kind), failAt_(failAt), source_(std::move(source)) {
    SetFileFaults(this);
  }
  ~NthFails() override { SetFileFaults(nullptr); }
  NthFails(const NthFails&) = delete;
  NthFails& operator=(const NthFails&) = delete;

  size_t WriteAllowance(const std::string& path, int64_t, size_t size) override {
    const bool fails = Fails(kShortWrite, path);
    sourceWritten_ = sourceWritten_ || path == source_;
    return fails ? size / 2 : size;
  }
  bool ReadFails(const std::string& path, int64_t) override { return Fails(kFailedRead, path); }
  bool FlushFails(const std::string& path) override {
    const bool fails = Fails(kFailedFlush, path);
    sourceOnDisk_ = sourceOnDisk_ || (path == source_ && !fails);
    return fails;
  }
  bool CreateFails(const std::string& path) override { return Fails(kFailedCreate, path); }
  bool RenameFails(const std::string&, const std::string& to) override { return Fails(kFailedRename, to); }

  int count[kKinds] = {};
  bool fired = false;
  // When the operation that failed came: after a write to the source, after its flush.
  bool sourceWritten = false;
  bool sourceOnDisk = false;

 private:
  bool Fails(Kind kind, const std::string& path) {
    const bool fails = ++count[kind] == failAt_ && kind == kind_;
    if (fails) {
      fired = true;
      sourceWritten = sourceWritten_ || path == source_;
      sourceOnDisk = sourceOnDisk_;
    }
    return fails;
  }
  Kind kind_;
  int failAt_;
  std::string source_;
  bool sourceWritten_ = false;
  bool sourceOnDisk_ = false;
};

struct Outcome {
  bool failed = false;
  std::string error;  // an EngineError's message
  std::vector<std::string> infos;
};

Outcome Attempt(const std::function<void(EngineUi&)>& run) {
  Outcome outcome;
  RecordingUi ui;
  try {
    run(ui);
  } catch (const EngineError& error) {
    outcome.failed = true;
    outcome.error = error.message();
  } catch (...) {
    outcome.failed = true;
    outcome.error = "";  // anything but an engine error fails the check of the message
  }
  outcome.infos = ui.infos;
  return outcome;
}

// Whether `message` is the template (of one "%s") with any argument.
bool Says(const std::string& message, const char* utf8Template) {
  const std::string text = Text(utf8Template);
  const size_t at = text.find("%s");
  const std::string head = text.substr(0, at), tail = text.substr(at + 2);
  return message.size() >= head.size() + tail.size() && message.compare(0, head.size(), head) == 0 &&
         message.compare(message.size() - tail.size(), tail.size(), tail) == 0;
}

// The bytes of `name` in `files`; none when it is not there.
std::optional<Bytes> In(const FolderFiles& files, const std::string& name) {
  const auto found = files.find(name);
  if (found == files.end()) return std::nullopt;
  return found->second;
}

// The message of a failed run against what it says happened.
void CheckTheErrorTellsTheTruth(const std::string& at, Kind kind, const std::string& error, bool sourceOnDisk,
                                const Bytes& sourceLeft, const Bytes& source, const Bytes& sourceDone) {
  // Once the source is on the disk, the user must learn that the records lag behind it.
  EXPECT_EQ(Says(error, texts::kRecordNotUpdated), sourceOnDisk) << at << ": " << error;
  if (Says(error, texts::kRecordNotUpdated)) {
    EXPECT_EQ(DifferenceOf(sourceLeft, sourceDone), "") << at << ": said the source was replaced";
  }
  if (Says(error, texts::kUndoNotWritten)) {
    EXPECT_EQ(DifferenceOf(sourceLeft, source), "") << at << ": said the source was not replaced";
  }
  if (kind == kFailedRead && !sourceOnDisk) {
    EXPECT_NE(error.find(Text(texts::kReadError)), std::string::npos) << at << ": a failed read said " << error;
  }
}

// Audio files are made under a new name and renamed whole: each left is as the folder held
// it before or as a clean run leaves it, or is a journal of the range that the next run reads.
void CheckNothingHalfWritten(const std::string& at, const FolderFiles& left, const FolderFiles& before,
                             const FolderFiles& done) {
  const std::string wav = ".wav", journal = ".journal.wav";
  for (const auto& [name, bytes] : left) {
    const bool audio = EndsWithIgnoringAsciiCase(name, wav) && !EndsWithIgnoringAsciiCase(name, journal);
    if (name == "take.wav" || !audio) continue;
    EXPECT_TRUE(In(before, name) == bytes || In(done, name) == bytes) << at << ": " << name << " half written";
  }
}

// A record lies beside its clip only as the folder held them before, or as a clean run leaves
// them: never beside a clip it does not name. Without its clip, it is the record of a pair
// moved aside half way, which the next cut finishes.
void CheckRecordsLieBesideTheirClips(const std::string& at, const FolderFiles& left, const FolderFiles& before,
                                     const FolderFiles& done, const std::string& record, const std::string& clip) {
  if (!In(left, record)) return;
  if (!In(left, clip)) {
    EXPECT_TRUE(In(left, record) == In(before, record)) << at << ": a new record without its clip";
    return;
  }
  const bool asBefore = In(left, record) == In(before, record) && In(left, clip) == In(before, clip);
  const bool asDone = In(left, record) == In(done, record) && In(left, clip) == In(done, clip);
  EXPECT_TRUE(asBefore || asDone) << at << ": the record lies beside another clip";
}

bool Finished(const Outcome& outcome) {
  return !outcome.failed && !outcome.infos.empty() && outcome.infos.back() == Text(texts::kFinished);
}

// "" when both folders hold the same names and bytes, else the first difference.
std::string FolderDifference(const FolderFiles& actual, const FolderFiles& expected) {
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) return name + " is missing";
    const std::string difference = DifferenceOf(found->second, bytes);
    if (!difference.empty()) return name + ": " + difference;
  }
  for (const auto& file : actual) {
    if (expected.count(file.first) == 0) return file.first + " is left over";
  }
  return "";
}

struct Operation {
  const char* what;
  std::function<void(SourceWithClip&)> prepare;
  std::function<void(SourceWithClip&, const LoadedWave&, EngineUi&)> run;
  // The record whose write-back undoes the operation; none for none.
  std::function<std::string(SourceWithClip&)> reverse;
  // The record the operation writes back; none for a cut.
  std::function<std::string(SourceWithClip&)> runs;
};

void WriteBack(const std::string& record) {
  RecordingUi ui;
  WriteBackClips({record}, ui);
}

TEST(FaultSweep, EveryFileOperationFailsInTurn) {
  auto writeBack = [](SourceWithClip& s, const LoadedWave&, EngineUi& ui) { WriteBackClips({s.record}, ui); };
  auto undo = [](SourceWithClip& s, const LoadedWave&, EngineUi& ui) {
    WriteBackClips({UndoRecordPathOf(s.record)}, ui);
  };
  auto undoRecord = [](SourceWithClip& s) { return UndoRecordPathOf(s.record); };
  auto record = [](SourceWithClip& s) { return s.record; };
  const Operation operations[] = {
      // Over a clip edited again after its write-back: the pair goes aside, then the new clip
      // and record are written.
      {"cut", [](SourceWithClip& s) { s.EditClip(41); WriteBack(s.record); s.EditClip(42); },
       [](SourceWithClip& s, const LoadedWave& wave, EngineUi& ui) {
         SaveClip(wave, "1", "1", s.source, ClipMode::StartMinute, ui);
       },
       nullptr, nullptr},
      {"first write-back", [](SourceWithClip& s) { s.EditClip(11); }, writeBack, undoRecord, record},
      {"second write-back", [](SourceWithClip& s) { s.EditClip(11); WriteBack(s.record); s.EditClip(12); },
       writeBack, undoRecord, record},
      {"undo", [](SourceWithClip& s) { s.EditClip(11); WriteBack(s.record); }, undo, record, undoRecord},
  };

  std::string summary = "fault sweep:";
  for (const Operation& operation : operations) {
    SCOPED_TRACE(operation.what);
    // In memory where there is a memory-backed folder: each point writes the folder afresh.
    SourceWithClip s(3, "take.wav", 1, MemoryBackedFolder());
    operation.prepare(s);
    LoadedWave wave;
    LoadWave(s.source, wave);
    const std::string folder = s.dir.path();
    const FolderFiles before = ReadFolder(folder);
    const Bytes source = ReadFile(s.source);
    const int64_t rangeFrom = s.DataStart() + s.ClipOffset(), rangeTo = rangeFrom + kMinute;
    auto run = [&] { return Attempt([&](EngineUi& ui) { operation.run(s, wave, ui); }); };
    const std::string reverse = operation.reverse ? operation.reverse(s) : "";
    auto runReverse = [&] { return Attempt([&](EngineUi& ui) { WriteBackClips({reverse}, ui); }); };

    // What a clean run leaves, and what the run that undoes it leaves after it; and how many
    // operations of each kind a clean run makes.
    int counts[kKinds] = {};
    {
      NthFails counting(kShortWrite, 0, s.source);
      ASSERT_TRUE(Finished(run())) << "a clean run";
      std::copy(counting.count, counting.count + kKinds, counts);
    }
    const FolderFiles done = ReadFolder(folder);
    FolderFiles undone;
    if (!reverse.empty()) {
      ASSERT_TRUE(Finished(runReverse())) << "a clean reverse";
      undone = ReadFolder(folder);
    }

    int points = 0;
    for (int kind = 0; kind < kKinds; ++kind) {
      for (int n = 1; n <= counts[kind]; ++n, ++points) {
        const std::string at = std::string(kKindNames[kind]) + " #" + std::to_string(n);
        MaterializeFolder(before, folder);
        Outcome outcome;
        bool sourceWritten = false, sourceOnDisk = false;
        {
          NthFails faults(static_cast<Kind>(kind), n, s.source);
          outcome = run();
          ASSERT_TRUE(faults.fired) << at;
          sourceWritten = faults.sourceWritten;
          sourceOnDisk = faults.sourceOnDisk;
        }
        const FolderFiles left = ReadFolder(folder);
        if (!outcome.failed) {
          // Only a read may fail unseen: one that finds no record or clip beside to keep.
          EXPECT_EQ(kind, kFailedRead) << at << ": a failure reported as done";
          EXPECT_TRUE(Finished(outcome)) << at;
          EXPECT_EQ(FolderDifference(left, done), "") << at << ": reported done";
          continue;
        }
        EXPECT_NE(outcome.error, "") << at;
        EXPECT_TRUE(outcome.infos.empty() || outcome.infos.back() != Text(texts::kFinished)) << at;
        const Bytes sourceLeft = left.count("take.wav") ? left.at("take.wav") : Bytes();
        EXPECT_TRUE(operation.reverse ? SameOutside(source, sourceLeft, rangeFrom, rangeTo) : sourceLeft == source)
            << at << ": the source changed where it may not";
        for (const auto& file : left) {
          EXPECT_EQ(file.first.find(kNewSuffix), std::string::npos) << at << ": " << file.first << " left";
        }
        CheckTheErrorTellsTheTruth(at, static_cast<Kind>(kind), outcome.error, sourceOnDisk, sourceLeft, source,
                                   done.at("take.wav"));
        if (!sourceWritten) {
          EXPECT_EQ(DifferenceOf(sourceLeft, source), "") << at << ": the source before its write";
        }
        // No record names audio that is not on the disk.
        if (operation.runs && !sourceOnDisk) {
          const std::string runs = operation.runs(s).substr(folder.size() + 1);
          EXPECT_TRUE(In(left, runs) == In(before, runs)) << at << ": " << runs << " before the source is on the disk";
        }
        CheckNothingHalfWritten(at, left, before, done);
        CheckRecordsLieBesideTheirClips(at, left, before, done, s.record.substr(folder.size() + 1),
                                        s.clip.substr(folder.size() + 1));

        // Run again, the disk working: finished, exactly as a clean run.
        const Outcome again = run();
        EXPECT_TRUE(Finished(again)) << at << ": run again: " << again.error;
        EXPECT_EQ(FolderDifference(ReadFolder(folder), done), "") << at << ": run again";
        // Or undone from where the error left off, when that run's record is there.
        if (!reverse.empty() && left.count(reverse.substr(folder.size() + 1))) {
          MaterializeFolder(left, folder);
          const Outcome back = runReverse();
          EXPECT_TRUE(Finished(back)) << at << ": reverse: " << back.error;
          EXPECT_EQ(FolderDifference(ReadFolder(folder), undone), "") << at << ": reverse";
        }
        // Or run again with the mark lost (removed by hand, say): the copy the stopped run
        // kept tells it by itself, and the run finishes exactly as a clean run.
        const std::string mark = ReplacingMarkPathOf(s.record).substr(folder.size() + 1);
        if (left.count(mark)) {
          FolderFiles withoutMark = left;
          withoutMark.erase(mark);
          MaterializeFolder(withoutMark, folder);
          const Outcome unmarked = run();
          EXPECT_TRUE(Finished(unmarked)) << at << ": run again without the mark: " << unmarked.error;
          EXPECT_EQ(FolderDifference(ReadFolder(folder), done), "") << at << ": run again without the mark";
        }
      }
    }
    summary += std::string(" ") + operation.what + " " + std::to_string(points) + " points,";
  }
  summary.back() = '\n';
  std::printf("%s", summary.c_str());
  std::fflush(stdout);
}

}  // namespace
}  // namespace ostrevan::testing
