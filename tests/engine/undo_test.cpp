// What a write-back keeps so that it can be undone, and what a cut keeps when it would replace
// an edited clip: edit, write back, undo, edit, write back, each step byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "block_copy.h"
#include "clip_record.h"
#include "half_writes.h"
#include "load_wave.h"
#include "pair_files.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

struct Undo : ::testing::Test {
  SourceWithClip s{3, "take.wav", 1};
  std::string undoRecord = UndoRecordPathOf(s.record);
  std::string undoClip = UndoClipPathOf(s.record);
  Bytes cutAudio = Slice(s.sourceBytes, 44 + kMinute, kMinute);
  RecordingUi ui;

  std::string Run(const std::string& record) {
    ui.infos.clear();
    return ErrorOf([&] { WriteBackClips({record}, ui); });
  }
  Bytes Range() { return ReadRange(s.source, 44 + kMinute, kMinute); }
  std::string FingerprintIn(const std::string& record) { return ReadRecordLines(record).lines[3]; }
  std::string FingerprintOf(const Bytes& audio) {
    const std::string path = s.dir.File("scratch.wav");
    WriteFile(path, MakeWave(TestFormat(), audio));
    File file;
    file.Open(path, FileMode::ReadExclusive);
    const std::string text = FingerprintOfRange(file, 44, audio.size(), audio.size());
    file.Close();
    RemoveFile(path);
    return text;
  }
};

// Each step of a user's round trips, and what the files hold after it.
TEST_F(Undo, EditWriteBackUndoEditWriteBackIsExactAtEveryStep) {
  struct Step {
    const char* what;
    uint32_t edit;        // the clip is edited with this pattern first; 0 for no edit
    bool undo;            // the undo record is run instead of the record
    uint32_t rangeHolds;  // the pattern the range holds afterwards; 0 for the audio as cut
  };
  const Step steps[] = {
      {"first write-back", 11, false, 11}, {"undo", 0, true, 0},
      {"write-back after the undo", 12, false, 12}, {"a second write-back", 13, false, 13},
      {"the same list again", 0, false, 13}, {"undo of two write-backs", 0, true, 0},
      {"undo again", 0, true, 0},
  };
  for (const Step& step : steps) {
    if (step.edit != 0) {
      s.EditClip(step.edit);
    }
    ASSERT_EQ(Run(step.undo ? undoRecord : s.record), "(no error)") << step.what;
    EXPECT_EQ(ui.infos, std::vector<std::string>{Text(texts::kFinished)});
    const Bytes expected = step.rangeHolds == 0 ? cutAudio : PatternBytes(kMinute, step.rangeHolds);
    EXPECT_EQ(DifferenceOf(Range(), expected), "") << step.what;
    EXPECT_TRUE(SameOutside(s.sourceBytes, ReadFile(s.source), 44 + kMinute, 44 + 2 * kMinute)) << step.what;
    // The undo clip keeps the audio as cut; both records name what the range holds.
    EXPECT_EQ(ReadFile(undoClip), MakeWave(TestFormat(), cutAudio)) << step.what;
    EXPECT_EQ(FingerprintIn(undoRecord), FingerprintOf(expected)) << step.what;
    EXPECT_EQ(FingerprintIn(s.record), FingerprintOf(expected)) << step.what;
    EXPECT_EQ(NamesIn(s.dir.path()), (std::vector<std::string>{"take-1-1.ini", "take-1-1.undo.ini",
                                                               "take-1-1.undo.wav", "take-1-1.wav", "take.wav"}))
        << step.what << ": no journal left, and an undo makes no undo of its own";
  }
}

