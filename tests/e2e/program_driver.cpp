#include "program_driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <thread>

#include "Unit1Layout.h"
#include "codepage.h"
#include "record_checker.h"

namespace ostrevan::e2e {

namespace {

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindChildById(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<ChildSearch*>(parameter);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CollectChildren(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

bool WaitUntilGone(HWND window) {
  return Eventually([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

// Other processes' texts are read as 16-bit characters and brought into UTF-8, as the
// program and the tests hold them.
std::string Narrow(const wchar_t* text) { return ostrevan::Narrow(text); }

// A message to another process's window, answered within `milliseconds` unless the program
// hangs; false when it did not answer.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer, int milliseconds = kPatience) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, milliseconds, &result)) return false;
  answer = static_cast<LRESULT>(result);
  return true;
}

// The messages of a list box or a combo box's list.
struct ListMessages {
  const char* kind;
  UINT count, length, text;
};
constexpr ListMessages kListBoxMessages = {"list box", LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT};
constexpr ListMessages kComboBoxMessages = {"combo box", CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT};
static_assert(LB_ERR == CB_ERR, "one error value for both");

// Never less room for one item than this: more than the longest path (32,767 characters),
// which is the longest text the program puts in a list.
constexpr size_t kItemRoom = 65536;

// One item, or false when it is not there as asked (gone, or changed during the read).
// LB_GETTEXT and CB_GETLBTEXT take no buffer size: they write the item whole, as long as it
// is when they are taken (Wine asks its length again then and copies that much). The length
// asked before may already be stale, as the program clears and fills its list while the
// driver reads it (LB_ERR for an item gone for a moment), so it never sizes the buffer
// alone: the buffer has kItemRoom, and twice that length when more. An answer that does not
// agree with what came into the buffer (an item that grew between Wine's length and the copy
// comes cut) is a change: the item is read again.
bool ReadItem(HWND control, const ListMessages& messages, LRESULT index, std::string& item) {
  LRESULT length = 0;
  if (!Ask(control, messages.length, static_cast<WPARAM>(index), 0, length)) {
    throw std::runtime_error(std::string("the ") + messages.kind + " did not answer");
  }
  if (length == LB_ERR) return false;
  if (length < 0) throw std::runtime_error(std::string("the ") + messages.kind + " gave a negative length");
  std::wstring buffer(std::max(kItemRoom, 2 * (static_cast<size_t>(length) + 1)), L'\0');
  LRESULT copied = 0;
  if (!Ask(control, messages.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()), copied)) {
    throw std::runtime_error(std::string("the ") + messages.kind + " did not answer");
  }
  if (copied == LB_ERR) return false;
  if (copied < 0 || static_cast<size_t>(copied) >= buffer.size()) {
    // Written past the buffer: this process's memory can no longer be trusted.
    std::fprintf(stderr, "a %s item of %lld characters overran its buffer of %zu\n", messages.kind,
                 static_cast<long long>(copied), buffer.size());
    std::abort();
  }
  if (std::wcslen(buffer.c_str()) != static_cast<size_t>(copied)) return false;
  item = Narrow(buffer.c_str());
  return true;
}

// The items of a list, each whole. A list whose count changed while it was read, or whose
// item went or changed, is read again; while the program keeps changing it, the items that
// came whole in the last reading stand for it (the waits read again until they see what
// they wait for).
std::vector<std::string> Items(HWND control, const ListMessages& messages) {
  std::vector<std::string> items;
  for (int attempt = 0; attempt < 10; ++attempt) {
    LRESULT count = 0, countAfter = 0;
    if (!Ask(control, messages.count, 0, 0, count)) {
      throw std::runtime_error(std::string("the ") + messages.kind + " did not answer");
    }
    if (count < 0) throw std::runtime_error(std::string("no ") + messages.kind + " to read");
    items.clear();
    std::string item;
    while (static_cast<LRESULT>(items.size()) < count && ReadItem(control, messages, items.size(), item)) {
      items.push_back(item);
    }
    if (static_cast<LRESULT>(items.size()) == count && Ask(control, messages.count, 0, 0, countAfter) &&
        countAfter == count) {
      break;
    }
  }
  return items;
}

}  // namespace

namespace {

struct FindState {
  DWORD processId;
  const char* className;
  bool visible;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<FindState*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != state->processId || (state->visible && !IsWindowVisible(window))) return TRUE;
  if (ClassOf(window) != state->className) return TRUE;
  state->found = window;
  return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const char* className, bool visible) {
  FindState state = {processId, className, visible, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

std::wstring Wide(const std::string& text) { return Widen(text); }

Capture CaptureWindow(HWND window) {
  RECT bounds = {};
  if (!GetWindowRect(window, &bounds) || IsRectEmpty(&bounds)) throw std::runtime_error("no window to capture");
  Capture capture;
  capture.width = bounds.right - bounds.left;
  capture.height = bounds.bottom - bounds.top;
  capture.pixels.assign(static_cast<size_t>(capture.width) * capture.height, 0);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, capture.width, capture.height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, bounds.left, bounds.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(capture.height), capture.pixels.data(), &info, DIB_RGB_COLORS);
  for (unsigned& pixel : capture.pixels) pixel &= 0xFFFFFF;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

ScopedUserDword::ScopedUserDword(const char* key, const char* name, DWORD value) : key_(key), name_(name) {
  DWORD size = sizeof(old_);
  had_ = RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &old_, &size) == ERROR_SUCCESS;
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value));
}

ScopedUserDword::~ScopedUserDword() {
  if (had_) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_DWORD, &old_, sizeof(old_));
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
  }
}

namespace {

// A path of the build, as Wine sees it: a Linux path lies on drive Z:.
std::string BuiltPath(const char* built) {
  std::string path = built;
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
  return path;
}

}  // namespace

void RegisterAddressRecorder(const std::string& file) {
  const std::string command = "\"" + BuiltPath(OSTREVAN_BROWSER_PATH) + "\" \"" + file + "\" \"%1\"";
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                  nullptr);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "https\\shell\\open\\ddeexec");
}

