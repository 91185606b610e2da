#include <windows.h>

#include <filesystem>
#include <fstream>

#include "program_driver.h"
#include "Unit1Layout.h"
#include "source_with_clip.h"
#include "test_waves.h"
#include "window_texts.h"

namespace ostrevan::e2e {

// Starts the program, drops the sox-made recording and two clip records on it (the second
// clip edited), picks a clip of two minutes from minute 8 and waits for the minute map to be
// measured through and the records' tags,
// writes the window's place on the screen ("left top width height") into `signalDir`\rect.txt
// and waits for `signalDir`\done.txt before closing the program.
int PoseForScreenshot(const std::string& signalDir) {
  const std::string folder = u8"C:\\users\\Public\\録音";
  std::filesystem::remove_all(testing::PathOf(folder));
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  const std::string wave = folder + "\\rec_take_01.wav";  // underscores show in the font
  CopyRecording(wave);
  testing::CutClip(wave, "1", "0");
  testing::PutBytes(testing::ClipOf(testing::CutClip(wave, "2", "1")), 44, testing::Bytes(32000, 0));

  Program program;
  program.Drop({wave, folder + "\\rec_take_01-0-1.ini", folder + "\\rec_take_01-1-2.ini"});
  Eventually([&] { return TextOf(program.Control("Label6")) == wave; });
  // The clip: two minutes from minute 8, after the pause and the applause.
  for (int i = 0; i < 8; ++i) program.PressKey(program.Control("ScrollBar1"), VK_RIGHT);
  SetWindowTextA(GetWindow(program.Control("ComboBox1"), GW_CHILD), "2");
  PostMessageA(program.Control("GroupBox1"), WM_COMMAND, MAKEWPARAM(static_cast<int>(app::ControlId::ComboBox1), CBN_EDITCHANGE),
               reinterpret_cast<LPARAM>(program.Control("ComboBox1")));
  const std::string measured = std::to_string(kRecordingMinutes) + u8"分中" + std::to_string(kRecordingMinutes) + u8"分を測りました";
  Eventually([&] { return TextOf(program.Control("MinuteMap1")) == measured; });
  const std::vector<std::string> tags{texts::kTagUnchanged, texts::kTagReady};
  Eventually([&] { return RecordTags(program.Control("ListBox1")) == tags; });
  SetForegroundWindow(program.Form());
  program.WaitForPosted();
  // Painted through: nothing of the window is left to draw.
  Eventually([&] { return !GetUpdateRect(program.Form(), nullptr, FALSE); });

  RECT bounds;
  GetWindowRect(program.Form(), &bounds);
  {
    std::ofstream rect(signalDir + "\\rect.txt");
    rect << bounds.left << ' ' << bounds.top << ' ' << bounds.right - bounds.left << ' '
         << bounds.bottom - bounds.top << '\n';
  }
  const std::string done = signalDir + "\\done.txt";
  Eventually([&] { return GetFileAttributesW(Wide(done).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
  const bool closed = program.Close() == 0;
  std::filesystem::remove_all(testing::PathOf(folder));
  return closed ? 0 : 1;
}

}  // namespace ostrevan::e2e
