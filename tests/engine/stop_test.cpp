// "中止" at every block of a cut, a write-back and an undo: each stops safely and says so,
// leaving the files exactly as they were before the operation.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "file_faults.h"
#include "half_writes.h"
#include "load_wave.h"
#include "pair_files.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

// Says stop at its `stopAt`th progress report (never when 0), and remembers what it was told.
class StoppingUi : public RecordingUi {
 public:
  int stopAt = 0;
  int reports = 0;
  uint64_t lastDone = 0, lastTotal = 0;
  bool Progress(const std::string&, uint64_t done, uint64_t total) override {
    lastDone = done;
    lastTotal = total;
    return ++reports != stopAt;
  }
};

std::map<std::string, Bytes> FilesIn(const ScratchDir& dir) {
  std::map<std::string, Bytes> files;
  for (const std::string& name : NamesIn(dir.path())) files[name] = ReadFile(dir.File(name));
  return files;
}

struct Stop : ::testing::Test {
  // Ten minutes in blocks of several MiB: every phase of the work has more than one block.
  WaveShape shape = SampleShape(1, 1, 8000, 8);
  uint64_t minute = BytesPerMinute(shape);
  ScratchDir dir;
  std::string source = dir.File("long.wav");
  std::string record = dir.File("long-1-10.ini");
  std::string earlier = dir.File("long-0-1.ini");

  void SetUp() override {
    WriteFile(source, MakeWave(shape, PatternBytes(12 * minute, 3)));
    Cut("1", "0");
    Cut("10", "1");
    WriteFile(ClipPathOfRecord(earlier), MakeWave(shape, PatternBytes(minute, 5)));
  }
  void Cut(const std::string& length, const std::string& start, EngineUi* ui = nullptr) {
    RecordingUi quiet;
    LoadedWave wave;
    LoadWave(source, wave);
    SaveClip(wave, length, start, source, ClipMode::StartMinute, ui ? *ui : quiet);
  }
  void Edit(uint32_t pattern) {
    WriteFile(ClipPathOfRecord(record), MakeWave(shape, PatternBytes(10 * minute, pattern)));
  }
  void WriteBack(const std::vector<std::string>& records) {
    RecordingUi quiet;
    WriteBackClips(records, quiet);
  }
};

TEST_F(Stop, AtEveryBlockEachOperationLeavesTheFilesAsTheyWere) {
  struct Operation {
    const char* what;
    std::function<void(Stop&)> prepare;
    std::function<void(Stop&, EngineUi&)> run;
    std::function<std::string(Stop&)> stopped;
    bool runsEarlierRecord = true;
  };
  // A write-back runs an earlier record first, whose write-back must stay complete.
  auto writeBack = [](Stop& t, EngineUi& ui) { WriteBackClips({t.earlier, t.record}, ui); };
  auto undo = [](Stop& t, EngineUi& ui) { WriteBackClips({t.earlier, UndoRecordPathOf(t.record)}, ui); };
  auto writeBackStopped = [](Stop& t) { return FormatText(texts::kWriteBackStopped, t.source); };
  const Operation operations[] = {
      {"a cut that replaces a clip", [](Stop& t) { t.Edit(7); t.WriteBack({t.record}); },
       [](Stop& t, EngineUi& ui) { t.Cut("10", "1", &ui); },
       [](Stop& t) { return FormatText(texts::kCutStopped, ClipPathOfRecord(t.record)); }, false},
      {"a first write-back", [](Stop& t) { t.Edit(7); }, writeBack, writeBackStopped},
      {"a second write-back", [](Stop& t) { t.Edit(7); t.WriteBack({t.record}); t.Edit(8); }, writeBack,
       writeBackStopped},
      {"an undo", [](Stop& t) { t.Edit(7); t.WriteBack({t.record}); }, undo, writeBackStopped},
  };
  auto restore = [&](const std::map<std::string, Bytes>& files) {
    for (const std::string& name : NamesIn(dir.path())) {
      if (files.count(name) == 0) RemoveFile(dir.File(name));
    }
    for (const auto& [name, bytes] : files) WriteFile(dir.File(name), bytes);
  };
  const std::map<std::string, Bytes> initial = FilesIn(dir);
  for (const Operation& operation : operations) {
    SCOPED_TRACE(operation.what);
    restore(initial);
    operation.prepare(*this);
    const std::map<std::string, Bytes> before = FilesIn(dir);
    // What a stop must leave: the operation undone, with the earlier record's write-back done.
    std::map<std::string, Bytes> expected = before;
    if (operation.runsEarlierRecord) {
      WriteBack({earlier});
      expected = FilesIn(dir);
      restore(before);
    }
    int stops = 0;
    for (int stopAt = 1;; ++stopAt) {
      StoppingUi ui;
      ui.stopAt = stopAt;
      operation.run(*this, ui);
      if (ui.reports < stopAt) break;  // finished before the stop came: every block was tried
      ++stops;
      EXPECT_EQ(ui.infos, std::vector<std::string>{operation.stopped(*this)}) << stopAt;
      // Stopped in the earlier record's own work: nothing is done yet.
      const bool inEarlier = operation.runsEarlierRecord && ui.lastTotal == 4 * minute;
      EXPECT_TRUE(FilesIn(dir) == (inEarlier ? before : expected)) << "stopped at report " << stopAt;
      restore(before);
    }
    EXPECT_GE(stops, operation.runsEarlierRecord ? 12 : 2) << "several blocks in every phase";
    std::printf("%s: stopped at each of %d reports\n", operation.what, stops);
  }
}

// "中止" while a run finishes one that a failing disk stopped part way: the range goes back to
// the audio from before that run, not to the half-written state, and the message says so.
TEST_F(Stop, WhileFinishingAStoppedRunTheRangeGoesBackToTheAudioFromBeforeIt) {
  const Bytes before = ReadFile(source);
  Edit(7);
  {
    HalfWrites failing("long.wav");
    EXPECT_EQ(ErrorOf([&] { WriteBack({record}); }), Text(texts::kWriteError));
  }
  ASSERT_NE(ReadFile(source), before);
  StoppingUi ui;
  ui.stopAt = 7;  // the fingerprints of the clip, the range and the kept copy took two blocks each
  WriteBackClips({record}, ui);
  EXPECT_EQ(ui.infos, std::vector<std::string>{FormatText(texts::kRecoveryStopped, source)});
  EXPECT_EQ(ReadFile(source), before);
}

}  // namespace
}  // namespace ostrevan::testing