std::string ProgramPath() { return BuiltPath(OSTREVAN_PROGRAM_PATH); }

// WM_GETTEXT is told its buffer's size and writes (and Wine copies back) no more; a text that
// fills the buffer may have been cut, and is read again in one twice as big. The length asked
// first only picks the first size: the text may change in between.
std::string TextOf(HWND window) {
  constexpr int kWait = 5000;
  constexpr size_t kLongest = size_t{1} << 24;
  LRESULT length = 0;
  if (!Ask(window, WM_GETTEXTLENGTH, 0, 0, length, kWait)) return "";
  size_t room = std::max<size_t>(1024, 2 * (static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1));
  for (;;) {
    std::wstring buffer(room, L'\0');
    LRESULT copied = 0;
    if (!Ask(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(buffer.data()), copied, kWait)) return "";
    buffer.back() = L'\0';
    const size_t read = std::wcslen(buffer.c_str());
    if (read + 1 < room) return Narrow(buffer.c_str());
    if (room >= kLongest) throw std::runtime_error("a window text longer than " + std::to_string(kLongest));
    room *= 2;
  }
}

// A class name has at most 256 characters.
std::string ClassOf(HWND window) {
  wchar_t name[257] = {};
  GetClassNameW(window, name, 257);
  return Narrow(name);
}

Placement PlacementOf(HWND window) {
  RECT bounds = {};
  GetWindowRect(window, &bounds);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::vector<std::string> ListItems(HWND listBox) { return Items(listBox, kListBoxMessages); }

std::vector<std::string> ComboItems(HWND comboBox) { return Items(comboBox, kComboBoxMessages); }

std::vector<std::string> RecordTags(HWND listBox) {
  std::vector<std::string> tags;
  LRESULT count = 0, data = 0;
  if (!Ask(listBox, LB_GETCOUNT, 0, 0, count)) throw std::runtime_error("the list box did not answer");
  for (LRESULT i = 0; i < count && Ask(listBox, LB_GETITEMDATA, static_cast<WPARAM>(i), 0, data) && data != LB_ERR; ++i) {
    tags.push_back(rules::TagText(static_cast<rules::RecordTag>(data)));
  }
  return tags;
}

Program::Program(const std::string& exePath) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  Start(exePath, startup, true);
}

