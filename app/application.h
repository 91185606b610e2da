#pragma once
// The application frame: the title, the hidden application window that owns the main window
// and both boxes and stands for the program on the taskbar, the icon, the message loop and
// the error box.

#include <windows.h>

#include <string>

namespace ostrevan::app {

class Application {
 public:
  // Loads "MAINICON", computes the title and creates the application window.
  void Initialize(HINSTANCE instance);
  // Shows the main window as the start-up show mode asks and runs the message loop until
  // the quit message; returns the exit code, 0.
  int Run(HWND mainWindow);

  HINSTANCE Instance() const { return instance_; }
  HWND Handle() const { return handle_; }
  HWND MainWindow() const { return mainWindow_; }
  HICON Icon() const { return icon_; }
  // In UTF-8.
  const std::string& Title() const { return title_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_ = nullptr;
  HWND handle_ = nullptr;
  HWND mainWindow_ = nullptr;
  HICON icon_ = nullptr;
  std::string title_;
};

Application& TheApplication();

// The window the user is working in: the active window, or the main window when the
// program has none active. Boxes and dialogs go to its monitor.
HWND ActiveOrMainWindow();

// The application title from the running executable's path.
std::string ComputeApplicationTitle();

// The error box for a message (UTF-8): the final "." rule, the stop icon,
// owned by the application window, the active window and its focus restored afterwards.
void ShowErrorBox(const std::string& message);

// Shows the error that is being handled (call from a catch block).
void ShowCurrentError();

// Runs one handler; an error escaping it goes to the error box and the program goes on.
template <typename Handler>
void RunHandler(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ShowCurrentError();
  }
}

// While a box is up, the program's other windows take no input; afterwards the window that
// was active is activated again and its focus restored.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  HWND active_;
  HWND focus_;
  bool disabledMain_ = false;
};

}  // namespace ostrevan::app
