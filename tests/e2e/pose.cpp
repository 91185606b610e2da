#include <windows.h>

#include <fstream>

#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {

// Starts the program, drops a recording and two clip records on it, moves the start minute,
// writes the window's place on the screen ("left top width height") into `signalDir`\rect.txt
// and waits for `signalDir`\done.txt before closing the program.
int PoseForScreenshot(const std::string& signalDir) {
  const std::string folder = u8"C:\\users\\Public\\録音";
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  const std::string wave = folder + "\\rec_take_01.wav";  // underscores show in the font
  ostrevan::testing::WaveShape shape;  // 44.1 kHz stereo 16-bit, 3 minutes 5 seconds
  ostrevan::testing::WriteFile(wave, ostrevan::testing::MakeWave(shape, ostrevan::testing::Bytes(185u * 176400u)));

  Program program;
  program.Drop({wave, folder + "\\rec_take_01-0-1.ini", folder + "\\rec_take_01-1-2.ini"});
  Eventually([&] { return TextOf(program.Control("Label6")) == wave; });
  program.PressKey(program.Control("ScrollBar1"), VK_RIGHT);
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
  DeleteFileW(Wide(wave).c_str());
  RemoveDirectoryW(Wide(folder).c_str());
  return program.Close() == 0 ? 0 : 1;
}

}  // namespace ostrevan::e2e