Program::Program(const std::string& exePath, WORD showMode) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showMode;
  Start(exePath, startup, false);
}

Program::Program(const std::vector<std::string>& arguments, const std::string& folder) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  Start(ProgramPath(), startup, true, arguments, folder);
}

void Program::Start(const std::string& exePath, const STARTUPINFOW& given, bool formVisible,
                    const std::vector<std::string>& arguments, const std::string& folder) {
  STARTUPINFOW startup = given;
  // In 16-bit characters, so that names no code page holds arrive whole.
  std::wstring commandLine = L"\"" + Wide(exePath) + L"\"";
  for (const std::string& argument : arguments) commandLine += L" \"" + Wide(argument) + L"\"";
  const std::wstring wideFolder = Wide(folder);
  // Wine now and then refuses a start right after the previous program ended: try again.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(300);
    started = CreateProcessW(Wide(exePath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.empty() ? nullptr : wideFolder.c_str(), &startup, &process_) != FALSE;
    if (!started) error = GetLastError();
  }
  if (!started) {
    throw std::runtime_error("cannot start " + exePath + " (error " + std::to_string(error) + ")");
  }
  processId_ = process_.dwProcessId;
  threadId_ = process_.dwThreadId;
  try {
    WaitForInputIdle(process_.hProcess, 20000);
    Eventually([&] { return (form_ = FindTopLevel(processId_, "TForm1", formVisible)) != nullptr; }, 20000);
    if (!form_) throw std::runtime_error("no window from " + exePath);
    WaitForPosted();
  } catch (...) {  // no destructor runs for a half-made Program
    TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    throw;
  }
}

