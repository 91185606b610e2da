#pragma once
// Drives the real ostrevan.exe from another process, as a user would: finds its windows and
// controls, reads what they show, clicks, presses keys, drops files and answers its boxes.

#include <windows.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace ostrevan::e2e {

// The program under test as a Windows path (the build passes it in).
std::string ProgramPath();

// A control's place within its parent's client area, and its size.
struct Placement {
  int left, top, width, height;
  bool operator==(const Placement& other) const {
    return left == other.left && top == other.top && width == other.width && height == other.height;
  }
};

// What a box (the information box or the error box) shows.
struct BoxContents {
  std::string caption;
  std::vector<std::string> texts;    // the static texts, empty ones (the icon) left out
  std::vector<std::string> buttons;  // the button captions
  bool hasIcon = false;              // a static that shows an icon
};

class Program {
 public:
  explicit Program(const std::string& exePath = ProgramPath());
  // Started with this show mode (STARTUPINFO's wShowWindow), as a shortcut set to
  // "minimized" starts it; Form1 may then be hidden from the start.
  Program(const std::string& exePath, WORD showMode);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  HWND Form() const { return form_; }
  // The hidden application window that owns Form1.
  HWND ApplicationWindow() const { return GetWindow(form_, GW_OWNER); }
  DWORD ProcessId() const { return processId_; }
  DWORD ThreadId() const { return threadId_; }
  // A control of Form1 by its name in the layout.
  HWND Control(const char* name) const;

  // Posts a click on a button (the program may then show a box, so this does not wait).
  void Click(HWND button) const;
  void PressKey(HWND window, WPARAM key) const;
  // Puts the files into a drop block in the program's memory and posts WM_DROPFILES.
  void Drop(const std::vector<std::string>& names) const;
  // The same with names in 16-bit characters, as the shell has them (names the code page
  // cannot hold among them).
  void Drop(const std::vector<std::wstring>& names) const;
  // Returns once the program has handled what was posted before, or sits in a box.
  void Settle() const;

  // A visible top-level dialog of the program (class #32770), or nullptr after the timeout.
  HWND WaitForDialog(int milliseconds = 10000) const;
  // True when no dialog shows up within the given time.
  bool NoDialogFor(int milliseconds) const;
  BoxContents ReadBox(HWND box) const;
  void PressOk(HWND box) const;
  // Waits for a box, reads it and presses its OK button; empty contents when none came.
  BoxContents AnswerBox() const;

  // The open dialog: the text of its file-name field; a name typed and confirmed (true
  // once the dialog has gone; an empty name confirms the field as it stands); cancelled.
  std::string OpenDialogFileName(HWND dialog) const;
  bool ChooseInOpenDialog(HWND dialog, const std::string& path, bool settle = true) const;
  bool ChooseInOpenDialog(HWND dialog, const std::wstring& path, bool settle = true) const;
  // The dropped-down list of a combo box of the program while it shows, or nullptr.
  HWND DroppedList() const;
  void CancelOpenDialog(HWND dialog) const;

  HWND FocusedWindow() const;
  bool IsRunning() const;
  // Closes the window as the close box does and returns the exit code.
  DWORD Close();

 private:
  void Start(const std::string& exePath, const STARTUPINFOA& startup, bool formVisible);

  PROCESS_INFORMATION process_ = {};
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND form_ = nullptr;
};

// Texts of foreign windows, through WM_GETTEXT (GetWindowText does not read other
// processes' controls).
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
Placement PlacementOf(HWND window);  // relative to the parent's client area
std::vector<std::string> ListItems(HWND listBox);
std::vector<std::string> ComboItems(HWND comboBox);

// Makes the shell open https addresses with this program in its recording mode, which
// writes the address it is given into `file` (see RecordOpenedAddress).
void RegisterAddressRecorder(const std::string& file);
// The recording mode: `--record-address FILE ADDRESS`; true when the arguments asked for it.
bool RecordOpenedAddress(int argc, char** argv);

// Waits until `condition` holds (the program works on its own thread); false on timeout.
template <typename Condition>
bool Eventually(Condition condition, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 25) {
    if (condition()) return true;
    Sleep(25);
  }
  return condition();
}

// The screenshot's pose (see pose.cpp); returns the exit code for the driver.
int PoseForScreenshot(const std::string& signalDir);
// The progress window's screenshot pose (see progress_pose.cpp).
int PoseProgressForScreenshot(const std::string& signalDir);

using testing::Sys;
// A system code page text as 16-bit characters.
std::wstring Wide(const std::string& text);

// The pixels of a window as the screen shows it (the window must be uncovered), rows from
// the top, each pixel 0x00RRGGBB.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<unsigned> pixels;
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureWindow(HWND window);

// Sets a value of the current user's registry for its lifetime, then puts back what was
// there (the screen resolution Wine gives programs started meanwhile, say).
class ScopedUserDword {
 public:
  ScopedUserDword(const char* key, const char* name, DWORD value);
  ~ScopedUserDword();
  ScopedUserDword(const ScopedUserDword&) = delete;
  ScopedUserDword& operator=(const ScopedUserDword&) = delete;

 private:
  std::string key_, name_;
  bool had_ = false;
  DWORD old_ = 0;
};

}  // namespace ostrevan::e2e
