// The real ostrevan.exe, started and driven by this program under Wine.

#include <gtest/gtest.h>

#include "credits.h"
#include "ostrevan_version.h"
#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

std::string CannotOpen(const std::string& path) { return Text(u8"ファイル ") + path + Text(u8" は開けません."); }

// The size a label of the window's font takes for `text` on one line.
SIZE LabelTextSize(const std::string& text) {
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, Wide(u8"ＭＳ Ｐゴシック").c_str());
  HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  RECT bounds = {0, 0, 0, 0};
  const std::wstring wide = Wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &bounds, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return {bounds.right, bounds.bottom};
}

struct ExpectedControl {
  const char* name;
  const char* className;
  const char* parent;  // nullptr: Form1
  Placement placement;
  const char* text;    // UTF-8
  bool sizedToText;
};

// The window as the user sees it at 96 dots per inch.
const ExpectedControl kExpectedControls[] = {
    {"Label7", "Static", nullptr, {176, 424, 150, 12}, app::kCreditLine, true},
    {"Label8", "Static", nullptr, {16, 424, 102, 12}, "Ostrevan v" OSTREVAN_VERSION, true},
    {"Label9", "Static", nullptr, {168, 440, 157, 12}, app::kHomePageAddress, true},
    {"GroupBox1", "Button", nullptr, {8, 16, 321, 257}, u8"取り出し", false},
    {"Label1", "Static", "GroupBox1", {16, 24, 72, 12}, u8"対象WAV File", true},
    {"Label6", "Static", "GroupBox1", {16, 40, 297, 25}, "", false},
    {"Label2", "Static", "GroupBox1", {16, 72, 48, 12}, u8"演奏時間", true},
    {"Label3", "Static", "GroupBox1", {16, 88, 49, 12}, u8"WAV属性", true},
    {"RadioButton1", "Button", "GroupBox1", {24, 104, 145, 17}, u8"取り出し開始位置(分)", false},
    {"Label4", "Static", "GroupBox1", {24, 128, 41, 17}, "0", false},
    {"ScrollBar1", "ScrollBar", "GroupBox1", {72, 128, 241, 16}, "", false},
    {"MinuteMap1", "OstrevanMinuteMap", "GroupBox1", {72, 148, 241, 40}, "", false},
    {"RadioButton2", "Button", "GroupBox1", {24, 200, 113, 17}, u8"WAVの最後から", false},
    {"Label5", "Static", "GroupBox1", {24, 224, 83, 12}, u8"取り出し長さ(分)", true},
    {"ComboBox1", "ComboBox", "GroupBox1", {120, 224, 49, 20}, "1", false},
    {"Button1", "Button", "GroupBox1", {240, 16, 75, 21}, u8"参照", false},
    {"Button2", "Button", "GroupBox1", {232, 216, 75, 25}, u8"WAV保存", false},
    {"Memo1", "Edit", nullptr, {360, 272, 137, 129}, "", false},
    {"GroupBox2", "Button", nullptr, {8, 280, 321, 137}, u8"置き換え", false},
    {"Button3", "Button", "GroupBox2", {24, 24, 75, 25}, u8"実行", false},
    {"Button4", "Button", "GroupBox2", {112, 24, 75, 25}, u8"リストクリア", false},
    {"ListBox1", "ListBox", "GroupBox2", {8, 56, 305, 73}, "", false},
};

