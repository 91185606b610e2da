#pragma once
// Window texts as byte strings in the system code page.

#include <windows.h>

#include <string>

namespace ostrevan::app {

std::string WindowText(HWND window);

}  // namespace ostrevan::app
