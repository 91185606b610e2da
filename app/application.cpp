#include "application.h"

#include <cwchar>
#include <string>

#include "monitor.h"
#include "codepage.h"
#include "engine_error.h"
#include "title_rule.h"

namespace ostrevan::app {

namespace {

constexpr const wchar_t* kApplicationClass = L"OstrevanApplication";

std::string LowerWithCharLower(const std::string& text) {
  std::wstring wide = Widen(text);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

}  // namespace

Application& TheApplication() {
  static Application application;
  return application;
}

HWND ActiveOrMainWindow() {
  const HWND active = GetActiveWindow();
  return active ? active : TheApplication().MainWindow();
}

std::string ComputeApplicationTitle() {
  // The buffer grows until the whole path fits: a cut path would give a wrong title.
  std::wstring path(256, L'\0');
  while (GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())) >= path.size() &&
         path.size() < 65536) {
    path.assign(path.size() * 2, L'\0');
  }
  path.resize(std::wcslen(path.c_str()));
  return rules::ApplicationTitle(Narrow(path), LowerWithCharLower);
}

void Application::Initialize(HINSTANCE instance) {
  instance_ = instance;
  icon_ = LoadIconW(instance, L"MAINICON");
  title_ = ComputeApplicationTitle();

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon_;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kApplicationClass;
  RegisterClassW(&windowClass);

  // A zero-size popup at the screen's centre: shown, it is the taskbar entry, yet never seen.
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = CreateWindowExW(0, kApplicationClass, Widen(title_).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, left, top,
                            0, 0, nullptr, nullptr, instance, nullptr);
}

int Application::Run(HWND mainWindow) {
  mainWindow_ = mainWindow;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const int showMode = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;

  ShowWindow(handle_, SW_SHOWNOACTIVATE);
  if (showMode == SW_SHOWMAXIMIZED) {
    ShowWindow(mainWindow_, SW_SHOWMAXIMIZED);
  } else {
    ShowWindow(mainWindow_, SW_SHOWNORMAL);
    if (showMode == SW_SHOWMINNOACTIVE) ShowWindow(handle_, SW_MINIMIZE);
  }
  UpdateWindow(mainWindow_);

  MSG message;
  for (;;) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) break;
    // Errors never unwind through the system's frames: each window procedure shows its own
    // in the error box (RunHandler, see application.h) and the loop goes on.
    if (IsWindow(mainWindow_) && IsDialogMessageW(mainWindow_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (IsWindow(mainWindow_)) DestroyWindow(mainWindow_);
  DestroyWindow(handle_);
  return 0;
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND mainWindow = TheApplication().mainWindow_;
  switch (message) {
    case WM_CLOSE:  // the taskbar entry's Close; not while a box is up over the window
      if (IsWindow(mainWindow) && IsWindowEnabled(mainWindow)) PostMessageW(mainWindow, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE && IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
        if (IsWindow(mainWindow)) SetForegroundWindow(mainWindow);
        return 0;
      }
      break;
    case WM_SIZE:
      // The windows it owns go and come with the application window: Windows hides them
      // when their owner is minimized, Wine does not, so it is done here on both. So do
      // the main window's own (the progress window).
      if (wParam == SIZE_MINIMIZED) {
        if (IsWindow(mainWindow)) ShowOwnedPopups(mainWindow, FALSE);
        ShowOwnedPopups(window, FALSE);
      }
      if (wParam == SIZE_RESTORED) {
        ShowOwnedPopups(window, TRUE);
        if (IsWindow(mainWindow)) ShowOwnedPopups(mainWindow, TRUE);
      }
      break;
    case WM_ACTIVATE:
      // The application window is never used itself: activation passes to the main window.
      if (LOWORD(wParam) != WA_INACTIVE && IsWindow(mainWindow) && IsWindowEnabled(mainWindow) &&
          !IsIconic(window)) {
        SetActiveWindow(mainWindow);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ModalScope::ModalScope() : active_(GetActiveWindow()), focus_(GetFocus()) {
  const HWND mainWindow = TheApplication().MainWindow();
  if (mainWindow && IsWindowEnabled(mainWindow)) {
    EnableWindow(mainWindow, FALSE);
    disabledMain_ = true;
  }
}

ModalScope::~ModalScope() {
  if (disabledMain_) EnableWindow(TheApplication().MainWindow(), TRUE);
  if (active_ && IsWindow(active_)) SetActiveWindow(active_);
  if (focus_ && IsWindow(focus_)) SetFocus(focus_);
}

void ShowErrorBox(const std::string& message) {
  ModalScope modal;
  const std::string text = ErrorText(message);
  // The box appears on its owner's monitor: put the owner at the centre of the monitor of
  // the active window.
  const rules::Point centre = rules::CentredOnMonitor(MonitorOf(ActiveOrMainWindow()), 0, 0);
  SetWindowPos(TheApplication().Handle(), nullptr, centre.left, centre.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  MessageBoxW(TheApplication().Handle(), Widen(text).c_str(), Widen(TheApplication().Title()).c_str(), MB_OK | MB_ICONSTOP);
}

void ShowCurrentError() { ShowErrorBox(CurrentErrorMessage()); }

}  // namespace ostrevan::app