class Window : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(Window, FrameCaptionSizeAndPlace) {
  Program program;
  const HWND form = program.Form();
  EXPECT_EQ(ClassOf(form), "TForm1");
  EXPECT_EQ(TextOf(form), "Ostrevan");
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 337);
  EXPECT_EQ(client.bottom, 463);
  const LONG style = GetWindowLongA(form, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT bounds;
  GetWindowRect(form, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  EXPECT_EQ(bounds.left, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2);
  EXPECT_EQ(bounds.top, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2);
  // The application window owns the main window and stands for the program on the taskbar.
  const HWND owner = GetWindow(form, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(TextOf(owner), "ostrevan");
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, EveryControlWithItsClassParentPlaceAndText) {
  Program program;
  for (const ExpectedControl& expected : kExpectedControls) {
    SCOPED_TRACE(expected.name);
    const HWND control = program.Control(expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(lstrcmpiA(ClassOf(control).c_str(), expected.className), 0) << ClassOf(control);
    const HWND parent = expected.parent ? program.Control(expected.parent) : program.Form();
    EXPECT_EQ(GetParent(control), parent);
    const std::string text = Text(expected.text);
    EXPECT_EQ(TextOf(control), text);
    Placement want = expected.placement;
    if (expected.sizedToText) {  // labels take the size of their text in the font at hand
      const SIZE size = LabelTextSize(text);
      want.width = size.cx;
      want.height = size.cy;
    }
    if (std::string(expected.name) == "MinuteMap1") {  // the map spans the scroll bar's track
      const int arrow = GetSystemMetrics(SM_CXHSCROLL);
      want = {want.left + arrow, want.top, want.width - 2 * arrow, want.height};
    }
    const Placement got = PlacementOf(control);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
  }
  EXPECT_EQ(GetWindowLongA(program.Control("Label4"), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
  EXPECT_EQ(SendMessageA(program.Control("RadioButton1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(program.Control("RadioButton2"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(ComboItems(program.Control("ComboBox1")),
            (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  EXPECT_EQ(SendMessageA(program.Control("ListBox1"), LB_GETITEMHEIGHT, 0, 0), 12);
  const LONG memoStyle = GetWindowLongA(program.Control("Memo1"), GWL_STYLE);
  EXPECT_TRUE((memoStyle & (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL)) ==
              (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL));
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(program.Control("ScrollBar1"), SB_CTL, &info);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 100);
  EXPECT_EQ(info.nPos, 0);
  EXPECT_EQ(info.nPage, 0u);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, TabOrderFromButton1) {
  Program program;
  SetForegroundWindow(program.Form());
  program.Settle();
  const char* order[] = {"Button1", "RadioButton1", "ScrollBar1", "ComboBox1", "Button2",
                         "Memo1",   "ListBox1",     "Button3",    "Button4",   "Button1"};
  for (const char* name : order) {
    SCOPED_TRACE(name);
    HWND focus = nullptr;
    auto focused = [&] {
      focus = program.FocusedWindow();
      const HWND parent = GetParent(focus);  // ComboBox1's edit stands for ComboBox1
      return program.NameOf(parent == program.Control("ComboBox1") ? parent : focus);
    };
    ASSERT_TRUE(Eventually(focused, std::string(name)));
    program.PressKey(focus, VK_TAB);
  }
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, ScrollBarMovesShowInLabel4) {
  Program program;
  const HWND bar = program.Control("ScrollBar1");
  const HWND label4 = program.Control("Label4");
  const struct {
    WPARAM key;
    const char* shown;
  } moves[] = {{VK_END, "100"}, {VK_LEFT, "99"}, {VK_PRIOR, "98"}, {VK_HOME, "0"}, {VK_RIGHT, "1"}};
  for (const auto& move : moves) {
    program.PressKey(bar, move.key);
    EXPECT_TRUE(Shows(label4, move.shown)) << "after key " << move.key;
  }
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, SaveWithNothingLoadedShowsTheErrorBoxAndTheProgramGoesOn) {
  Program program;
  program.Click(program.Control("Button2"));
  const HWND box = program.WaitForDialog(Program::Dialog::Box);
  ASSERT_NE(box, nullptr);
  const BoxContents error = program.ReadBox(box);
  EXPECT_EQ(error.caption, "ostrevan");
  EXPECT_EQ(error.texts, std::vector<std::string>{Text(u8"ファイル  は開けません.")});
  EXPECT_EQ(error.buttons.size(), 1u);
  EXPECT_TRUE(error.hasIcon);  // the stop icon
  auto formEnabled = [&] { return IsWindowEnabled(program.Form()) != FALSE; };
  EXPECT_TRUE(Eventually(formEnabled, false));  // the box is modal
  program.PressOk(box);
  EXPECT_TRUE(Eventually(formEnabled, true));
  // The focus is back on the button that was pressed.
  EXPECT_TRUE(Eventually([&] { return program.NameOf(program.FocusedWindow()); }, "Button2"));

  // Still at work: a file dropped is loaded, a clip saved.
  const std::string wave = WriteMinutes(dir, "rec.wav", 150);
  program.Drop({wave});
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_TRUE(Exists(dir.File("rec-0-1.wav")));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, OpenDialogLoadsAndSaveWritesBothFiles) {
  const std::string wave = WriteMinutes(dir, "take.wav", 200);
  Program program;
  program.Click(program.Control("Button1"));
  const HWND dialog = program.WaitForDialog(Program::Dialog::Open);
  ASSERT_NE(dialog, nullptr);

  // Placed at the horizontal centre and the upper third of the monitor, its size kept.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromWindow(program.Form(), MONITOR_DEFAULTTONEAREST), &monitor);
  const int monitorWidth = monitor.rcMonitor.right - monitor.rcMonitor.left;
  const int monitorHeight = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
  auto offPlace = [&] {  // how far the dialog is from its place, left and top
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    return std::make_pair(
        bounds.left - (monitor.rcMonitor.left + (monitorWidth - (bounds.right - bounds.left)) / 2),
        bounds.top - (monitor.rcMonitor.top + (monitorHeight - (bounds.bottom - bounds.top)) / 3));
  };
  EXPECT_TRUE(Eventually(offPlace, std::make_pair(0L, 0L)));
  EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(program.Form()) != FALSE; }, false));

  ASSERT_TRUE(program.ChooseInOpenDialog(dialog, wave));
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(3 * 60 + 20)));
  EXPECT_TRUE(Shows(program.Control("Label3"), Text(u8"WAV属性:stereo/16bit/100Hz")));
  program.PressKey(program.Control("ScrollBar1"), VK_END);
  EXPECT_TRUE(Shows(program.Control("Label4"), "2"));

  program.Click(program.Control("Button2"));
  const BoxContents finished = program.AnswerBox();
  EXPECT_EQ(finished.caption, "ostrevan");
  EXPECT_EQ(finished.texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(finished.buttons, std::vector<std::string>{"OK"});
  const std::string record = dir.File("take-2-1.ini");
  EXPECT_TRUE(Exists(dir.File("take-2-1.wav")));
  ASSERT_TRUE(Exists(record));
  // Memo1 holds the record text just written.
  EXPECT_TRUE(Shows(program.Control("Memo1"), ReadText(record)));

  // A cancelled dialog changes nothing.
  program.Click(program.Control("Button1"));
  HWND again = program.WaitForDialog(Program::Dialog::Open);
  ASSERT_NE(again, nullptr);
  program.CancelOpenDialog(again);
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  EXPECT_TRUE(Shows(program.Control("Label4"), "2"));

  // The next time the dialog starts with the path chosen last: confirmed as it stands, it
  // loads that file again (here after another file was dropped in between).
  const std::string other = WriteMinutes(dir, "other.wav", 70);
  program.Drop({other});
  ASSERT_TRUE(Shows(program.Control("Label6"), other));
  program.Click(program.Control("Button1"));
  again = program.WaitForDialog(Program::Dialog::Open);
  ASSERT_NE(again, nullptr);
  // The folder is that of the path.
  EXPECT_TRUE(Eventually([&] { return program.OpenDialogFileName(again); }, "take.wav"));
  ASSERT_TRUE(program.ChooseInOpenDialog(again, ""));
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, OpenDialogCancelledChangesNothingAndAMissingNameFailsAfterLabel6) {
  Program program;
  program.Click(program.Control("Button1"));
  HWND dialog = program.WaitForDialog(Program::Dialog::Open);
  ASSERT_NE(dialog, nullptr);
  program.CancelOpenDialog(dialog);
  EXPECT_TRUE(Shows(program.Control("Label6"), ""));
  EXPECT_TRUE(Shows(program.Control("Label2"), Text(u8"演奏時間")));

  const std::string missing = dir.File("nothing-here.wav");
  program.Click(program.Control("Button1"));
  dialog = program.WaitForDialog(Program::Dialog::Open);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(program.ChooseInOpenDialog(dialog, missing, false));
  const HWND error = program.WaitForDialog(Program::Dialog::Box);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(program.ReadBox(error).texts, std::vector<std::string>{CannotOpen(missing)});
  EXPECT_TRUE(Shows(program.Control("Label6"), missing));
  program.PressOk(error);
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, DropRoutesWavesAndRecordsAndPassesOverTheRest) {
  const std::string wave = WriteMinutes(dir, "a.wav", 125);
  const std::string record = dir.File("b.ini");
  const std::string other = dir.File("c.txt");
  WriteFile(record, std::string("0\r\n0\r\nx\r\n"));
  WriteFile(other, std::string("text"));
  Program program;
  const HWND list = program.Control("ListBox1");
  program.Drop({wave, record, other});
  EXPECT_TRUE(Lists(list, {record}));
  EXPECT_TRUE(program.ShowsNoDialog());
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(2 * 60 + 5)));

  // Upper-case endings route the same way.
  const std::string upper = WriteMinutes(dir, "REC.WAV", 61);
  program.Drop({upper, dir.File("X.INI")});
  EXPECT_TRUE(Lists(list, {record, dir.File("X.INI")}));
  EXPECT_TRUE(Shows(program.Control("Label6"), upper));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(1 * 60 + 1)));

  // Three records join after the items there, in the order of the drop; Button4 empties the list.
  program.Drop({dir.File("r3.ini"), dir.File("r1.ini"), dir.File("r2.ini")});
  EXPECT_TRUE(Lists(list, {record, dir.File("X.INI"), dir.File("r3.ini"), dir.File("r1.ini"), dir.File("r2.ini")}));
  program.Click(program.Control("Button4"));
  EXPECT_TRUE(Lists(list, {}));
  EXPECT_TRUE(program.ShowsNoDialog());

  // Japanese names whose trail bytes are 0x5C ("ソ", "表") arrive whole.
  const std::string japanese = WriteMinutes(dir, Text(u8"録音ソ.wav"), 65);
  const std::string japaneseRecord = dir.File(Text(u8"表.ini"));
  program.Drop({japanese, japaneseRecord});
  EXPECT_TRUE(Lists(list, {japaneseRecord}));
  EXPECT_TRUE(Shows(program.Control("Label6"), japanese));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(1 * 60 + 5)));
  EXPECT_EQ(program.Close(), 0u);
}

