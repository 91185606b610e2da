// The real program: "WAV保存" after a drop whose file another program held open. The file
// is held by this driver with share mode 0 and let go once the error box has been closed.

#include <gtest/gtest.h>

#include "program_driver.h"
#include "replaced_source.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

std::string ChangedSinceLoad(const std::string& path) {
  return Text(u8"ファイル ") + path + Text(u8" は読み込んだ後に変わっています。もう一度読み込んでください");
}

class SaveAfterFailedLoad : public ::testing::Test {
 protected:
  Program program;

  std::string Label(const char* name) const { return TextOf(program.Control(name)); }

  // ScrollBar1 moved as its keys move it, sent rather than posted, so it has happened when
  // this returns.
  void Scroll(int request) {
    SendMessageA(program.Form(), WM_HSCROLL, static_cast<WPARAM>(request),
                 reinterpret_cast<LPARAM>(program.Control("ScrollBar1")));
  }

  // Drops `path` and waits until its load has ended, without a box. Label6 shows the path
  // before the load, and may show it already from a load that failed.
  void DropAndLoad(const std::string& path) {
    program.Drop({path});
    EXPECT_TRUE(Shows(program.Control("Label6"), path));
    EXPECT_TRUE(program.ShowsNoDialog());
  }

  // Drops `path` while this driver holds it open, shared with nobody: the error box names
  // it and Label6 keeps it. The file is let go after the box is closed.
  void FailToLoadWhileHeld(const std::string& path) {
    const HANDLE held = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    program.Drop({path});
    const HWND box = program.WaitForDialog(Program::Dialog::Box);
    if (box) {
      EXPECT_EQ(program.ReadBox(box).texts, std::vector<std::string>{Text(u8"ファイル ") + path + Text(u8" は開けません.")});
      program.PressOk(box);
    }
    CloseHandle(held);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Shows(program.Control("Label6"), path));
  }

  // Presses "WAV保存" and returns the information box that follows, closed.
  BoxContents SaveAndReadBox() {
    program.Click(program.Control("Button2"));
    return program.AnswerBox();
  }

  // The save is refused with the information box's changed-since-load message for `path`;
  // nothing is written and Memo1 keeps its text.
  void ExpectSaveRefused(const ScratchDir& dir, const std::string& path,
                         const std::vector<std::pair<std::string, Bytes>>& unchanged) {
    const std::vector<std::string> before = NamesIn(dir.path());
    const std::string memo = Label("Memo1");
    const BoxContents box = SaveAndReadBox();
    EXPECT_EQ(box.texts, std::vector<std::string>{ChangedSinceLoad(path)});
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(box.hasIcon);  // the information box, not the error box
    EXPECT_EQ(NamesIn(dir.path()), before);
    EXPECT_TRUE(Shows(program.Control("Memo1"), memo));
    for (const auto& [file, bytes] : unchanged) EXPECT_EQ(ReadFile(file), bytes) << file;
  }
};

// Each replacement in turn in one running program; after the refusal, b.wav dropped again
// loads and is cut from minute 2 with its own values.
TEST_F(SaveAfterFailedLoad, AFileOfAnotherLayoutIsNotCutWithTheLoadedValues) {
  for (const Replacement& replacement : ostrevan::testing::Replacements()) {
    SCOPED_TRACE(replacement.what);
    ScratchDir dir;
    const std::string a = dir.File("a.wav");
    const std::string b = dir.File("b.wav");
    const Bytes bAudio = PatternBytes(replacement.failedAudioBytes, 2);
    WriteFile(a, MakeWave(replacement.loaded, PatternBytes(10 * BytesPerMinute(replacement.loaded), 1)));
    WriteFile(b, MakeWave(replacement.failed, bAudio));
    const Bytes aBytes = ReadFile(a), bBytes = ReadFile(b);

    DropAndLoad(a);
    Scroll(SB_LEFT);
    Scroll(SB_LINERIGHT);
    Scroll(SB_LINERIGHT);
    ASSERT_EQ(Label("Label4"), "2");
    FailToLoadWhileHeld(b);
    ExpectSaveRefused(dir, b, {{a, aBytes}, {b, bBytes}});

    DropAndLoad(b);
    EXPECT_EQ(SaveAndReadBox().texts, std::vector<std::string>{Text(u8"終わりました")});
    EXPECT_TRUE(Exists(dir.File("b-2-1.ini")));
    const uint64_t minute = BytesPerMinute(replacement.failed);
    EXPECT_EQ(WalkedAudio(dir.File("b-2-1.wav")), Bytes(bAudio.begin() + 2 * minute, bAudio.begin() + 3 * minute));
    EXPECT_EQ(ReadFile(a), aBytes);
    EXPECT_EQ(ReadFile(b), bBytes);
  }
  EXPECT_EQ(program.Close(), 0u);
}

// A b.wav whose data chunk holds nothing, under a name with a trail byte 0x5C ("ソ"), which
// the message shows whole; refused from a start minute and from the end.
TEST_F(SaveAfterFailedLoad, AFileWithNoAudioIsNotCut) {
  ScratchDir dir;
  const std::string a = dir.File("a.wav");
  const std::string b = dir.File(Text(u8"録音ソ.wav"));
  WriteFile(a, MakeWave(TestFormat(), PatternBytes(10 * BytesPerMinute(TestFormat()), 1)));
  WriteFile(b, MakeWave(TestFormat(), Bytes()));
  const Bytes aBytes = ReadFile(a), bBytes = ReadFile(b);

  DropAndLoad(a);
  Scroll(SB_LINERIGHT);
  FailToLoadWhileHeld(b);
  ExpectSaveRefused(dir, b, {{a, aBytes}, {b, bBytes}});
  program.Click(program.Control("RadioButton2"));
  ASSERT_TRUE(Eventually([&] { return SendMessageA(program.Control("RadioButton2"), BM_GETCHECK, 0, 0); },
                         static_cast<LRESULT>(BST_CHECKED)));
  ExpectSaveRefused(dir, b, {{a, aBytes}, {b, bBytes}});
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"a.wav", Text(u8"録音ソ.wav")}));

  // Dropped again it loads as a file under a minute, told, and Label6 is emptied.
  program.Drop({b});
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"１分以下のWAVEは処理できません")});
  EXPECT_TRUE(Shows(program.Control("Label6"), ""));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
