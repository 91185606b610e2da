// Through the real window: a write-back stopped half way is finished by "実行", the undo record
// dropped and run gives back the audio as cut, and a second "WAV保存" keeps an edited clip.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "half_writes.h"
#include "pair_files.h"
#include "program_driver.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

struct Undo : ::testing::Test {
  SourceWithClip s{3, "take.wav", 0};
  Bytes cutAudio = Slice(s.sourceBytes, 44, kMinute);
  Bytes Range() { return ReadRange(s.source, 44, kMinute); }
  // Drops `records`, presses "実行" and returns the box it ends with.
  std::vector<std::string> WriteBack(Program& program, const std::vector<std::string>& records) {
    program.Click(program.Control("Button4"));
    program.Drop(records);
    EXPECT_TRUE(Lists(program.Control("ListBox1"), records));
    program.Click(program.Control("Button3"));
    return program.AnswerBox().texts;
  }
};

TEST_F(Undo, AStoppedWriteBackIsFinishedByRunningItAgainAndUndone) {
  // The disk fails half way through the source's range: part old audio, part the clip's.
  s.EditClip(61);
  {
    HalfWrites half(s.source);
    RecordingUi ui;
    EXPECT_EQ(ErrorOf([&] { WriteBackClips({s.record}, ui); }), Text(u8"ストリームへの書き込みエラー"));
  }
  ASSERT_NE(Range(), cutAudio);
  ASSERT_NE(Range(), s.editedAudio);

  Program program;
  const std::vector<std::string> finished{Text(u8"終わりました")};
  EXPECT_EQ(WriteBack(program, {s.record}), finished);
  EXPECT_EQ(Range(), s.editedAudio);
  EXPECT_EQ(WriteBack(program, {UndoRecordPathOf(s.record)}), finished);
  EXPECT_EQ(ReadFile(s.source), s.sourceBytes);
  // Edited again and written back: the undo still goes back to the audio as cut.
  s.EditClip(62);
  EXPECT_EQ(WriteBack(program, {s.record}), finished);
  EXPECT_EQ(Range(), s.editedAudio);
  EXPECT_EQ(WriteBack(program, {UndoRecordPathOf(s.record)}), finished);
  EXPECT_EQ(ReadFile(s.source), s.sourceBytes);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Undo, ASecondSaveKeepsTheEditedClipAside) {
  s.EditClip(63);
  Program program;
  program.Drop({s.source});
  EXPECT_TRUE(Shows(program.Control("Label6"), s.source));
  program.Click(program.Control("Button2"));
  const std::string aside = s.dir.File("take-0-1 (2).wav");
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{FormatText(texts::kKeptAside, aside)});
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(ReadFile(aside), MakeWave(TestFormat(), s.editedAudio));
  EXPECT_EQ(ReadFile(s.clip), MakeWave(TestFormat(), cutAudio));
  // The pair kept aside still writes back.
  EXPECT_EQ(WriteBack(program, {s.dir.File("take-0-1 (2).ini")}), std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(Range(), s.editedAudio);
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
