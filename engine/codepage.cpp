#include "codepage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace ostrevan {

#ifdef _WIN32
namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return text;
  int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
  int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

std::string ToSystemCodePage(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string FromSystemCodePage(const std::string& text) { return Convert(text, CP_ACP, CP_UTF8); }
bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }
#else
std::string ToSystemCodePage(const std::string& utf8) { return utf8; }
std::string FromSystemCodePage(const std::string& text) { return text; }
bool IsSystemLeadByte(unsigned char) { return false; }
#endif

}  // namespace ostrevan