Program::~Program() {
  if (!IsRunning()) {
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    return;
  }
  // A test that failed half-way may leave a box up: answer it, then close.
  for (int i = 0; i < 5; ++i) {
    HWND box = FindTopLevel(processId_, "#32770");
    if (!box) break;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    WaitUntilGone(box);
  }
  PostMessageA(form_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

HWND Program::Control(const char* name) const {
  for (size_t i = 0; i < app::kForm1ControlCount; ++i) {
    if (std::strcmp(app::kForm1Controls[i].name, name) != 0) continue;
    ChildSearch search = {static_cast<int>(app::kForm1Controls[i].id), nullptr};
    EnumChildWindows(form_, FindChildById, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  return nullptr;
}

void Program::Click(HWND button) const { PostMessageA(button, BM_CLICK, 0, 0); }

void Program::PressKey(HWND window, WPARAM key) const {
  if (!window) throw std::runtime_error("a key pressed on no window");
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
  WaitForPosted();
}

// The shell's drop block: a DROPFILES header, then the names in 16-bit characters, each
// ended by a NUL, and one more NUL.
void Program::Drop(const std::vector<std::string>& names) const {
  std::vector<std::wstring> wide;
  for (const std::string& name : names) wide.push_back(Wide(name));
  Drop(wide);
}

void Program::Drop(const std::vector<std::wstring>& names) const {
  std::wstring wideNames;
  for (const std::wstring& name : names) wideNames += name + L'\0';
  wideNames += L'\0';
  std::string block(sizeof(DROPFILES) + wideNames.size() * sizeof(wchar_t), '\0');
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof(header));
  std::memcpy(block.data() + sizeof(DROPFILES), wideNames.data(), wideNames.size() * sizeof(wchar_t));
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId_);
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  PostMessageA(form_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

namespace {

// Sends a message and returns its result; throws when the window does not answer.
LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &result)) {
    throw std::runtime_error("the program did not answer message " + std::to_string(message) + " within " +
                             std::to_string(kPatience) + " ms (error " + std::to_string(GetLastError()) + ")");
  }
  return static_cast<LRESULT>(result);
}

}  // namespace

void Program::Settle() const { SendOrThrow(form_, WM_NULL, 0, 0); }

// The program takes posted messages in the order they were posted, so a marker posted now is
// taken after everything posted before it: Memo1's modified flag, cleared by a sent message
// and set by a posted one. The flag means nothing to the program.
// (WaitForInputIdle cannot tell this under Wine: its event is also set while the program
// waits for the answer to a message it sent to another process, in the middle of a handler.)
void Program::PostMarker() const {
  if (markerPending_) return;  // one is on its way: another would say nothing more
  const HWND memo = Control("Memo1");
  SendOrThrow(memo, EM_SETMODIFY, FALSE, 0);
  PostMessageA(memo, EM_SETMODIFY, TRUE, 0);
  markerPending_ = true;
}

bool Program::MarkerTaken() const {
  const HWND memo = Control("Memo1");
  if (SendOrThrow(memo, EM_GETMODIFY, 0, 0) == 0) return false;
  SendOrThrow(memo, EM_SETMODIFY, FALSE, 0);
  markerPending_ = false;
  return true;
}

bool Program::MarkerTakenOrAnotherBox(HWND box) const {
  bool taken = false;
  const bool seen = Eventually([&] {
    if ((taken = MarkerTaken())) return true;
    const HWND shown = FindTopLevel(processId_, "#32770");
    return shown != nullptr && shown != box;
  });
  if (!seen) {
    throw std::runtime_error("the program did not take its posted messages within " + std::to_string(kPatience) +
                             " ms");
  }
  return taken;
}

void Program::WaitForPosted() const {
  // A marker still on its way (see PressOk) comes first: until it has been taken, the flag
  // says nothing of what was posted after it.
  for (int marker = markerPending_ ? 2 : 1; marker > 0; --marker) {
    PostMarker();
    if (!Eventually([&] { return MarkerTaken(); })) {
      throw std::runtime_error("the program did not take its posted messages within " + std::to_string(kPatience) +
                               " ms");
    }
  }
}

namespace {

HWND FileNameField(HWND dialog) {
  for (int id : {0x47C, 0x480}) {  // the explorer dialog's name combo box, or its edit
    if (HWND field = GetDlgItem(dialog, id)) return field;
  }
  return nullptr;
}

// A box is ready once its text and its OK button are there; the open dialog once its name
// field and OK button are.
bool IsReady(HWND dialog, Program::Dialog kind) {
  if (!GetDlgItem(dialog, IDOK)) return false;
  if (kind == Program::Dialog::Open) return FileNameField(dialog) != nullptr;
  if (FileNameField(dialog)) return false;
  std::vector<HWND> children;
  EnumChildWindows(dialog, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty()) return true;
  }
  return false;
}

struct DialogSearch {
  DWORD processId;
  Program::Dialog kind;
  HWND found;
};

BOOL CALLBACK MatchReadyDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search->processId || !IsWindowVisible(window) || ClassOf(window) != "#32770") return TRUE;
  if (!IsReady(window, search->kind)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND Program::WaitForDialog(Dialog kind, int milliseconds) const {
  DialogSearch search = {processId_, kind, nullptr};
  Eventually(
      [&] {
        EnumWindows(MatchReadyDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      true, milliseconds);
  return search.found;
}

::testing::AssertionResult Program::ShowsNoDialog() const {
  WaitForPosted();
  if (const HWND dialog = FindTopLevel(processId_, "#32770", false)) {
    const BoxContents contents = ReadBox(dialog);
    ::testing::AssertionResult shown = ::testing::AssertionFailure();
    shown << "a dialog \"" << contents.caption << "\" is open";
    for (const std::string& text : contents.texts) shown << ", saying \"" << text << "\"";
    return shown;
  }
  return ::testing::AssertionSuccess();
}

BoxContents Program::ReadBox(HWND box) const {
  BoxContents contents;
  contents.caption = TextOf(box);
  std::vector<HWND> children;
  EnumChildWindows(box, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    const std::string kind = ClassOf(child);
    const std::string text = TextOf(child);
    if (lstrcmpiA(kind.c_str(), "Static") == 0 && !text.empty()) contents.texts.push_back(text);
    if (lstrcmpiA(kind.c_str(), "Button") == 0) contents.buttons.push_back(text);
    if (lstrcmpiA(kind.c_str(), "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      contents.hasIcon = true;
    }
  }
  return contents;
}

// While a cut or write-back runs, the messages posted to the window wait for its end, and the
// work may show its next box first: the program has then gone as far as it goes, and the
// marker stays on its way. A marker of an earlier box taken now is followed by one of this.
void Program::PressOk(HWND box) const {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  if (!WaitUntilGone(box)) throw std::runtime_error("the box did not close");
  for (int marker = markerPending_ ? 2 : 1; marker > 0; --marker) {
    PostMarker();
    if (!MarkerTakenOrAnotherBox(box)) return;
  }
}

BoxContents Program::AnswerBox() const {
  const HWND box = WaitForDialog(Dialog::Box);
  if (box == nullptr) return {};
  const BoxContents contents = ReadBox(box);
  PressOk(box);
  return contents;
}

std::string Program::OpenDialogFileName(HWND dialog) const { return TextOf(FileNameField(dialog)); }

bool Program::ChooseInOpenDialog(HWND dialog, const std::string& path, bool settle) const {
  const HWND field = FileNameField(dialog);
  if (!field) return false;
  if (!path.empty()) {
    SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()), SMTO_NORMAL, 5000,
                        nullptr);
  }
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  const bool gone = WaitUntilGone(dialog);
  if (gone && settle) WaitForPosted();
  return gone;
}

bool Program::ChooseInOpenDialog(HWND dialog, const std::wstring& path, bool settle) const {
  const HWND field = FileNameField(dialog);
  if (!field) return false;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000, nullptr);
  return ChooseInOpenDialog(dialog, std::string(), settle);
}

HWND Program::DroppedList() const { return FindTopLevel(processId_, "ComboLBox"); }

void Program::CancelOpenDialog(HWND dialog) const {
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  if (!WaitUntilGone(dialog)) throw std::runtime_error("the open dialog did not close");
  WaitForPosted();
}

HWND Program::FocusedWindow() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(threadId_, &info);
  return info.hwndFocus;
}

