#pragma once
// Drives the real ostrevan.exe from another process, as a user would: finds its windows and
// controls, reads what they show, clicks, presses keys, drops files and answers its boxes.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "test_files.h"
#include "texts.h"

namespace ostrevan::e2e {

// How long a check waits for the program before it fails. Only a failing check waits this
// long, so it is set for a machine busy with other builds.
constexpr int kPatience = 10000;

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
  // Started with `arguments` after its path on the command line, each in quotes (as the
  // shell starts it with files dropped onto its icon), in the folder `folder`.
  Program(const std::vector<std::string>& arguments, const std::string& folder);
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
  // Posts the key's press and release, then waits until the program has taken them.
  void PressKey(HWND window, WPARAM key) const;
  // Puts the files into a drop block in the program's memory and posts WM_DROPFILES.
  void Drop(const std::vector<std::string>& names) const;
  // The same with names in 16-bit characters, as the shell has them (names the code page
  // cannot hold among them).
  void Drop(const std::vector<std::wstring>& names) const;
  // Returns once the program has answered a message sent to it now; throws when it does not
  // answer. It says nothing of what was posted before: a sent message overtakes posted ones.
  void Settle() const;
  // Returns once the program has taken every message posted to it before: it has handled
  // them, or sits in a box or dialog one of them opened. Throws when it does not within
  // kPatience.
  void WaitForPosted() const;

  // The kinds of dialog the program shows.
  enum class Dialog {
    Box,   // the information box or the error box
    Open,  // the open dialog
  };
  // The visible dialog of that kind, once it is ready to be read and answered; nullptr after
  // the timeout.
  HWND WaitForDialog(Dialog kind, int milliseconds = kPatience) const;
  // Succeeds when the program, once it has taken what was posted to it, has no dialog at
  // all (shown or not); else names the dialog.
  ::testing::AssertionResult ShowsNoDialog() const;
  BoxContents ReadBox(HWND box) const;
  // Answers the box with OK, waits until it has gone and the program has gone on: it has
  // taken what was posted to it, or shows its next box (a cut or write-back holds what is
  // posted to the window until it ends).
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

  // The window with the keyboard focus in the program, or nullptr.
  HWND FocusedWindow() const;
  // A window for a failure message: a control's name in the layout, "Form1", or its class
  // and text ("(none)" for nullptr).
  std::string NameOf(HWND window) const;
  bool IsRunning() const;
  // Closes the window as the close box does and returns the exit code.
  DWORD Close();

 private:
  void Start(const std::string& exePath, const STARTUPINFOW& startup, bool formVisible,
             const std::vector<std::string>& arguments = {}, const std::string& folder = "");
  // The marker of WaitForPosted: posted (unless one is on its way), taken (true once it has
  // been, then cleared), or taken or overtaken by a box other than `box` (true when taken).
  void PostMarker() const;
  bool MarkerTaken() const;
  bool MarkerTakenOrAnotherBox(HWND box) const;

  PROCESS_INFORMATION process_ = {};
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND form_ = nullptr;
  mutable bool markerPending_ = false;  // a marker posted and not yet taken
};

// Texts of foreign windows, through WM_GETTEXT (GetWindowText does not read other
// processes' controls); "" when the window does not answer. Texts and items come whole,
// however long, and safely while the program changes them under the reading.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
Placement PlacementOf(HWND window);  // relative to the parent's client area
std::vector<std::string> ListItems(HWND listBox);
std::vector<std::string> ComboItems(HWND comboBox);
// The tags ListBox1 draws beside its records, in order: an item's data names its tag.
std::vector<std::string> RecordTags(HWND listBox);

// Makes the shell open https addresses with the stand-in browser (browser_main.cpp), which
// writes the address it is given into `file`.
void RegisterAddressRecorder(const std::string& file);

// Reads `read` until it gives `want`, for at most `milliseconds`. A failure tells the value
// read last.
template <typename Read>
::testing::AssertionResult Eventually(Read read, const std::invoke_result_t<Read>& want,
                                      int milliseconds = kPatience) {
  const DWORD start = GetTickCount();
  for (DWORD pause = 1;; pause = pause < 10 ? pause * 2 : 10) {  // most values come within a few ms
    const auto seen = read();
    if (seen == want) return ::testing::AssertionSuccess();
    if (GetTickCount() - start >= static_cast<DWORD>(milliseconds)) {
      return ::testing::AssertionFailure() << "still " << ::testing::PrintToString(seen) << " after "
                                           << milliseconds << " ms, waiting for " << ::testing::PrintToString(want);
    }
    Sleep(pause);
  }
}

// Waits until `condition` holds, for at most `milliseconds`.
template <typename Condition>
::testing::AssertionResult Eventually(Condition condition, int milliseconds = kPatience) {
  return Eventually([&] { return static_cast<bool>(condition()); }, true, milliseconds);
}

// Waits until `window` shows `text`.
::testing::AssertionResult Shows(HWND window, const std::string& text);
// Waits until the list box holds `items`.
::testing::AssertionResult Lists(HWND listBox, const std::vector<std::string>& items);

// The screenshot's pose (see pose.cpp); returns the exit code for the driver.
int PoseForScreenshot(const std::string& signalDir);
// The session's holder, `e2e_session FILE` (see session.cpp and the script tests/e2e/session):
// writes "ready" into FILE, then keeps the prefix's Wine session up until FILE is deleted.
int HoldSession(const std::string& file);
// The progress window's screenshot pose (see progress_pose.cpp).
int PoseProgressForScreenshot(const std::string& signalDir);
// A second Wine program for the stress runs, `e2e_busy` (see busy.cpp).
int KeepBusy();

// A UTF-8 text as 16-bit characters.
std::wstring Wide(const std::string& text);

// The first top-level window of class `className` in the process (a visible one, unless told).
HWND FindTopLevel(DWORD processId, const char* className, bool visible = true);

// The pixels of a window as the screen shows it (the window must be uncovered), rows from
// the top, each pixel 0x00RRGGBB.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<unsigned> pixels;
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureWindow(HWND window);

// Where the prefix keeps the screen resolution it gives programs (dots per inch), under
// HKEY_CURRENT_USER; 96 when the value is not there.
inline constexpr const char* kResolutionKey = "Control Panel\\Desktop";
inline constexpr const char* kResolutionValue = "LogPixels";

// An environment variable for the programs started while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) { SetEnvironmentVariableA(name, value); }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_, nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
};

// A copy of the sox-made recording of scripts/make-recording (the build makes it before the
// cases run) as `path`: 12½ minutes, mono 16-bit at 16 kHz, minutes 5 and 6 digital silence,
// minute 7 loud.
inline constexpr int kRecordingMinutes = 13;
void CopyRecording(const std::string& path);

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
