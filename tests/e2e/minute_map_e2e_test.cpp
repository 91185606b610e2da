// The minute map of the real ostrevan.exe, on a sox-made recording: what it draws, what a
// click on it does, and its scan giving way to a new load and to a cut.

#include <gtest/gtest.h>

#include <set>

#include "minute_map_rule.h"
#include "program_driver.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

std::string Measured(int minutes) {
  return std::to_string(kRecordingMinutes) + Text(u8"分中") + std::to_string(minutes) + Text(u8"分を測りました");
}

// Where minute `minute` starts on a map `width` pixels wide, by the program's own rule.
double MinuteLeft(int width, double minute) {
  return rules::MapScale(width, GetSystemMetrics(SM_CXHTHUMB), kRecordingMinutes, kRecordingMinutes - 0.5)
      .MinuteLeft(minute);
}

// The columns of minute `minute` on the map as the screen shows it, the edge columns left out:
// a column holds ink when it shows more than one colour.
std::vector<bool> InkInMinute(const Capture& map, int minute) {
  std::vector<bool> ink;
  const int from = static_cast<int>(MinuteLeft(map.width, minute)) + 2;
  const int to = static_cast<int>(MinuteLeft(map.width, minute + 1)) - 1;
  for (int x = from; x < to; ++x) {
    std::set<unsigned> colours;
    for (int y = 0; y < map.height; ++y) colours.insert(map.At(x, y));
    ink.push_back(colours.size() > 1);
  }
  return ink;
}

bool AllInk(const Capture& map, int minute, bool want) {
  for (const bool ink : InkInMinute(map, minute)) {
    if (ink != want) return false;
  }
  return true;
}

class MinuteMap : public ::testing::Test {
 protected:
  // Waits until the map shows ink over minute 7 as `loud` says, and none over 5 and 6.
  ::testing::AssertionResult Drawn(Program& program, bool loud) {
    SetForegroundWindow(program.Form());
    return Eventually([&] {
      const Capture map = CaptureWindow(program.Control("MinuteMap1"));
      return AllInk(map, 5, false) && AllInk(map, 6, false) && AllInk(map, 7, loud) && AllInk(map, 3, true);
    });
  }

  ScratchDir dir;
};

// Dropped, the recording is measured and drawn; a click picks its minute as the scroll bar
// would; a write-back of silence into minute 7 is measured again and drawn.
TEST_F(MinuteMap, DrawsTheRecordingAClickPicksAMinuteAndAWriteBackIsRedrawn) {
  const std::string wave = dir.File("talk.wav");
  CopyRecording(wave);
  Program program;
  program.Click(program.Control("RadioButton2"));
  program.Drop({wave});
  const HWND map = program.Control("MinuteMap1");
  ASSERT_TRUE(Shows(map, Measured(kRecordingMinutes)));
  ASSERT_TRUE(Drawn(program, true));

  const Placement place = PlacementOf(map);
  const int x = static_cast<int>(MinuteLeft(place.width, 7.5));
  PostMessageA(map, WM_MOUSEMOVE, 0, MAKELPARAM(x, place.height / 2));  // the tooltip follows
  PostMessageA(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, place.height / 2));
  PostMessageA(map, WM_LBUTTONUP, 0, MAKELPARAM(x, place.height / 2));
  EXPECT_TRUE(Shows(program.Control("Label4"), "7"));
  EXPECT_EQ(SendMessageA(program.Control("RadioButton1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(program.Control("ScrollBar1"), SBM_GETPOS, 0, 0), 7);

  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  const std::string clip = dir.File("talk-7-1.wav");
  PutBytes(clip, 44, Bytes(16000 * 2 * 60, 0));
  program.Drop({dir.File("talk-7-1.ini")});
  program.Click(program.Control("Button3"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_TRUE(Drawn(program, false));
  EXPECT_EQ(program.Close(), 0u);
}

bool OpensExclusively(const std::string& path) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// With every block read slowly, the scan of the first recording is under way when the second
// is dropped: it lets go of the first file at once. A cut while the second is measured cuts,
// and the measuring goes on to the end.
TEST_F(MinuteMap, ANewDropStopsTheOldScanAndACutDuringAScanSucceeds) {
  ScopedEnvironment slow("OSTREVAN_SLOW_BLOCK_MS", "150");
  const std::string first = dir.File("first.wav");
  const std::string second = dir.File("second.wav");
  CopyRecording(first);
  CopyRecording(second);
  Program program;
  program.Drop({first});
  program.Drop({second});
  ASSERT_TRUE(Shows(program.Control("Label6"), second));
  EXPECT_TRUE(OpensExclusively(first));

  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(ReadFile(dir.File("second-0-1.wav")).size(), 44u + 16000 * 2 * 60);
  EXPECT_TRUE(Shows(program.Control("MinuteMap1"), Measured(kRecordingMinutes)));
  EXPECT_TRUE(Drawn(program, true));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
