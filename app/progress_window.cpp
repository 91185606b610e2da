#include "progress_window.h"

#include <commctrl.h>

#include "application.h"
#include "codepage.h"
#include "controls.h"
#include "monitor.h"
#include "owned_window.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::app {

namespace {

constexpr const wchar_t* kClassName = L"OstrevanProgress";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;

// The client area and the controls at 96 dots per inch, scaled as Form1's layout is.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 95;
struct Place {
  int left, top, width, height;
};
constexpr Place kNamePlace = {12, 12, 296, 16};
constexpr Place kBarPlace = {12, 34, 296, 16};
constexpr Place kAmountPlace = {12, 62, 210, 16};
constexpr Place kStopPlace = {233, 58, 75, 25};
// "中止" is IDCANCEL (2); the others keep clear of the dialog keys' IDs.
constexpr int kNameId = 100, kBarId = 101, kAmountId = 102;

void RegisterOnce(HINSTANCE instance, WNDPROC procedure) {
  static const bool registered = [instance, procedure] {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass) != 0;
  }();
  (void)registered;
}

HWND MakeControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style, const Place& place,
                 const LayoutScale& scale, int id, HFONT font) {
  const RECT bounds = {scale(place.left), scale(place.top), scale(place.left + place.width),
                       scale(place.top + place.height)};
  const HWND control = CreateWindowExW(0, className, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left,
                                       bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  Control(control).SetFont(font);
  return control;
}

// Sets a text only when it changed: a static repainted ten times a second flickers.
void SetChangedText(HWND control, const std::string& text) {
  const Control wrapped(control);
  if (wrapped.Text() != text) wrapped.SetText(text);
}

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, HFONT font, const LayoutScale& scale,
                               std::function<rules::ProgressView()> current, std::function<void()> onStop)
    : owner_(owner), current_(std::move(current)), onStop_(std::move(onStop)) {
  const HINSTANCE instance = TheApplication().Instance();
  RegisterOnce(instance, OwnedWindowProc<ProgressWindow>);
  RECT frame = {0, 0, scale(kClientWidth), scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const rules::ProgressView first = current_();
  handle_ = CreateWindowExW(kExStyle, kClassName, Widen(first.caption).c_str(), kStyle, 0, 0, frame.right - frame.left,
                            frame.bottom - frame.top, owner, nullptr, instance, this);
  name_ = MakeControl(handle_, L"Static", first.name, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS, kNamePlace,
                      scale, kNameId, font);
  bar_ = MakeControl(handle_, PROGRESS_CLASSW, "", 0, kBarPlace, scale, kBarId, font);
  amount_ = MakeControl(handle_, L"Static", first.amount, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kAmountPlace, scale,
                        kAmountId, font);
  // IDCANCEL: Esc presses it too.
  stop_ = MakeControl(handle_, L"Button", Text(texts::kStopButton), BS_DEFPUSHBUTTON | WS_TABSTOP, kStopPlace, scale,
                      IDCANCEL, font);
  ProgressBar(bar_).SetRange(rules::kProgressSteps);
  ProgressBar(bar_).SetPosition(first.position);
}

ProgressWindow::~ProgressWindow() {
  if (!IsWindow(handle_)) return;
  HandBackActivation();
  DestroyWindow(handle_);
}

// Before the window goes out of sight: the system would pass the activation on to the next
// enabled window, another program's, and the owner is disabled.
void ProgressWindow::HandBackActivation() const {
  if (GetActiveWindow() == handle_) SetActiveWindow(owner_);
}

void ProgressWindow::Show() {
  Refresh();
  RECT bounds;
  GetWindowRect(handle_, &bounds);
  const rules::Point at =
      rules::CentredOnMonitor(MonitorOf(owner_), bounds.right - bounds.left, bounds.bottom - bounds.top);
  SetWindowPos(handle_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(handle_, SW_SHOW);
  SetTimer(handle_, kRefreshTimer, kRefreshMs, nullptr);
}

void ProgressWindow::Hide() {
  KillTimer(handle_, kRefreshTimer);
  HandBackActivation();
  ShowWindow(handle_, SW_HIDE);
}

void ProgressWindow::Refresh() {
  const rules::ProgressView view = current_();
  SetChangedText(handle_, view.caption);
  SetChangedText(name_, view.name);
  SetChangedText(amount_, view.amount);
  const ProgressBar bar(bar_);
  if (bar.Position() != view.position) bar.SetPosition(view.position);
}

void ProgressWindow::Stop() {
  if (stopped_) return;
  stopped_ = true;
  // Pressed once: the engine stops at its next block and puts back what it changed.
  EnableWindow(stop_, FALSE);
  onStop_();
}

LRESULT ProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) Stop();
      return 0;
    case WM_CLOSE:
      Stop();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(IsWindowEnabled(stop_) ? stop_ : handle_);
      return 0;
    case WM_SYSCOMMAND:
      // As Form1's: the application window is minimized, and every window of the program
      // goes with it.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(TheApplication().Handle(), SW_MINIMIZE);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(handle_, message, wParam, lParam);
}

}  // namespace ostrevan::app
