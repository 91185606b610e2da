#include "open_dialog_start.h"

#include <algorithm>

#include "ascii_case.h"

namespace ostrevan::rules {

namespace {

// Folder names on Windows compare without regard to case.
bool SameFolder(const std::wstring& left, const std::wstring& right) {
  return left.size() == right.size() && std::equal(left.begin(), left.end(), right.begin(), [](wchar_t l, wchar_t r) {
           return LowerAscii(l) == LowerAscii(r);
         });
}

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  const bool afterDrive = separator > 0 && path[separator - 1] == L':';
  return path.substr(0, afterDrive ? separator + 1 : separator);
}

DialogStart OpenDialogStart(const std::wstring& loadedPath, const std::wstring& lastChosenPath) {
  DialogStart start;
  const std::wstring lastFolder = FolderOf(lastChosenPath);
  start.folder = loadedPath.empty() ? lastFolder : FolderOf(loadedPath);
  if (!lastChosenPath.empty() && SameFolder(start.folder, lastFolder)) start.file = lastChosenPath;
  return start;
}

}  // namespace ostrevan::rules
