#pragma once
// The system code page boundary. Source texts are UTF-8; paths and everything shown to the
// user are byte strings in the system code page: the active ANSI code page on Windows
// (Shift-JIS, 932, on the target machines), UTF-8 on POSIX.

#include <string>

namespace ostrevan {

// Converts a UTF-8 source text into the system code page (unchanged on POSIX).
std::string ToSystemCodePage(const std::string& utf8);

// Converts a system code page text into UTF-8 (unchanged on POSIX).
std::string FromSystemCodePage(const std::string& text);

// True when `byte` opens a double-byte character of the system code page.
// UTF-8 has no such bytes in this sense: none of its multi-byte sequences holds an ASCII
// byte, so a separator byte is always a separator there.
bool IsSystemLeadByte(unsigned char byte);

}  // namespace ostrevan
