#include "win32_text.h"

namespace ostrevan::app {

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

rules::CodePageName NameInCodePage(const std::wstring& wide) {
  if (wide.empty()) return rules::CodePageName(std::string());
  const int wideLength = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, "?",
                                       &usedDefault);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, bytes.data(), size, "?",
                      &usedDefault);
  // The bytes must also read back as the very same characters: a platform that maps a
  // character to a look-alike without reporting it is caught here.
  return rules::CodePageName(bytes, !usedDefault && WideText(bytes) == wide);
}

std::wstring WideText(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
  return wide;
}

}  // namespace ostrevan::app
