#pragma once
// Window texts as byte strings in the system code page.

#include <windows.h>

#include <string>

namespace ostrevan::app {

std::string WindowText(HWND window);
void SetWindowTextBytes(HWND window, const std::string& text);

}  // namespace ostrevan::app
