// "参照" with paths longer than MAX_PATH, which Wine's open dialog cannot take itself (it
// copies them into buffers of MAX_PATH characters and ends the program).

#include <gtest/gtest.h>

#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

// A recording loaded from a folder over 300 characters deep; "参照" opens, and another
// recording there, its whole path typed, loads. The next time that path is in the name
// field, and confirming it loads it again.
TEST(OpenDialogLongPath, ARecordingPastThreeHundredCharactersLoads) {
  ScratchDir dir;
  std::string folder = dir.path();
  for (int depth = 1; Wide(folder).size() < 300; ++depth) {
    folder += Text(u8"\\長いフォルダー名の録音_2026年12月_第一スタジオ_") + std::to_string(depth);
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr)) << folder;
  }
  const std::string first = folder + Text(u8"\\リハーサル.wav"), second = folder + Text(u8"\\本番テイク.wav");
  WriteFile(first, MakeWave(TestFormat(), PatternBytes(3 * kMinute, 1)));
  WriteFile(second, MakeWave(TestFormat(), PatternBytes(2 * kMinute + 5 * kMinute / 60, 2)));
  Program program;
  const HWND label6 = program.Control("Label6");
  auto choose = [&](const std::string& typed, const std::string& shown) {
    program.Click(program.Control("Button1"));
    const HWND dialog = program.WaitForDialog(Program::Dialog::Open);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(program.OpenDialogFileName(dialog), shown);
    ASSERT_TRUE(program.ChooseInOpenDialog(dialog, typed));
    EXPECT_TRUE(program.ShowsNoDialog());
  };

  program.Drop({first});
  ASSERT_TRUE(Shows(label6, first));
  choose(second, "");
  EXPECT_TRUE(Shows(label6, second));
  EXPECT_TRUE(Shows(program.Control("Label2"), PlayTimeText(2 * 60 + 5)));

  program.Drop({first});
  ASSERT_TRUE(Shows(label6, first));
  choose("", second);
  EXPECT_TRUE(Shows(label6, second));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
