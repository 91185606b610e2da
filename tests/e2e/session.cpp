#include <windows.h>

#include <fstream>

#include "program_driver.h"

namespace ostrevan::e2e {

// Every test case runs in a process of its own. While this process lives, the prefix's Wine
// server, services and virtual desktop stay up between them, and they were started here,
// where no case's output can be held open by them.
int HoldSession(const std::string& file) {
  // A case killed before its guard could put the resolution back would leave it changed.
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kResolutionKey, kResolutionValue);
  // A window, never shown, starts the virtual desktop now and keeps it.
  const HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window) return 1;
  std::ofstream(file) << "ready\n";
  while (GetFileAttributesW(Wide(file).c_str()) != INVALID_FILE_ATTRIBUTES) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  DestroyWindow(window);
  return 0;
}

}  // namespace ostrevan::e2e
