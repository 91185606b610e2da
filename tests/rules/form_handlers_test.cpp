#include <gtest/gtest.h>

#include "engine_error.h"
#include "fake_form.h"
#include "form_handlers.h"
#include "test_waves.h"

namespace ostrevan::rules {
namespace {

using namespace ostrevan::testing;

class FormHandlers : public ::testing::Test, protected testing::StandInWindow {};

TEST_F(FormHandlers, LoadShowsTheFileAndLimitsTheStartMinute) {
  form.startMinuteRange.position = 50;
  OpenDialogChosen(WriteMinutes(dir, "ten.wav", 605), form, ui);
  EXPECT_EQ(form.playTime, Text(u8"演奏時間:10分5秒"));
  EXPECT_EQ(form.attributes, Text(u8"WAV属性:stereo/16bit/100Hz"));
  EXPECT_EQ(form.startMinuteRange.maximum, 9);
  EXPECT_EQ(form.startMinuteRange.position, 9);
  EXPECT_EQ(form.startMinute, "9");
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(FormHandlers, LoadKeepsAStartMinuteWithinTheNewRange) {
  form.startMinuteRange.position = 3;
  form.startMinute = "3";
  OpenDialogChosen(WriteMinutes(dir, "ten.wav", 600), form, ui);
  EXPECT_EQ(form.startMinuteRange.maximum, 9);
  EXPECT_EQ(form.startMinuteRange.position, 3);
  EXPECT_EQ(form.startMinuteWrites, 0);
}

TEST_F(FormHandlers, ShortFileIsToldThenForgottenWithTheScrollBarUntouched) {
  form.startMinuteRange.maximum = 4;
  form.startMinuteRange.position = 2;
  form.startMinuteEnabled = false;
  OpenDialogChosen(WriteMinutes(dir, "short.wav", 59), form, ui);
  ASSERT_EQ(ui.infos.size(), 1u);
  EXPECT_EQ(ui.infos[0], Text(u8"１分以下のWAVEは処理できません"));
  EXPECT_EQ(form.sourcePath, "");
  EXPECT_EQ(form.playTime, Text(u8"演奏時間:0分59秒"));
  EXPECT_EQ(form.startMinuteRange.maximum, 4);
  EXPECT_EQ(form.startMinuteRange.position, 2);
  EXPECT_FALSE(form.startMinuteEnabled);
}

TEST_F(FormHandlers, MissingFileKeepsItsPathInLabel6) {
  const std::string missing = dir.File("missing.wav");
  EXPECT_EQ(ErrorOf([&] { OpenDialogChosen(missing, form, ui); }),
            FormatText(u8"ファイル %s は開けません", missing));
  EXPECT_EQ(form.sourcePath, missing);
}

TEST_F(FormHandlers, SaveTakesTheControlsTexts) {
  OpenDialogChosen(WriteMinutes(dir, "rec.wav", 180), form, ui);
  MoveStartMinute(form, 1);
  EXPECT_EQ(form.startMinute, "1");
  form.length = "2";
  SaveClipWork(form)(ui);
  EXPECT_TRUE(Exists(dir.File("rec-1-2.wav")));
  EXPECT_TRUE(Exists(dir.File("rec-1-2.ini")));
  form.fromStartMinute = false;
  form.length = "1";
  SaveClipWork(form)(ui);
  EXPECT_TRUE(Exists(dir.File("rec-L-1.wav")));
  EXPECT_EQ(ui.infos, (std::vector<std::string>{Text(u8"終わりました"), Text(u8"終わりました")}));
}

TEST_F(FormHandlers, SaveWithNothingLoadedFailsOnTheEmptyPath) {
  form.sourcePath = "";
  EXPECT_EQ(ErrorOf([&] { SaveClipWork(form)(ui); }), Text(u8"ファイル  は開けません"));
}

TEST_F(FormHandlers, SaveWithLettersAsLengthFailsOnlyThen) {
  OpenDialogChosen(WriteMinutes(dir, "rec.wav", 120), form, ui);
  form.length = "abc";
  EXPECT_EQ(ErrorOf([&] { SaveClipWork(form)(ui); }), Text(u8"'abc' は整数ではありません"));
}

TEST_F(FormHandlers, WriteBackRunsOverTheListAndLeavesIt) {
  const std::string source = WriteMinutes(dir, "rec.wav", 120);
  OpenDialogChosen(source, form, ui);
  SaveClipWork(form)(ui);
  form.recordPaths = {dir.File("rec-0-1.ini")};
  WriteBackWork(form)(ui);
  EXPECT_EQ(form.recordPaths.size(), 1u);
  EXPECT_EQ(ui.infos.back(), Text(u8"終わりました"));
  ClearRecordsPressed(form);
  EXPECT_TRUE(form.recordPaths.empty());
}

TEST_F(FormHandlers, MovingTheThumbShowsEveryNewPositionOnly) {
  MoveStartMinute(form, 100);
  EXPECT_EQ(form.startMinute, "100");
  MoveStartMinute(form, 250);
  EXPECT_EQ(form.startMinuteWrites, 1);
  MoveStartMinute(form, -3);
  EXPECT_EQ(form.startMinute, "0");
}

TEST_F(FormHandlers, DropRoutesEachFileByItsEnding) {
  const std::string wave = WriteMinutes(dir, "a.wav", 120);
  Drop({wave, dir.File("b.ini"), dir.File("c.txt"), dir.File("REC.INI")});
  EXPECT_EQ(form.sourcePath, wave);
  EXPECT_EQ(form.playTime, Text(u8"演奏時間:2分0秒"));
  EXPECT_EQ(form.recordPaths, (std::vector<std::string>{dir.File("b.ini"), dir.File("REC.INI")}));
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(FormHandlers, DropLoadsUpperCaseWavesAndKeepsTheLastOne) {
  const std::string first = WriteMinutes(dir, "ZOOM0001.WAV", 120);
  const std::string second = WriteMinutes(dir, "ZOOM0002.Wav", 240);
  Drop({first, second});
  EXPECT_EQ(form.sourcePath, second);
  EXPECT_EQ(form.startMinuteRange.maximum, 3);
}

TEST_F(FormHandlers, DropAppendsRecordsInOrderAfterTheListAndKeepsDuplicates) {
  form.recordPaths = {"old.ini"};
  Drop({"x.ini", "y.ini", "x.ini"});
  EXPECT_EQ(form.recordPaths, (std::vector<std::string>{"old.ini", "x.ini", "y.ini", "x.ini"}));
}

TEST_F(FormHandlers, ErrorEndsTheDrop) {
  const std::string missing = dir.File("gone.wav");
  EXPECT_EQ(ErrorOf([&] { Drop({"before.ini", missing, "after.ini", WriteMinutes(dir, "ok.wav", 120)}); }),
            FormatText(u8"ファイル %s は開けません", missing));
  EXPECT_EQ(form.recordPaths, std::vector<std::string>{"before.ini"});
  EXPECT_EQ(form.sourcePath, missing);

  form.recordCapacity = 2;
  EXPECT_EQ(ErrorOf([&] { Drop({"c.ini", "d.ini"}); }), Text(u8"行を挿入できません"));
  EXPECT_EQ(form.recordPaths.size(), 2u);
}

TEST_F(FormHandlers, ShortFileInADropIsToldAndTheDropGoesOn) {
  Drop({WriteMinutes(dir, "short.wav", 30), "after.ini"});
  EXPECT_EQ(ui.infos.size(), 1u);
  EXPECT_EQ(form.sourcePath, "");
  EXPECT_EQ(form.recordPaths, std::vector<std::string>{"after.ini"});
}

}  // namespace
}  // namespace ostrevan::rules
