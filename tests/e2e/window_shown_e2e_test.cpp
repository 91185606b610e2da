// The window as a user sees it under Wine: the dropped-down list, minimizing, the font.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "Unit1Layout.h"
#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

// Drops ComboBox1's list down: its inner height is eight whole items.
void ExpectEightWholeItems(const Program& program) {
  const HWND combo = program.Control("ComboBox1");
  PostMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = nullptr;
  ASSERT_TRUE(Eventually([&] { return (list = program.DroppedList()) != nullptr; }));
  RECT client;
  GetClientRect(list, &client);
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  PostMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  program.WaitForPosted();
  ASSERT_GT(itemHeight, 0);
  EXPECT_EQ(client.bottom, 8 * itemHeight) << "item height " << itemHeight;
}

TEST(WindowAsShown, ComboBox1DropsDownEightWholeItems) {
  Program program;
  ExpectEightWholeItems(program);
  EXPECT_EQ(program.Close(), 0u);
}

TEST(WindowAsShown, ComboBox1DropsDownEightWholeItemsAt120Dpi) {
  ScopedUserDword dpi(kResolutionKey, kResolutionValue, 120);  // put back when the test ends, failed or not
  Program program;
  RECT client;
  GetClientRect(program.Form(), &client);
  ASSERT_GT(client.right, 337) << "the resolution did not change";
  ExpectEightWholeItems(program);
  EXPECT_EQ(program.Close(), 0u);
}

// Whether the application window is minimized and whether Form1 shows.
auto MinimizedAndShown(const Program& program) {
  return [&program] {
    return std::make_pair(IsIconic(program.ApplicationWindow()) != FALSE, IsWindowVisible(program.Form()) != FALSE);
  };
}

// The minimize button minimizes the application window (the taskbar entry); Form1, which it
// owns, goes with it and comes back when it is restored.
TEST(WindowAsShown, MinimizeHidesForm1AndRestoreShowsItAgain) {
  Program program;
  PostMessageA(program.Form(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(Eventually(MinimizedAndShown(program), std::make_pair(true, false)));
  PostMessageA(program.ApplicationWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(Eventually(MinimizedAndShown(program), std::make_pair(false, true)));
  EXPECT_EQ(program.Close(), 0u);
}

TEST(WindowAsShown, StartedMinimizedShowsNoForm1UntilRestored) {
  Program program(ProgramPath(), SW_SHOWMINNOACTIVE);
  EXPECT_TRUE(Eventually(MinimizedAndShown(program), std::make_pair(true, false)));
  PostMessageA(program.ApplicationWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(Eventually(MinimizedAndShown(program), std::make_pair(false, true)));
  EXPECT_EQ(program.Close(), 0u);
}

// Under Wine the window's font is a substitute (the prefix maps it to IPAPGothic): its
// labels cannot take the table's sizes exactly, but come within a few pixels of them (the
// sizes are printed for the record).
TEST(WindowAsShown, SelfSizingLabelsComeCloseToTheTable) {
  Program program;
  for (size_t i = 0; i < app::kForm1ControlCount; ++i) {
    const app::ControlLayout& row = app::kForm1Controls[i];
    if (row.kind != app::ControlKind::Label || (row.flags & app::kFixedSize)) continue;
    SCOPED_TRACE(row.name);
    const Placement got = PlacementOf(program.Control(row.name));
    std::printf("%s: table %dx%d, shown %dx%d\n", row.name, row.width, row.height, got.width, got.height);
    EXPECT_LE(std::abs(got.height - row.height), 1);
    EXPECT_LE(std::abs(got.width - row.width), 16);
  }
  EXPECT_EQ(program.Close(), 0u);
}

// How many underscores of `text` have pixels of their own where `label` draws them: the
// columns each takes hold something other than the label's background. Underscores cut off
// at the label's edge are not counted.
int DrawnUnderscores(HWND label, const std::string& text) {
  const Capture shot = CaptureWindow(label);
  if (shot.width <= 0) return 0;
  const unsigned background = shot.At(shot.width - 1, shot.height - 1);

  // Where the label draws each character: its text in the window's font, from the left edge.
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, Wide(u8"ＭＳ Ｐゴシック").c_str());
  HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  const std::wstring wide = Wide(text);
  auto widthOf = [&](size_t length) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(length), &size);
    return static_cast<int>(size.cx);
  };
  int drawn = 0;
  for (size_t at = wide.find(L'_'); at != std::wstring::npos; at = wide.find(L'_', at + 1)) {
    const int left = widthOf(at);
    const int right = widthOf(at + 1);
    if (right > shot.width) break;
    int ink = 0;
    for (int x = left; x < right; ++x) {
      for (int y = 0; y < shot.height; ++y) ink += shot.At(x, y) != background ? 1 : 0;
    }
    drawn += ink > 0 ? 1 : 0;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return drawn;
}

// Each underscore of the path in Label6 leaves pixels of its own. The label is captured until
// it has been painted.
TEST(WindowAsShown, UnderscoresInLabel6DrawPixels) {
  ScratchDir dir;
  const std::string wave = Text(u8"C:\\users\\Public\\rec_take_01.wav");
  ASSERT_TRUE(CopyFileA(WriteMinutes(dir, "source.wav", 65).c_str(), wave.c_str(), FALSE));
  Program program;
  const HWND label6 = program.Control("Label6");
  program.Drop({wave});
  EXPECT_TRUE(Shows(label6, wave));
  SetForegroundWindow(program.Form());
  EXPECT_TRUE(Eventually([&] { return DrawnUnderscores(label6, wave); }, 2));
  DeleteFileW(Wide(wave).c_str());
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
