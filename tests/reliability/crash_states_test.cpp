// A power loss at any moment of a write-back (one the user stopped too), an undo or a cut:
// every state the disk may be left in (tests/support/disk_model.h), built from the
// operation's own log of file operations, then the recovery a user has: the same operation
// again (after editing the clip once more, for some), then the undo. The source never changes
// outside the clip's range, the audio as it was cut is never lost, no record lies beside a
// clip of another range, a recovery cut short by another power loss recovers too, and
// "終わりました" (or the stopped message) is shown only once what it reports is on the disk.

#include <gtest/gtest.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "clip_record.h"
#include "disk_model.h"
#include "engine_error.h"
#include "pair_files.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

// --- The model itself: how many states a short log allows. ---

DiskEvent Write(const std::string& name, int64_t position, size_t size) {
  DiskEvent event(DiskEvent::Kind::Write, name);
  event.position = position;
  event.bytes = Bytes(size, 0xAB);
  return event;
}
DiskEvent Op(DiskEvent::Kind kind, const std::string& name = "", const std::string& to = "") {
  return DiskEvent(kind, name, to);
}

TEST(DiskModel, CountsTheStatesAPowerLossAllows) {
  using Kind = DiskEvent::Kind;
  const FolderFiles before{{"a", Bytes(2000, 1)}, {"b", Bytes(10, 2)}};
  struct Case {
    const char* what;
    std::vector<DiskEvent> events;
    uint64_t statesAtEnd;
  };
  const Case cases[] = {
      {"three sectors written, not flushed: each old or new", {Write("a", 100, 1000)}, 8},
      {"the same, flushed", {Write("a", 100, 1000), Op(Kind::Flush, "a")}, 1},
      {"a file grown by a sector", {Write("b", 10, 600)}, 4},
      {"one sector written twice: neither write, either one or both", {Write("a", 0, 10), Write("a", 5, 10)}, 4},
      {"a new file of two sectors, its folder not flushed: missing, or there with each sector old or new",
       {Op(Kind::Create, "c"), Write("c", 0, 1024), Op(Kind::Flush, "c")}, 2},
      {"the same before its flush", {Op(Kind::Create, "c"), Write("c", 0, 1024)}, 5},
      {"a flushed new file renamed over another: the old, the old beside the new, or the new",
       {Op(Kind::Create, "c"), Write("c", 0, 10), Op(Kind::Flush, "c"), Op(Kind::Rename, "c", "b")}, 3},
      {"the same with the folder flushed", {Op(Kind::Create, "c"), Op(Kind::Flush, "c"), Op(Kind::Rename, "c", "b"),
                                            Op(Kind::FolderFlush)}, 1},
      {"a file emptied and one sector written: emptied or not, the sector old or new",
       {Op(Kind::Create, "a"), Write("a", 0, 10)}, 4},
      {"a removed file: there or not", {Op(Kind::Remove, "b")}, 2},
      {"a rename of a name not yet on the disk is void without its create",
       {Op(Kind::Create, "c"), Op(Kind::Rename, "c", "d"), Op(Kind::Remove, "b")}, 6},
  };
  for (const Case& c : cases) {
    const CrashStates states(before, c.events);
    ASSERT_EQ(states.Points(), c.events.size() + 1) << c.what;
    EXPECT_EQ(states.Count(0), 1u) << c.what;
    EXPECT_EQ(states.Count(states.Points() - 1), c.statesAtEnd) << c.what;
  }
  // The eight states of three written sectors are the eight mixes of old and new sectors.
  const CrashStates written(before, {Write("a", 100, 1000)});
  std::set<Bytes> seen;
  for (uint64_t i = 0; i < 8; ++i) {
    const Bytes a = written.State(1, i).files.at("a");
    ASSERT_EQ(a.size(), 2000u);
    const size_t inSector[] = {300, 700, 1050};  // the write covers 100 to 1100
    for (size_t sector = 0; sector < 3; ++sector) {
      EXPECT_EQ(a[inSector[sector]], ((i >> sector) & 1) ? 0xAB : 1) << i;
    }
    EXPECT_EQ(a[50], 1);
    EXPECT_EQ(a[1500], 1);
    seen.insert(a);
  }
  EXPECT_EQ(seen.size(), 8u);
}

