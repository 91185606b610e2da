#pragma once
// Window texts as byte strings in the system code page, and the crossing from the system's
// 16-bit texts into it.

#include <windows.h>

#include <string>


namespace ostrevan::app {

std::string WindowText(HWND window);

// A 16-bit name in the system code page, with no look-alike replacements: a character the
// code page has no code for becomes "?" and the name is marked as not exact.
rules::CodePageName NameInCodePage(const std::wstring& wide);

// A system code page text as 16-bit characters.
std::wstring WideText(const std::string& text);

}  // namespace ostrevan::app
