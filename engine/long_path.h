#pragma once
// Windows paths of any length. Without the "\\?\" prefix most file functions refuse a full
// path of MAX_PATH (260) characters or more; with it they take up to 32767, but the system
// then no longer makes the path full: it must be absolute, with backslashes and without
// "." or "..", and a network share is written "\\?\UNC\server\share\...".

#include <string>

namespace ostrevan {

// `fullPath` (as GetFullPathNameW makes it) with the prefix: "C:\x" gives "\\?\C:\x" and
// "\\server\share\x" gives "\\?\UNC\server\share\x". A path in that form already, a device
// ("\\.\CON", which GetFullPathNameW gives for a reserved name) and anything not full are
// left as they are. Plain text, the same on every platform.
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

#ifdef _WIN32
// The UTF-8 `path` as the file functions of file_win32.cpp take it: made full against the
// current folder, then with the prefix. Messages keep showing the path as given.
std::wstring SystemPathOf(const std::string& path);
#endif

}  // namespace ostrevan