// --- The engine's operations. ---

enum class Operation {
  FirstWriteBack,
  SecondWriteBack,
  Undo,
  ThreeLineRecord,
  StoppedWriteBack,
  CutOverEditedClip,
  // A write-back whose clip the user edits again before the recovery.
  FirstWriteBackEditedAfter,
  SecondWriteBackEditedAfter,
  // A cut from the end, written back; the recording grows by a minute and the same cut is
  // made again: the clip and record of the new last minute replace those of the old one,
  // whose undo pair is moved aside.
  ReCutFromEnd,
};

struct Size {
  const char* name;
  WaveShape shape;
  int sourceMinutes;
  std::string start, length;  // the cut's texts
  StateChoice choice;
  bool everyState;         // no point has too many states to build them all
  int crashesPerRecovery;  // states of each recovery's own log that are recovered again
};

const Size& Small() {
  // Mono 8 bits, 20 frames a second: a minute is 1,200 bytes, the clip's range 3 sectors,
  // and every state of every crash point is built.
  static const Size size{"small", SampleShape(1, 1, 20, 8), 3, "1", "1", {4096, 10000, 1}, true, 4};
  return size;
}

const Size& TenMinutes() {
  static const Size size{"ten_minutes", TestFormat(), 12, "1", "10", {4096, 10000, 2}, false, 1};
  return size;
}

struct Case {
  Operation operation;
  const char* name;
  const Size* size;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name << ", " << c.size->name; }

std::string NameOf(const ::testing::TestParamInfo<Case>& info) {
  return std::string(info.param.name) + "_" + info.param.size->name;
}