// Disk full or a read-only folder: the copy of what would be replaced cannot be kept, so
// nothing is replaced.
TEST_F(Undo, AWriteBackWhoseUndoCannotBeWrittenWritesNothing) {
  s.EditClip(31);
  for (const char* failing : {".undo.wav.new", ".undo.ini.new"}) {
    HalfWrites full(failing);
    const std::string name = failing == std::string(".undo.wav.new") ? undoClip : undoRecord;
    EXPECT_EQ(Run(s.record), FormatText(texts::kUndoNotWritten, name)) << failing;
    EXPECT_EQ(ReadFile(s.source), s.sourceBytes) << failing;
    EXPECT_TRUE(ui.infos.empty());
  }
  EXPECT_EQ(Run(s.record), "(no error)");
  EXPECT_EQ(Range(), s.editedAudio);
}

// A second cut with the same settings: an edited clip that was not written back is kept
// aside with its record and undo files, as a pair that still writes back; a clip as it was
// cut is simply replaced.
TEST_F(Undo, ACutNeverReplacesAnEditedClip) {
  RecordingUi cutUi;
  CutClip(s.source, "1", "1", cutUi);
  EXPECT_EQ(cutUi.infos, std::vector<std::string>{Text(texts::kFinished)}) << "not edited: replaced";

  s.EditClip(41);
  ASSERT_EQ(Run(s.record), "(no error)");
  s.EditClip(42);  // edited again, not written back
  cutUi.infos.clear();
  CutClip(s.source, "1", "1", cutUi);
  const std::string aside = s.dir.File("take-1-1 (2).ini");
  EXPECT_EQ(cutUi.infos, (std::vector<std::string>{FormatText(texts::kKeptAside, ClipPathOfRecord(aside)),
                                                  Text(texts::kFinished)}));
  EXPECT_EQ(NamesIn(s.dir.path()),
            (std::vector<std::string>{"take-1-1 (2).ini", "take-1-1 (2).undo.ini", "take-1-1 (2).undo.wav",
                                      "take-1-1 (2).wav", "take-1-1.ini", "take-1-1.wav", "take.wav"}));
  EXPECT_EQ(ReadFile(ClipPathOfRecord(aside)), MakeWave(TestFormat(), PatternBytes(kMinute, 42)));
  EXPECT_EQ(ReadFile(s.clip), MakeWave(TestFormat(), PatternBytes(kMinute, 41))) << "the new cut";
  // The pair kept aside writes back, and its undo still goes back to the audio as first cut.
  ASSERT_EQ(Run(aside), "(no error)");
  EXPECT_EQ(Range(), PatternBytes(kMinute, 42));
  ASSERT_EQ(Run(UndoRecordPathOf(aside)), "(no error)");
  EXPECT_EQ(Range(), cutAudio);

  // A move aside stopped by a power cut after the clip went: the next cut finishes it.
  s.EditClip(43);
  const Bytes editedRecord = ReadFile(s.record);
  ASSERT_TRUE(ReplaceFileWith(s.clip, s.dir.File("take-1-1 (3).wav")));
  cutUi.infos.clear();
  CutClip(s.source, "1", "1", cutUi);
  const std::string third = s.dir.File("take-1-1 (3).ini");
  EXPECT_EQ(cutUi.infos.front(), FormatText(texts::kKeptAside, ClipPathOfRecord(third)));
  EXPECT_EQ(ReadFile(third), editedRecord);
}

