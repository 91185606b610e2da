#include <gtest/gtest.h>

#include "codepage.h"
#include "engine_error.h"
#include "fake_form.h"
#include "form_handlers.h"
#include "test_waves.h"

namespace ostrevan::rules {
namespace {

using namespace ostrevan::testing;

class FormHandlers : public ::testing::Test, protected testing::StandInWindow {};

TEST_F(FormHandlers, LoadShowsTheFileAndLimitsTheStartMinute) {
  form.scrollBar.position = 50;
  OpenDialogChosen(WriteMinutes(dir, "ten.wav", 605), form, ui);
  EXPECT_EQ(form.label2, Sys(u8"演奏時間:10分5秒"));
  EXPECT_EQ(form.label3, Sys(u8"WAV属性:stereo/16bit/100Hz"));
  EXPECT_EQ(form.scrollBar.maximum, 9);
  EXPECT_EQ(form.scrollBar.position, 9);
  EXPECT_EQ(form.label4, "9");
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(FormHandlers, LoadKeepsAStartMinuteWithinTheNewRange) {
  form.scrollBar.position = 3;
  form.label4 = "3";
  OpenDialogChosen(WriteMinutes(dir, "ten.wav", 600), form, ui);
  EXPECT_EQ(form.scrollBar.maximum, 9);
  EXPECT_EQ(form.scrollBar.position, 3);
  EXPECT_EQ(form.label4Writes, 0);
}

TEST_F(FormHandlers, ShortFileIsToldThenForgottenWithTheScrollBarUntouched) {
  form.scrollBar.maximum = 4;
  form.scrollBar.position = 2;
  form.scrollBarEnabled = false;
  OpenDialogChosen(WriteMinutes(dir, "short.wav", 59), form, ui);
  ASSERT_EQ(ui.infos.size(), 1u);
  EXPECT_EQ(ui.infos[0], Sys(u8"１分以下のWAVEは処理できません"));
  EXPECT_EQ(form.label6, "");
  EXPECT_EQ(form.label2, Sys(u8"演奏時間:0分59秒"));
  EXPECT_EQ(form.scrollBar.maximum, 4);
  EXPECT_EQ(form.scrollBar.position, 2);
  EXPECT_FALSE(form.scrollBarEnabled);
}

TEST_F(FormHandlers, MissingFileKeepsItsPathInLabel6) {
  const std::string missing = dir.File("missing.wav");
  EXPECT_EQ(ErrorOf([&] { OpenDialogChosen(missing, form, ui); }),
            FormatText(u8"ファイル %s は開けません", missing));
  EXPECT_EQ(form.label6, missing);
}

TEST_F(FormHandlers, SaveTakesTheControlsTexts) {
  OpenDialogChosen(WriteMinutes(dir, "rec.wav", 180), form, ui);
  MoveScrollBar1(form, 1);
  EXPECT_EQ(form.label4, "1");
  form.comboBox1 = "2";
  Button2Click(form, ui);
  EXPECT_TRUE(Exists(dir.File("rec-1-2.wav")));
  EXPECT_TRUE(Exists(dir.File("rec-1-2.ini")));
  form.radioButton1 = false;
  form.comboBox1 = "1";
  Button2Click(form, ui);
  EXPECT_TRUE(Exists(dir.File("rec-L-1.wav")));
  EXPECT_EQ(ui.infos, (std::vector<std::string>{Sys(u8"終わりました"), Sys(u8"終わりました")}));
}

TEST_F(FormHandlers, SaveWithNothingLoadedFailsOnTheEmptyPath) {
  form.label6 = "";
  EXPECT_EQ(ErrorOf([&] { Button2Click(form, ui); }), Sys(u8"ファイル  は開けません"));
}

TEST_F(FormHandlers, SaveWithLettersAsLengthFailsOnlyThen) {
  OpenDialogChosen(WriteMinutes(dir, "rec.wav", 120), form, ui);
  form.comboBox1 = "abc";
  EXPECT_EQ(ErrorOf([&] { Button2Click(form, ui); }), Sys(u8"'abc' は整数ではありません"));
}

TEST_F(FormHandlers, WriteBackRunsOverTheListAndLeavesIt) {
  const std::string source = WriteMinutes(dir, "rec.wav", 120);
  OpenDialogChosen(source, form, ui);
  Button2Click(form, ui);
  form.listBox1 = {dir.File("rec-0-1.ini")};
  Button3Click(form, ui);
  EXPECT_EQ(form.listBox1.size(), 1u);
  EXPECT_EQ(ui.infos.back(), Sys(u8"終わりました"));
  Button4Click(form);
  EXPECT_TRUE(form.listBox1.empty());
}

TEST_F(FormHandlers, MovingTheThumbShowsEveryNewPositionOnly) {
  MoveScrollBar1(form, 100);
  EXPECT_EQ(form.label4, "100");
  MoveScrollBar1(form, 250);
  EXPECT_EQ(form.label4Writes, 1);
  MoveScrollBar1(form, -3);
  EXPECT_EQ(form.label4, "0");
}

TEST_F(FormHandlers, DropRoutesEachFileByItsEnding) {
  const std::string wave = WriteMinutes(dir, "a.wav", 120);
  Drop({wave, dir.File("b.ini"), dir.File("c.txt"), dir.File("REC.INI")});
  EXPECT_EQ(form.label6, wave);
  EXPECT_EQ(form.label2, Sys(u8"演奏時間:2分0秒"));
  EXPECT_EQ(form.listBox1, (std::vector<std::string>{dir.File("b.ini"), dir.File("REC.INI")}));
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(FormHandlers, DropLoadsUpperCaseWavesAndKeepsTheLastOne) {
  const std::string first = WriteMinutes(dir, "ZOOM0001.WAV", 120);
  const std::string second = WriteMinutes(dir, "ZOOM0002.Wav", 240);
  Drop({first, second});
  EXPECT_EQ(form.label6, second);
  EXPECT_EQ(form.scrollBar.maximum, 3);
}

TEST_F(FormHandlers, DropAppendsRecordsInOrderAfterTheListAndKeepsDuplicates) {
  form.listBox1 = {"old.ini"};
  Drop({"x.ini", "y.ini", "x.ini"});
  EXPECT_EQ(form.listBox1, (std::vector<std::string>{"old.ini", "x.ini", "y.ini", "x.ini"}));
}

TEST_F(FormHandlers, ErrorEndsTheDrop) {
  const std::string missing = dir.File("gone.wav");
  EXPECT_EQ(ErrorOf([&] { Drop({"before.ini", missing, "after.ini", WriteMinutes(dir, "ok.wav", 120)}); }),
            FormatText(u8"ファイル %s は開けません", missing));
  EXPECT_EQ(form.listBox1, std::vector<std::string>{"before.ini"});
  EXPECT_EQ(form.label6, missing);

  form.listCapacity = 2;
  EXPECT_EQ(ErrorOf([&] { Drop({"c.ini", "d.ini"}); }), Sys(u8"行を挿入できません"));
  EXPECT_EQ(form.listBox1.size(), 2u);
}

TEST_F(FormHandlers, ShortFileInADropIsToldAndTheDropGoesOn) {
  Drop({WriteMinutes(dir, "short.wav", 30), "after.ini"});
  EXPECT_EQ(ui.infos.size(), 1u);
  EXPECT_EQ(form.label6, "");
  EXPECT_EQ(form.listBox1, std::vector<std::string>{"after.ini"});
}

// A name the code page cannot hold arrives as a look-alike ("café" as "cafe") or with "?":
// such a name is refused before anything changes, and the file it happens to name (here a
// real "cafe.wav") is neither loaded nor listed.
TEST_F(FormHandlers, NameNotHeldByTheCodePageIsRefusedAndEndsTheDrop) {
  const std::string lookAlike = WriteMinutes(dir, "cafe.wav", 120);
  form.label6 = "before";
  const auto drop = [&](const std::vector<CodePageName>& names) {
    DropFiles(static_cast<uint32_t>(names.size()), [&](uint32_t i) { return names[i]; }, form, ui,
              IsSystemLeadByte);
  };
  EXPECT_EQ(ErrorOf([&] { drop({{"first.ini"}, {lookAlike, false}, {"after.ini"}}); }),
            FormatText(u8"ファイル名 %s にはこのシステムのコード ページで表せない文字があります", lookAlike));
  EXPECT_EQ(form.label6, "before");
  EXPECT_EQ(form.label2, "");
  EXPECT_EQ(form.listBox1, std::vector<std::string>{"first.ini"});

  EXPECT_EQ(ErrorOf([&] { drop({{"??.ini", false}}); }),
            FormatText(u8"ファイル名 %s にはこのシステムのコード ページで表せない文字があります", "??.ini"));
  EXPECT_EQ(form.listBox1, std::vector<std::string>{"first.ini"});

  // A name that would be passed over anyway is passed over without a message.
  drop({{"??.txt", false}, {"last.ini"}});
  EXPECT_EQ(form.listBox1, (std::vector<std::string>{"first.ini", "last.ini"}));
}

TEST_F(FormHandlers, OpenDialogNameNotHeldByTheCodePageIsRefusedBeforeLabel6) {
  const std::string lookAlike = WriteMinutes(dir, "cafe.wav", 120);
  EXPECT_EQ(ErrorOf([&] { OpenDialogChosen({lookAlike, false}, form, ui); }),
            FormatText(u8"ファイル名 %s にはこのシステムのコード ページで表せない文字があります", lookAlike));
  EXPECT_EQ(form.label6, "");
  EXPECT_EQ(form.label2, "");
}

}  // namespace
}  // namespace ostrevan::rules