// Files dropped onto the program's icon come as its arguments: routed as a drop, a name
// relative to the folder it starts in made whole, one no code page holds arriving whole.
TEST_F(Window, CommandLinePathsAreDroppedAndDeleteRemovesTheSelectedRecord) {
  const std::string name = Text(u8"録音 🎙.wav");
  const std::string wave = WriteMinutes(dir, name, 65);
  const std::vector<std::string> records = {dir.File("a.ini"), dir.File(Text(u8"b 표.ini")), dir.File("c.ini")};
  Program program({name, records[0], dir.File("x.txt"), records[1], records[2]}, dir.path());
  const HWND list = program.Control("ListBox1");
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  EXPECT_TRUE(Lists(list, records));
  EXPECT_TRUE(program.ShowsNoDialog());

  program.PressKey(list, VK_DELETE);  // nothing selected
  EXPECT_TRUE(Lists(list, records));
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  program.PressKey(list, VK_DELETE);
  EXPECT_TRUE(Lists(list, {records[0], records[2]}));
  program.PressKey(list, VK_DELETE);  // the record that took its place, then the one above
  program.PressKey(list, VK_DELETE);
  EXPECT_TRUE(Lists(list, {}));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, DropOfTwoWavesKeepsTheSecond) {
  const std::string first = WriteMinutes(dir, "one.wav", 600);
  const std::string second = WriteMinutes(dir, "two.wav", 185);
  Program program;
  program.PressKey(program.Control("ScrollBar1"), VK_END);
  program.Drop({first, second});
  EXPECT_TRUE(Shows(program.Control("Label6"), second));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(3 * 60 + 5)));
  EXPECT_TRUE(Shows(program.Control("Label4"), "2"));  // 100, then 9, then 2
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, WaveThatCannotBeOpenedEndsTheDrop) {
  const std::string held = WriteMinutes(dir, "held.wav", 120);
  const std::string record = dir.File("after.ini");
  Program program;
  HANDLE lock = CreateFileW(Wide(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  program.Drop({held, record});
  const HWND box = program.WaitForDialog(Program::Dialog::Box);
  CloseHandle(lock);
  ASSERT_NE(box, nullptr);
  const BoxContents error = program.ReadBox(box);
  EXPECT_EQ(error.caption, "ostrevan");
  EXPECT_EQ(error.texts, std::vector<std::string>{CannotOpen(held)});
  program.PressOk(box);
  EXPECT_TRUE(Lists(program.Control("ListBox1"), {}));
  EXPECT_TRUE(Shows(program.Control("Label6"), held));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, ShortFileIsToldInTheInformationBoxAndTheDropGoesOn) {
  const std::string wave = WriteMinutes(dir, "short.wav", 42);
  const std::string record = dir.File("r.ini");
  Program program;
  program.Drop({wave, record});
  const HWND box = program.WaitForDialog(Program::Dialog::Box);
  ASSERT_NE(box, nullptr);
  const BoxContents info = program.ReadBox(box);
  EXPECT_EQ(info.caption, "ostrevan");
  EXPECT_EQ(info.texts, std::vector<std::string>{Text(u8"１分以下のWAVEは処理できません")});
  EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(info.hasIcon);
  // Centred on the monitor.
  RECT bounds;
  GetWindowRect(box, &bounds);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromWindow(program.Form(), MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_EQ(bounds.left, (monitor.rcMonitor.right - monitor.rcMonitor.left - (bounds.right - bounds.left)) / 2);
  EXPECT_EQ(bounds.top, (monitor.rcMonitor.bottom - monitor.rcMonitor.top - (bounds.bottom - bounds.top)) / 2);
  EXPECT_TRUE(ListItems(program.Control("ListBox1")).empty());  // the drop waits for the box
  // Esc closes it like "OK".
  HWND focus = nullptr;
  ASSERT_TRUE(Eventually([&] { return program.NameOf(focus = program.FocusedWindow()); }, "Button \"OK\""));
  program.PressKey(focus, VK_ESCAPE);
  EXPECT_TRUE(Eventually([&] { return IsWindow(box) != FALSE; }, false));
  // The rest of the drop goes on once the box has closed.
  EXPECT_TRUE(Shows(program.Control("Label6"), ""));
  EXPECT_TRUE(Lists(program.Control("ListBox1"), {record}));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, CopyNamedMyToolCaptionsItsBoxesMyTool) {
  const std::string copy = dir.File("My-Tool.Exe");
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));
  Program program(copy);
  EXPECT_EQ(TextOf(program.Form()), "Ostrevan");
  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().caption, "My-tool");
  program.Drop({WriteMinutes(dir, "short.wav", 10)});
  EXPECT_EQ(program.AnswerBox().caption, "My-tool");
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Window, Label9HandsItsAddressToTheShell) {
  const std::string seen = dir.File("opened.txt");
  RegisterAddressRecorder(seen);
  Program program;
  const HWND label9 = program.Control("Label9");
  PostMessageA(label9, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(label9, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  // The recorder creates the file, then writes the address into it: read until it is there.
  EXPECT_TRUE(Eventually([&] { return ReadText(seen); }, app::kHomePageAddress, 3 * kPatience));
  EXPECT_TRUE(program.ShowsNoDialog());
  EXPECT_EQ(program.Close(), 0u);
}

// Names from phones, other systems and other languages: whatever the code page holds, each
// loads, cuts and writes back, dropped or chosen through "参照", every byte checked.
TEST_F(Window, AnyFileNameLoadsCutsAndWritesBack) {
  Program program;
  for (const char* name : {u8"café", u8"録音🎙", u8"녹음"}) {
    for (const bool dropped : {true, false}) {
      SCOPED_TRACE(std::string(name) + (dropped ? " dropped" : u8" through 参照"));
      const ScratchDir folder;
      const std::string wave = WriteMinutes(folder, std::string(name) + ".wav", 150);
      const Bytes before = ReadFile(wave);
      if (dropped) {
        program.Drop({wave});
      } else {
        program.Click(program.Control("Button1"));
        const HWND dialog = program.WaitForDialog(Program::Dialog::Open);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(program.ChooseInOpenDialog(dialog, wave));
      }
      ASSERT_TRUE(Shows(program.Control("Label6"), wave));
      EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(2 * 60 + 30)));
      program.PressKey(program.Control("ScrollBar1"), VK_END);
      ASSERT_TRUE(Shows(program.Control("Label4"), "1"));

      program.Click(program.Control("Button2"));
      EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
      const std::string clip = folder.File(std::string(name) + "-1-1.wav");
      const std::string record = folder.File(std::string(name) + "-1-1.ini");
      ASSERT_EQ(ReadFile(clip), MakeWave(TestFormat(), Slice(before, 44 + kMinute, kMinute)));
      // Code page 932 has no code for these names: the record is UTF-8 behind its mark, and
      // Memo1 shows its text.
      const std::string recordBytes = ReadText(record);
      ASSERT_EQ(recordBytes.substr(0, 3), "\xEF\xBB\xBF");
      EXPECT_TRUE(Shows(program.Control("Memo1"), recordBytes.substr(3)));

      const Bytes edited = PatternBytes(kMinute, 7);
      PutBytes(clip, 44, edited);
      program.Click(program.Control("Button4"));
      program.Drop({record});
      ASSERT_TRUE(Lists(program.Control("ListBox1"), {record}));
      program.Click(program.Control("Button3"));
      EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
      EXPECT_EQ(DifferenceOf(ReadFile(wave), With(before, 44 + kMinute, edited)), "");
    }
  }
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