// A write-back stopped while it wrote the source (the disk failed half way), then the clip
// edited again, moved or deleted, as users do: the undo restores the audio as cut from what
// the stopped run kept, whatever the clip holds, and the re-run refuses, naming the clip.
// Kept audio that is not what the records name is never taken for what the range held.
TEST_F(Undo, AStoppedRunIsUndoneWhateverTheClipHoldsNow) {
  const auto clipChanged = [](Undo& t) { return FormatText(texts::kClipChangedAfterStop, t.s.clip); };
  const auto clipGone = [](Undo& t) { return FormatText(texts::kCannotOpen, t.s.clip); };
  const auto sourceChanged = [](Undo& t) { return FormatText(texts::kSourceChangedSinceCut, t.s.source); };
  const auto alter = [](const std::string& path) { PutBytes(path, 44 + 10, Bytes(4, 0x66)); };
  const struct {
    const char* what;
    bool second;  // the stopped run was a second write-back
    std::function<void(Undo&)> afterStop;
    std::function<std::string(Undo&)> rerun;  // the re-run's refusal
    bool undone;  // the undo restores the audio as cut, else it is refused
  } rows[] = {
      {"first, clip edited again", false, [](Undo& t) { t.s.EditClip(13); }, clipChanged, true},
      {"second, clip edited again", true, [](Undo& t) { t.s.EditClip(13); }, clipChanged, true},
      {"first, clip deleted", false, [](Undo& t) { RemoveFile(t.s.clip); }, clipGone, true},
      {"second, clip moved", true,
       [](Undo& t) { std::filesystem::rename(PathOf(t.s.clip), PathOf(t.s.dir.File("elsewhere.wav"))); }, clipGone,
       true},
      {"first, undo clip altered", false, [&](Undo& t) { alter(t.undoClip); }, sourceChanged, false},
      {"second, journal altered", true, [&](Undo& t) { alter(JournalPathOf(t.s.record)); }, sourceChanged, false},
      {"second, journal altered, no mark (an earlier version's stop)", true,
       [&](Undo& t) {
         alter(JournalPathOf(t.s.record));
         RemoveFile(ReplacingMarkPathOf(t.s.record));
       },
       sourceChanged, false},
  };
  const auto initial = ReadFile(s.source);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (const std::string& name : NamesIn(s.dir.path())) {
      if (name != "take.wav") RemoveFile(s.dir.File(name));
    }
    WriteFile(s.source, initial);
    CutClip(s.source, "1", "1", ui);
    s.EditClip(11);
    if (row.second) {
      ASSERT_EQ(Run(s.record), "(no error)");
      s.EditClip(12);
    }
    {
      HalfWrites failing("take.wav");
      ASSERT_EQ(Run(s.record), Text(texts::kWriteError));
    }
    ASSERT_TRUE(Exists(ReplacingMarkPathOf(s.record)));
    row.afterStop(*this);
    const Bytes stopped = ReadFile(s.source);
    EXPECT_EQ(Run(s.record), row.rerun(*this));
    EXPECT_EQ(ReadFile(s.source), stopped);
    if (row.undone) {
      ASSERT_EQ(Run(undoRecord), "(no error)");
      EXPECT_EQ(Range(), cutAudio);
      EXPECT_TRUE(SameOutside(s.sourceBytes, ReadFile(s.source), 44 + kMinute, 44 + 2 * kMinute));
      EXPECT_FALSE(Exists(ReplacingMarkPathOf(s.record)));
      EXPECT_FALSE(Exists(JournalPathOf(s.record)));
    } else {
      EXPECT_EQ(Run(undoRecord), sourceChanged(*this));
      EXPECT_EQ(ReadFile(s.source), stopped);
    }
  }
}

// An undo pair beside the record that belongs to another range (left by an older cut of the
// same name) is moved aside, not taken as this record's: the record gets its own undo.
TEST_F(Undo, AnUndoPairOfAnotherRangeIsNeverTakenAsTheRecordsOwn) {
  const Bytes foreignAudio = PatternBytes(kMinute, 60);
  WriteFile(undoRecord, ComposeRecordText({0, kMinute, s.source, FingerprintOf(Slice(s.sourceBytes, 44, kMinute))}));
  WriteFile(undoClip, MakeWave(TestFormat(), foreignAudio));
  s.EditClip(52);
  ASSERT_EQ(Run(s.record), "(no error)");
  EXPECT_EQ(Range(), PatternBytes(kMinute, 52));
  ASSERT_EQ(Run(undoRecord), "(no error)");
  EXPECT_EQ(ReadFile(s.source), s.sourceBytes) << "its own undo: minute 1 as cut, minute 0 untouched";
  EXPECT_EQ(ReadFile(s.dir.File("take-1-1 (2).undo.wav")), MakeWave(TestFormat(), foreignAudio));
}

}  // namespace
}  // namespace ostrevan::testing
