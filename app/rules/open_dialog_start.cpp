#include "open_dialog_start.h"

#include <algorithm>

namespace ostrevan::rules {

namespace {

wchar_t FoldAsciiCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Folder names on Windows compare without regard to case.
bool SameFolder(const std::wstring& left, const std::wstring& right) {
  return left.size() == right.size() && std::equal(left.begin(), left.end(), right.begin(), [](wchar_t l, wchar_t r) {
           return FoldAsciiCase(l) == FoldAsciiCase(r);
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