// The audio of a WAV file with the 44-byte header that clips have.
Bytes ClipAudio(const Bytes& wave) {
  if (wave.size() < 44) return {};
  const uint32_t stated = wave[40] | wave[41] << 8 | wave[42] << 16 | static_cast<uint32_t>(wave[43]) << 24;
  return Slice(wave, 44, std::min<uint64_t>(stated, wave.size() - 44));
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

// Marks, in the recorder's log, the stage that runs and each message it shows; stops the
// work at its end when told to (a write-back then, with the source written, not flushed).
class MarkingUi : public RecordingUi {
 public:
  explicit MarkingUi(DiskRecorder* recorder, bool stopAtEnd = false) : recorder_(recorder), stopAtEnd_(stopAtEnd) {}
  bool Progress(const std::string&, uint64_t done, uint64_t total) override { return !(stopAtEnd_ && done == total); }
  void Stage(const std::string& stage) {
    stage_ = stage;
    if (recorder_) recorder_->Mark(stage);
  }
  void ShowInfo(const std::string& text) override {
    RecordingUi::ShowInfo(text);
    if (recorder_) recorder_->Mark(stage_ + ": " + text);
  }

 private:
  DiskRecorder* recorder_;
  bool stopAtEnd_;
  std::string stage_;
};

// The first few failures in full, the rest counted.
struct Failures {
  int count = 0;
  void Add(const std::string& what, const std::string& state) {
    if (++count <= 5) ADD_FAILURE() << what << "\n  in the state " << state;
  }
};

struct Recovery {
  std::string rerun, undo;  // each one's error, "(no error)" when it went through
  Bytes afterRerun, afterUndo;  // the source's range after each
  Bytes source;
  FolderFiles folder;
};

// The files of one operation, made by the engine in a folder of their own.
class Scene {
 public:
  Scene(Operation operation, const Size& size) : operation_(operation), size_(size) {
    source_ = dir_.File("take.wav");
    const uint64_t minute = BytesPerMinute(size.shape);
    const Bytes audio = PatternBytes(minute * static_cast<uint64_t>(size.sourceMinutes), 5);
    WriteFile(source_, MakeWave(size.shape, audio));
    mode_ = operation == Operation::ReCutFromEnd ? ClipMode::FromEnd : ClipMode::StartMinute;
    record_ = Cut();
    clip_ = ClipOf(record_);
    undoRecord_ = UndoRecordPathOf(record_);
    recordAsCut_ = ReadFile(record_);
    sourceAsCut_ = ReadFile(source_);
    rangeBytes_ = minute * static_cast<uint64_t>(std::stoi(size.length));
    const int startMinute = mode_ == ClipMode::FromEnd ? size.sourceMinutes - std::stoi(size.length) : std::stoi(size.start);
    rangeStart_ = 44 + static_cast<int64_t>(minute) * startMinute;
    cutAudio_ = Range(sourceAsCut_);
    EditClip(11);
    expected_ = edited_;
    switch (operation) {
      case Operation::FirstWriteBack:
      case Operation::FirstWriteBackEditedAfter:
      case Operation::StoppedWriteBack: break;
      case Operation::SecondWriteBack:
      case Operation::SecondWriteBackEditedAfter:
        WriteBack(record_);
        EditClip(12);
        expected_ = edited_;
        break;
      case Operation::Undo:
        WriteBack(record_);
        expected_ = cutAudio_;
        break;
      case Operation::ThreeLineRecord: {
        const std::vector<std::string> head = RecordHead(record_);
        WriteFile(record_, ComposeRecordText({std::stoll(head[0]), std::stoll(head[1]), head[2], ""}));
        break;
      }
      case Operation::CutOverEditedClip: expected_ = cutAudio_; break;
      case Operation::ReCutFromEnd: {
        WriteBack(record_);
        firstRange_ = {rangeStart_, cutAudio_};
        Bytes grown = Slice(ReadFile(source_), 44, audio.size());
        const Bytes more = PatternBytes(minute, 6);
        grown.insert(grown.end(), more.begin(), more.end());
        WriteFile(source_, MakeWave(size.shape, grown));
        sourceAsCut_ = ReadFile(source_);
        rangeStart_ += static_cast<int64_t>(minute);
        cutAudio_ = Range(sourceAsCut_);
        expected_ = cutAudio_;
        // The record the cut writes, learned from the cut itself, the folder then put back.
        const FolderFiles before = ReadFolder(dir_.path());
        Cut();
        recordAsCut_ = ReadFile(record_);
        MaterializeFolder(before, dir_.path());
        break;
      }
    }
    rerunExpected_ = expected_;
    if (operation == Operation::FirstWriteBackEditedAfter || operation == Operation::SecondWriteBackEditedAfter) {
      rerunExpected_ = PatternBytes(rangeBytes_, 13);
    }
  }

  const std::string& folder() const { return dir_.path(); }

  void Run(EngineUi& ui) {
    if (IsCut()) {
      CutClip(source_, size_.length, size_.start, ui, mode_);
    } else {
      WriteBackClips({operation_ == Operation::Undo ? undoRecord_ : record_}, ui);
    }
  }

  // The same operation again, then the undo (a cut has none).
  Recovery Recover(DiskRecorder* recorder) {
    MarkingUi ui(recorder);
    Recovery recovery;
    if (rerunExpected_ != expected_) WriteFile(clip_, MakeWave(size_.shape, rerunExpected_));
    ui.Stage("re-run");
    recovery.rerun = ErrorOf([&] { Run(ui); });
    if (IsCut()) {
      recovery.folder = ReadFolder(dir_.path());
      recovery.source = recovery.folder[BaseName(source_)];
      return recovery;
    }
    recovery.afterRerun = ReadRange(source_, rangeStart_, rangeBytes_);
    ui.Stage("undo");
    recovery.undo = ErrorOf([&] { WriteBackClips({undoRecord_}, ui); });
    recovery.source = ReadFile(source_);
    recovery.afterUndo = Range(recovery.source);
    return recovery;
  }

  // What must hold in a state the power loss left, before any recovery.
  void CheckState(const std::vector<std::string>& marks, const FolderFiles& files, const std::string& where,
                  Failures& failures) const {
    const auto source = files.find(BaseName(source_));
    if (source == files.end()) return failures.Add("the source is gone", where);
    CheckOutside(source->second, where, failures);
    CheckPairs(files, source->second, false, where, failures);
    // What a stage reported as done, or as put back, is on the disk.
    const std::string last = marks.empty() ? "" : marks.back();
    const auto says = [&last](const std::string& text) {
      return last.size() >= text.size() + 2 && last.compare(last.size() - text.size() - 2, std::string::npos, ": " + text) == 0;
    };
    if (says(FormatText(texts::kWriteBackStopped, source_))) {
      if (Range(source->second) != cutAudio_) failures.Add("stopped, but the range on the disk is not put back", where);
    }
    if (!says(Text(texts::kFinished))) return;
    const bool undone = last.compare(0, 4, "undo") == 0;
    if (IsCut()) {
      if (!HoldsCut(files)) failures.Add("finished, but the new clip and record are not on the disk", where);
      CheckPairs(files, source->second, true, where + "; finished", failures);
    } else if (Range(source->second) != (undone ? cutAudio_ : expected_)) {
      failures.Add("finished, but the range on the disk is not what was written", where);
    }
  }

  void CheckRecovery(const Recovery& recovery, const std::string& where, Failures& failures) const {
    CheckOutside(recovery.source, where + "; after the recovery", failures);
    if (IsCut()) {
      if (recovery.rerun != "(no error)") failures.Add("the cut again failed: " + recovery.rerun, where);
      if (!HoldsCut(recovery.folder)) failures.Add("the cut again left no clip and record as cut", where);
      CheckPairs(recovery.folder, recovery.source, true, where + "; after the cut again", failures);
      return;
    }
    if (recovery.rerun == "(no error)" && recovery.afterRerun != rerunExpected_) {
      failures.Add("the write-back again went through, but the range is not the clip: " +
                       DifferenceOf(recovery.afterRerun, rerunExpected_), where);
    }
    if (recovery.afterUndo != cutAudio_) {
      failures.Add("after the undo (" + recovery.undo + ") the range is not the audio as cut: " +
                       DifferenceOf(recovery.afterUndo, cutAudio_), where);
    }
  }

 private:
  bool IsCut() const { return operation_ == Operation::CutOverEditedClip || operation_ == Operation::ReCutFromEnd; }

  std::string Cut() {
    RecordingUi quiet;
    return CutClip(source_, size_.length, size_.start, quiet, mode_);
  }

  // What the pairs in a folder must hold around a cut: the edited clip a cut would replace is
  // kept; no record lies beside a clip that is not what its range holds (no clip is edited
  // here but that one). Once a cut has finished (`settled`), that clip has a record naming its
  // range, and the write-back made before a re-cut can be undone: a move of a pair is no
  // single step, and may stand half done until the next cut finishes it.
  void CheckPairs(const FolderFiles& files, const Bytes& source, bool settled, const std::string& where,
                  Failures& failures) const {
    if (operation_ == Operation::CutOverEditedClip) {
      if (!HoldsWave(files, edited_)) failures.Add("the edited clip is lost", where);
      if (settled && !HoldsEditedPair(files)) failures.Add("no record names the edited clip", where);
    }
    if (operation_ != Operation::ReCutFromEnd) return;
    bool undoable = false;
    for (const auto& [name, text] : files) {
      if (name.size() < 4 || name.compare(name.size() - 4, 4, ".ini") != 0) continue;
      const auto clip = files.find(name.substr(0, name.size() - 4) + ".wav");
      if (clip == files.end()) continue;
      const RecordLines lines = SplitRecordText(AsText(text));
      const uint64_t offset = std::stoull("0" + lines.lines[0]), bytes = std::stoull("0" + lines.lines[1]);
      const bool isUndo = name.size() > 9 && name.compare(name.size() - 9, 9, ".undo.ini") == 0;
      if (isUndo) {
        undoable = undoable || (44 + static_cast<int64_t>(offset) == firstRange_.start &&
                                ClipAudio(clip->second) == firstRange_.audio);
      } else if (44 + offset + bytes > source.size() || ClipAudio(clip->second) != Slice(source, 44 + offset, bytes)) {
        failures.Add(name + " lies beside a clip of another range", where);
      }
    }
    if (settled && !undoable) failures.Add("the write-back before the re-cut can no longer be undone", where);
  }

  void WriteBack(const std::string& record) {
    RecordingUi ui;
    WriteBackClips({record}, ui);
  }
  void EditClip(uint32_t pattern) {
    edited_ = PatternBytes(rangeBytes_, pattern);
    WriteFile(clip_, MakeWave(size_.shape, edited_));
  }
  Bytes Range(const Bytes& source) const {
    if (source.size() < static_cast<uint64_t>(rangeStart_) + rangeBytes_) return {};
    return Slice(source, static_cast<uint64_t>(rangeStart_), rangeBytes_);
  }
  void CheckOutside(const Bytes& source, const std::string& where, Failures& failures) const {
    if (!SameOutside(sourceAsCut_, source, rangeStart_, rangeStart_ + static_cast<int64_t>(rangeBytes_)) ||
        (IsCut() && source != sourceAsCut_)) {
      failures.Add("the source changed where it must not: " + DifferenceOf(source, sourceAsCut_), where);
    }
  }
  static bool HoldsWave(const FolderFiles& files, const Bytes& audio) {
    for (const auto& file : files) {
      if (ClipAudio(file.second) == audio) return true;
    }
    return false;
  }
  // The clip and record as the cut makes them, under their own names.
  bool HoldsCut(const FolderFiles& files) const {
    const auto clip = files.find(BaseName(clip_));
    const auto record = files.find(BaseName(record_));
    return clip != files.end() && record != files.end() && ClipAudio(clip->second) == cutAudio_ &&
           record->second == recordAsCut_;
  }
  // A record, under any name, whose clip holds the edited audio and whose lines name the
  // clip's range of the source.
  bool HoldsEditedPair(const FolderFiles& files) const {
    const RecordLines cut = SplitRecordText(AsText(recordAsCut_));
    for (const auto& file : files) {
      const std::string& name = file.first;
      if (name.size() < 4 || name.compare(name.size() - 4, 4, ".ini") != 0) continue;
      const auto clip = files.find(name.substr(0, name.size() - 4) + ".wav");
      if (clip == files.end() || ClipAudio(clip->second) != edited_) continue;
      const RecordLines lines = SplitRecordText(AsText(file.second));
      if (lines.lines[0] == cut.lines[0] && lines.lines[1] == cut.lines[1] && lines.lines[2] == cut.lines[2]) return true;
    }
    return false;
  }

  Operation operation_;
  const Size& size_;
  ClipMode mode_ = ClipMode::StartMinute;
  struct {
    int64_t start = 0;
    Bytes audio;
  } firstRange_;  // a re-cut's: the range the first cut named, and its audio as cut
  ScratchDir dir_{MemoryBackedFolder()};
  std::string source_, record_, clip_, undoRecord_;
  Bytes recordAsCut_, sourceAsCut_;
  int64_t rangeStart_ = 0;
  uint64_t rangeBytes_ = 0;
  Bytes cutAudio_;  // the range as cut
  Bytes edited_;    // the clip's audio as the operation finds it
  Bytes expected_;  // what the operation puts in the range (a cut: in its clip)
  Bytes rerunExpected_;  // what the operation run again puts there
};

class CrashStatesTest : public ::testing::TestWithParam<Case> {};

TEST_P(CrashStatesTest, EveryStateRecoversAndKeepsTheAudioAsCut) {
  const Case& c = GetParam();
#ifdef __GLIBC__
  // The states' files are allocated and freed many thousand times: kept by the allocator,
  // their pages are not faulted in anew each time (ten times the run time on a virtual machine).
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  Scene scene(c.operation, *c.size);
  DiskRecorder recorder(scene.folder());
  {
    const bool stops = c.operation == Operation::StoppedWriteBack;
    MarkingUi ui(&recorder, stops);
    ui.Stage("operation");
    ASSERT_EQ(ErrorOf([&] { scene.Run(ui); }), "(no error)");
    ASSERT_FALSE(ui.infos.empty());
    ASSERT_EQ(ui.infos.back() == Text(texts::kFinished), !stops) << ui.infos.back();
  }
  recorder.Stop();
  ASSERT_TRUE(recorder.elsewhere().empty()) << recorder.elsewhere().front();

  Failures failures;
  std::mt19937_64 random(c.size->choice.randomStart);
  uint64_t refused = 0, duringRecovery = 0;
  const CrashStateCounts counts = ForEachCrashState(
      recorder.before(), recorder.events(), c.size->choice,
      [&](const std::vector<std::string>& marks, const CrashState& state) {
        scene.CheckState(marks, state.files, state.description, failures);
        MaterializeFolder(state.files, scene.folder());
        DiskRecorder again(scene.folder(), state.files);
        const Recovery recovery = scene.Recover(&again);
        again.Stop();
        if (recovery.rerun != "(no error)") ++refused;
        scene.CheckRecovery(recovery, state.description, failures);
        // Another power loss, during the recovery.
        const CrashStates during(again.before(), again.events());
        for (int i = 0; i < c.size->crashesPerRecovery; ++i, ++duringRecovery) {
          const size_t point = static_cast<size_t>(random() % during.Points());
          const CrashState inner = during.RandomState(point, random);
          const std::string where = state.description + "; then during the recovery " + inner.description;
          scene.CheckState(during.MarksBefore(point), inner.files, where, failures);
          MaterializeFolder(inner.files, scene.folder());
          scene.CheckRecovery(scene.Recover(nullptr), where, failures);
        }
      });
  const std::string summary = counts.Text() + "; " + std::to_string(refused) + " re-runs refused; " +
                              std::to_string(duringRecovery) + " states during recoveries";
  std::cout << c.name << " (" << c.size->name << "): " << summary << "\n";
  RecordProperty("crash_states", summary);
  EXPECT_EQ(failures.count, 0);
  EXPECT_EQ(counts.sampled == 0, c.size->everyState);
}

std::vector<Case> Cases(const Size& size) {
  return {{Operation::FirstWriteBack, "first_write_back", &size},
          {Operation::SecondWriteBack, "second_write_back", &size},
          {Operation::Undo, "undo", &size},
          {Operation::ThreeLineRecord, "three_line_record", &size},
          {Operation::StoppedWriteBack, "stopped_write_back", &size},
          {Operation::CutOverEditedClip, "cut_over_edited_clip", &size},
          {Operation::FirstWriteBackEditedAfter, "first_write_back_clip_edited_after", &size},
          {Operation::SecondWriteBackEditedAfter, "second_write_back_clip_edited_after", &size},
          {Operation::ReCutFromEnd, "re_cut_from_end", &size}};
}

INSTANTIATE_TEST_SUITE_P(Small, CrashStatesTest, ::testing::ValuesIn(Cases(Small())), NameOf);
INSTANTIATE_TEST_SUITE_P(TenMinutes, CrashStatesTest, ::testing::ValuesIn(Cases(TenMinutes())), NameOf);

}  // namespace
}  // namespace ostrevan::testing
