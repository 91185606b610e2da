#include "long_path.h"

namespace ostrevan {

namespace {
bool StartsWith(const std::wstring& text, const wchar_t* start) { return text.rfind(start, 0) == 0; }
}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
  if (StartsWith(fullPath, L"\\\\?\\") || StartsWith(fullPath, L"\\\\.\\")) return fullPath;
  if (StartsWith(fullPath, L"\\\\")) return L"\\\\?\\UNC\\" + fullPath.substr(2);
  const bool onDrive = fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
                       ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') || (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
  return onDrive ? L"\\\\?\\" + fullPath : fullPath;
}

}  // namespace ostrevan
