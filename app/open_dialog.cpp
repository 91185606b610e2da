#include "open_dialog.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include "application.h"
#include "codepage.h"
#include "dialog_placement.h"
#include "engine_error.h"
#include "monitor.h"
#include "open_dialog_start.h"
#include "texts.h"
#include "win32_text.h"
#include "window_texts.h"

namespace ostrevan::app {

namespace {

HWND placementWindow = nullptr;  // the window whose monitor the dialog goes to

// The room for the chosen path, in characters with its final NUL: the longest path Windows
// has (32,767 characters, in the "\\?\" form), not MAX_PATH. On the heap: 64 KB.
constexpr size_t kFileNameRoom = 32767;

// A common dialog error code as its documentation lists it ("0x3003").
std::string ErrorCode(DWORD code) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%04lX", static_cast<unsigned long>(code));
  return text;
}

// Wine's dialog (comdlg32 of Wine 8.0) copies the folder it starts in and the path in its
// name field into buffers of MAX_PATH characters on its stack, with room for a "\*" after the
// folder: a longer one ends the program. Such a path never reaches it.
bool FitsTheDialog(const std::wstring& path) { return path.size() + 3 < MAX_PATH; }

bool IsFullPath(const std::wstring& path) {
  return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) || path.rfind(L"\\\\", 0) == 0;
}

HWND NameField(HWND dialog) {
  const HWND comboBox = GetDlgItem(dialog, cmb13);
  return comboBox ? comboBox : GetDlgItem(dialog, edt1);
}

// The paths too long for the dialog while it is up (it is modal: one at a time).
struct LongPaths {
  std::wstring shown;  // for the name field, put there once the dialog is up
  std::wstring typed;  // a full path confirmed in the name field
} longPaths;

// A full path too long for the dialog, confirmed with OK, is taken as the choice here, and
// the dialog closed as its "キャンセル" does; any other name goes to the dialog.
bool TakeLongPath(HWND dialog) {
  std::wstring path = Widen(WindowText(NameField(dialog)));
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  if (!IsFullPath(path) || FitsTheDialog(path)) return false;
  longPaths.typed = path;
  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return true;
}

// In front of the dialog window's own procedure while the dialog is up.
LRESULT CALLBACK LongPathSubclass(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, LongPathSubclass, id);
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && TakeLongPath(dialog)) return 0;
  return DefSubclassProc(dialog, message, wParam, lParam);
}

// Once the dialog is set up, it is moved (size kept) to the horizontal centre and the upper
// third of the monitor; a path too long to start it with goes into its name field, and its
// OK goes through TakeLongPath first.
UINT_PTR CALLBACK PlacementHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
  if (notify->hdr.code != CDN_INITDONE) return 0;
  const HWND dialog = GetParent(hook);
  RECT bounds;
  GetWindowRect(dialog, &bounds);
  const rules::Rect area = MonitorOf(placementWindow);
  const rules::Point at = rules::UpperThirdOfMonitor(area, bounds.right - bounds.left, bounds.bottom - bounds.top);
  SetWindowPos(dialog, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!longPaths.shown.empty()) SetWindowTextW(NameField(dialog), longPaths.shown.c_str());
  SetWindowSubclass(dialog, LongPathSubclass, 0, 0);
  return 0;
}

}  // namespace

void OpenDialog::SetFilter(const std::string& description, const std::string& pattern) {
  filter_ = Widen(description) + L'\0' + Widen(pattern) + L'\0' + L'\0';
}

bool OpenDialog::Execute(HWND owner, const std::wstring& loadedPath) {
  placementWindow = ActiveOrMainWindow();
  rules::DialogStart start = rules::OpenDialogStart(loadedPath, chosen_);
  longPaths = {};
  if (!FitsTheDialog(start.file)) longPaths.shown.swap(start.file);
  if (!FitsTheDialog(start.folder)) start.folder.clear();  // the system's choice
  std::vector<wchar_t> fileName(kFileNameRoom, L'\0');
  start.file.copy(fileName.data(), std::min(start.file.size(), fileName.size() - 1));
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter_.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
  dialog.lpfnHook = PlacementHook;
  // A cancelled or failed dialog may leave other bytes in the buffer (a too-long name puts
  // its size there): the path chosen last is kept as it was.
  if (GetOpenFileNameW(&dialog) == FALSE) {
    if (!longPaths.typed.empty()) {
      chosen_ = longPaths.typed;
      return true;
    }
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return false;  // cancelled
    throw EngineError(FormatText(texts::kOpenDialogFailed, ErrorCode(error)));
  }
  fileName.back() = L'\0';
  chosen_ = fileName.data();
  return true;
}

std::string OpenDialog::FileName() const { return Narrow(chosen_); }

}  // namespace ostrevan::app
