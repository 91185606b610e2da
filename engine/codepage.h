#pragma once
// Texts inside the program are UTF-8 on every platform: fixed texts, paths, messages and
// what the user types. Two boundaries remain:
// - Windows names files and shows texts in 16-bit characters (UTF-16);
// - older records, and output to a pipe or a file, use the system code page (the active
//   ANSI code page on Windows, Shift-JIS on the Japanese machines; UTF-8 on POSIX).

#include <optional>
#include <string>

namespace ostrevan {

// UTF-8 to UTF-16 and back. A lone surrogate, which a Windows file name may hold, travels as
// its own 3-byte sequence and comes back unchanged, so every name Windows can hold survives
// the round trip. Bytes that are no UTF-8 at all become U+FFFD.
std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);

// True when `text` is well-formed UTF-8 (no lone surrogates, no overlong forms).
bool IsValidUtf8(const std::string& text);

// The length in bytes of the UTF-8 character starting with `byte` (1 for a stray byte).
size_t Utf8CharacterLength(unsigned char byte);

// `utf8` in the system code page when every character has a code there and reads back as
// itself; none otherwise. Unchanged on POSIX.
std::optional<std::string> ToSystemCodePageExactly(const std::string& utf8);

// `utf8` in the system code page, "?" for a character it lacks (unchanged on POSIX).
std::string ToSystemCodePage(const std::string& utf8);

// A system code page text as UTF-8 (unchanged on POSIX).
std::string FromSystemCodePage(const std::string& text);

#ifdef _WIN32
inline std::wstring Widen(const std::string& utf8) {
  const std::u16string wide = Utf16FromUtf8(utf8);
  return std::wstring(wide.begin(), wide.end());
}
inline std::string Narrow(const std::wstring& wide) {
  return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#endif

}  // namespace ostrevan
