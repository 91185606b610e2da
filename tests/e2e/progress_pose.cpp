#include <windows.h>

#include <commctrl.h>  // after windows.h

#include <fstream>

#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {

namespace {

// Makes `path` `size` bytes long without writing the new bytes.
void Extend(const std::string& path, uint64_t size) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

}  // namespace

// Starts the program with its copies slowed, drops a recording of 44.1 kHz stereo, cuts 10
// minutes from it and, once the progress window has come a third of the way, writes its
// place ("left top width height") into `signalDir`\rect.txt; when `signalDir`\done.txt
// appears it presses "中止", answers the box and closes the program.
int PoseProgressForScreenshot(const std::string& signalDir) {
  SetEnvironmentVariableA("OSTREVAN_SLOW_BLOCK_MS", "300");
  const std::string folder = u8"C:\\users\\Public\\録音";
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  const std::string wave = folder + "\\rec_take_01.wav";
  // Twelve minutes of silence, made without writing them (a sparse file).
  ostrevan::testing::WaveShape shape;  // 44.1 kHz stereo 16-bit
  const uint64_t audioBytes = 12 * ostrevan::testing::BytesPerMinute(shape);
  shape.statedSizeOverride = true;
  shape.statedSize = static_cast<uint32_t>(audioBytes);
  ostrevan::testing::WriteFile(wave, ostrevan::testing::MakeWave(shape, ostrevan::testing::Bytes()));
  Extend(wave, 44 + audioBytes);

  Program program;
  program.Drop({wave});
  Eventually([&] { return TextOf(program.Control("Label6")) == wave; }, 10000);
  SendMessageTimeoutW(program.Control("ComboBox1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"), SMTO_NORMAL, 5000,
                      nullptr);
  SetForegroundWindow(program.Form());
  program.Settle();
  program.Click(program.Control("Button2"));
  HWND progress = nullptr;
  Eventually([&] { return (progress = FindTopLevel(program.ProcessId(), "OstrevanProgress")) != nullptr; }, 20000);
  if (!progress) return 1;
  const HWND bar = GetDlgItem(progress, 101);
  Eventually([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) >= 330; }, 30000);

  RECT bounds;
  GetWindowRect(progress, &bounds);
  {
    std::ofstream rect(signalDir + "\\rect.txt");
    rect << bounds.left << ' ' << bounds.top << ' ' << bounds.right - bounds.left << ' ' << bounds.bottom - bounds.top
         << '\n';
  }
  const std::string done = signalDir + "\\done.txt";
  Eventually([&] { return GetFileAttributesW(Wide(done).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
  program.Click(GetDlgItem(progress, IDCANCEL));
  program.AnswerBox();
  const bool closed = program.Close() == 0;
  DeleteFileW(Wide(wave).c_str());
  RemoveDirectoryW(Wide(folder).c_str());
  return closed ? 0 : 1;
}

}  // namespace ostrevan::e2e