std::string Program::NameOf(HWND window) const {
  if (!window) return "(none)";
  if (window == form_) return "Form1";
  for (size_t i = 0; i < app::kForm1ControlCount; ++i) {
    if (Control(app::kForm1Controls[i].name) == window) return app::kForm1Controls[i].name;
  }
  return ClassOf(window) + " \"" + TextOf(window) + "\"";
}

::testing::AssertionResult Shows(HWND window, const std::string& text) {
  return Eventually([&] { return TextOf(window); }, text);
}

::testing::AssertionResult Lists(HWND listBox, const std::vector<std::string>& items) {
  return Eventually([&] { return ListItems(listBox); }, items);
}

bool Program::IsRunning() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD Program::Close() {
  PostMessageA(form_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) return static_cast<DWORD>(-1);
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

void CopyRecording(const std::string& path) {
  // The build's path on the host, as the Z: drive shows it.
  std::string made = "Z:";
  for (const char c : std::string(getenv("OSTREVAN_E2E_RECORDING") ? getenv("OSTREVAN_E2E_RECORDING") : "")) {
    made += c == '/' ? '\\' : c;
  }
  if (!CopyFileW(Wide(made).c_str(), Wide(path).c_str(), FALSE)) {
    throw std::runtime_error("no recording at " + made + " (OSTREVAN_E2E_RECORDING)");
  }
}

}  // namespace ostrevan::e2e
