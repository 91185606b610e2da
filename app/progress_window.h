#pragma once
// The progress window of a long cut or write-back: what is being done (the file's name), a
// progress bar, the bytes done and the total, and "中止". Owned by the main window, which
// stays disabled while the work runs; the window itself never blocks.

#include <windows.h>

#include <functional>
#include <string>

#include "form_builder.h"
#include "owned_window.h"
#include "progress_view.h"

namespace ostrevan::app {

class ProgressWindow {
 public:
  // `current` gives what to show, asked for every 100 ms while the window is up; `onStop`
  // runs once when "中止" is pressed (or Esc, or the close box). Made hidden.
  ProgressWindow(HWND owner, HFONT font, const LayoutScale& scale, std::function<rules::ProgressView()> current,
                 std::function<void()> onStop);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND Handle() const { return handle_; }
  // Centred on the owner's monitor, shown with its focus on "中止", the texts up to date.
  void Show();
  void Hide();
  bool Visible() const { return IsWindowVisible(handle_) != FALSE; }

 private:
  template <typename Owner>
  friend LRESULT CALLBACK OwnedWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Refresh();
  void Stop();
  void HandBackActivation() const;

  HWND owner_;
  HWND handle_ = nullptr;
  HWND name_ = nullptr;
  HWND bar_ = nullptr;
  HWND amount_ = nullptr;
  HWND stop_ = nullptr;
  std::function<rules::ProgressView()> current_;
  std::function<void()> onStop_;
  bool stopped_ = false;
};

}  // namespace ostrevan::app
