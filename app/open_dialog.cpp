#include "open_dialog.h"

#include <algorithm>
#include <iterator>

#include <commdlg.h>

#include "application.h"
#include "dialog_placement.h"
#include "monitor.h"
#include "open_dialog_start.h"
#include "codepage.h"

namespace ostrevan::app {

namespace {

HWND placementWindow = nullptr;  // the window whose monitor the dialog goes to

// Once the dialog is set up, it is moved (size kept) to the horizontal centre and the upper
// third of the monitor.
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
  return 0;
}

}  // namespace

void OpenDialog::SetFilter(const std::string& description, const std::string& pattern) {
  filter_ = Widen(description) + L'\0' + Widen(pattern) + L'\0' + L'\0';
}

bool OpenDialog::Execute(HWND owner, const std::wstring& loadedPath) {
  placementWindow = ActiveOrMainWindow();
  const rules::DialogStart start = rules::OpenDialogStart(loadedPath, chosen_);
  wchar_t fileName[260] = {};
  start.file.copy(fileName, std::min(start.file.size(), std::size(fileName) - 1));
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter_.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = static_cast<DWORD>(std::size(fileName));
  dialog.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
  dialog.lpfnHook = PlacementHook;
  // A cancelled or failed dialog may leave other bytes in the buffer (a too-long name puts
  // its size there): the path chosen last is kept as it was.
  if (GetOpenFileNameW(&dialog) == FALSE) return false;
  chosen_ = fileName;
  return true;
}

std::string OpenDialog::FileName() const { return Narrow(chosen_); }

}  // namespace ostrevan::app
