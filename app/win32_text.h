#pragma once
// Window texts: 16-bit characters to the window, UTF-8 to the rest of the program.

#include <windows.h>

#include <string>

namespace ostrevan::app {

std::string WindowText(HWND window);

}  // namespace ostrevan::app
