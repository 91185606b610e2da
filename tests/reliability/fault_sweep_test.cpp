// Every file operation of a cut, a write-back and an undo fails in turn: the first, then the
// second, and so on until a run makes no more of that kind (a short write, a failed read,
// flush, create or rename). Each run either ends with an error, the source as it was outside
// the clip's range, or finishes with exactly what a clean run leaves. After an error, the same
// operation run again leaves exactly what a clean run leaves; the run that undoes it (the undo
// of a write-back, the write-back of an undo), from where the error left off, leaves exactly
// what it leaves after a clean run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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

// Counts the file operations of each kind, and fails the `failAt`th of `kind` (none for 0).
class NthFails : public FileFaults {
 public:
  NthFails(Kind kind, int failAt) : kind_(kind), failAt_(failAt) { SetFileFaults(this); }
  ~NthFails() override { SetFileFaults(nullptr); }
  NthFails(const NthFails&) = delete;
  NthFails& operator=(const NthFails&) = delete;

  size_t WriteAllowance(const std::string&, int64_t, size_t size) override {
    return Fails(kShortWrite) ? size / 2 : size;
  }
  bool ReadFails(const std::string&, int64_t) override { return Fails(kFailedRead); }
  bool FlushFails(const std::string&) override { return Fails(kFailedFlush); }
  bool CreateFails(const std::string&) override { return Fails(kFailedCreate); }
  bool RenameFails(const std::string&, const std::string&) override { return Fails(kFailedRename); }

  int count[kKinds] = {};
  bool fired = false;

 private:
  bool Fails(Kind kind) {
    const bool fails = ++count[kind] == failAt_ && kind == kind_;
    fired = fired || fails;
    return fails;
  }
  Kind kind_;
  int failAt_;
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
  // The record whose write-back undoes the operation; "" for none.
  std::function<std::string(SourceWithClip&)> reverse;
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
  const Operation operations[] = {
      // Over a clip edited again after its write-back: the pair goes aside, then the new clip
      // and record are written.
      {"cut", [](SourceWithClip& s) { s.EditClip(41); WriteBack(s.record); s.EditClip(42); },
       [](SourceWithClip& s, const LoadedWave& wave, EngineUi& ui) {
         SaveClip(wave, "1", "1", s.source, ClipMode::StartMinute, ui);
       },
       nullptr},
      {"first write-back", [](SourceWithClip& s) { s.EditClip(11); }, writeBack, undoRecord},
      {"second write-back", [](SourceWithClip& s) { s.EditClip(11); WriteBack(s.record); s.EditClip(12); },
       writeBack, undoRecord},
      {"undo", [](SourceWithClip& s) { s.EditClip(11); WriteBack(s.record); }, undo,
       [](SourceWithClip& s) { return s.record; }},
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
      NthFails counting(kShortWrite, 0);
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
        {
          NthFails faults(static_cast<Kind>(kind), n);
          outcome = run();
          ASSERT_TRUE(faults.fired) << at;
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
