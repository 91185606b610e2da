#include "program_driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "Unit1Layout.h"
#include "codepage.h"

namespace ostrevan::e2e {

namespace {

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

struct FindState {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchVisibleTopLevel(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<FindState*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != state->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != state->className) return TRUE;
  state->found = window;
  return FALSE;
}

HWND FindVisibleTopLevel(DWORD processId, const char* className) {
  FindState state = {processId, className, nullptr};
  EnumWindows(MatchVisibleTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<FindState*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != state->processId || ClassOf(window) != state->className) return TRUE;
  state->found = window;
  return FALSE;
}

HWND FindTopLevel(DWORD processId, const char* className, bool visible) {
  if (visible) return FindVisibleTopLevel(processId, className);
  FindState state = {processId, className, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

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

// Other processes' texts are read as 16-bit characters (which Wine passes between processes
// reliably) and brought into the system code page, where the program holds them.
std::string Narrow(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(std::strlen(out.c_str()));
  return out;
}

std::vector<std::string> Items(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(control, countMessage, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    items.push_back(Narrow(item.c_str()));
  }
  return items;
}

}  // namespace

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

Capture CaptureWindow(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
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

void RegisterAddressRecorder(const std::string& file) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof(self));
  const std::string command = std::string("\"") + self + "\" --record-address \"" + file + "\" \"%1\"";
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                  nullptr);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "https\\shell\\open\\ddeexec");
}

bool RecordOpenedAddress(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], "--record-address") != 0) return false;
  HANDLE out = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, argv[3], static_cast<DWORD>(std::strlen(argv[3])), &written, nullptr);
  CloseHandle(out);
  return true;
}

std::string ProgramPath() {
  std::string path = OSTREVAN_PROGRAM_PATH;
  if (!path.empty() && path[0] == '/') {  // a Linux path under Wine: drive Z: is the root
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
  return path;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return Narrow(text.c_str());
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

Placement PlacementOf(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::vector<std::string> ListItems(HWND listBox) {
  return Items(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> ComboItems(HWND comboBox) {
  return Items(comboBox, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

Program::Program(const std::string& exePath) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  Start(exePath, startup, true);
}

Program::Program(const std::string& exePath, WORD showMode) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showMode;
  Start(exePath, startup, false);
}

void Program::Start(const std::string& exePath, const STARTUPINFOA& given, bool formVisible) {
  STARTUPINFOA startup = given;
  std::string commandLine = "\"" + exePath + "\"";
  // Wine now and then refuses a start right after the previous program ended: try again.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(300);
    started = CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process_) != FALSE;
    if (!started) error = GetLastError();
  }
  if (!started) {
    throw std::runtime_error("cannot start " + exePath + " (error " + std::to_string(error) + ")");
  }
  processId_ = process_.dwProcessId;
  threadId_ = process_.dwThreadId;
  WaitForInputIdle(process_.hProcess, 20000);
  for (int waited = 0; waited < 20000 && !form_; waited += 50) {
    form_ = FindTopLevel(processId_, "TForm1", formVisible);
    if (!form_) Pause(50);
  }
  if (!form_) throw std::runtime_error("no window from " + exePath);
  Settle();
}

Program::~Program() {
  if (!IsRunning()) {
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    return;
  }
  // A test that failed half-way may leave a box up: answer it, then close.
  for (int i = 0; i < 5; ++i) {
    HWND box = FindVisibleTopLevel(processId_, "#32770");
    if (!box) break;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    Pause(200);
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
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
  Settle();
}

// The shell's drop block: a DROPFILES header, then the names in 16-bit characters, each
// ended by a NUL, and one more NUL. The program reads them through DragQueryFileA, which
// converts them to its code page.
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

// A message sent to the program is taken when it next looks at its queue, which is where
// it also takes posted messages: two round trips cover the last posted message.
void Program::Settle() const {
  for (int i = 0; i < 3; ++i) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(form_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
  }
}

HWND Program::WaitForDialog(int milliseconds) const {
  for (int waited = 0; waited <= milliseconds; waited += 50) {
    if (HWND box = FindVisibleTopLevel(processId_, "#32770")) {
      Pause(100);  // let it finish laying itself out
      return box;
    }
    Pause(50);
  }
  return nullptr;
}

bool Program::NoDialogFor(int milliseconds) const {
  Settle();
  return WaitForDialog(milliseconds) == nullptr;
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

void Program::PressOk(HWND box) const {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  for (int waited = 0; waited < 5000 && IsWindow(box) && IsWindowVisible(box); waited += 50) Pause(50);
  Settle();
}

BoxContents Program::AnswerBox() const {
  const HWND box = WaitForDialog();
  if (box == nullptr) return {};
  const BoxContents contents = ReadBox(box);
  PressOk(box);
  return contents;
}

namespace {

HWND FileNameField(HWND dialog) {
  for (int id : {0x47C, 0x480}) {  // the explorer dialog's name combo box, or its edit
    if (HWND field = GetDlgItem(dialog, id)) return field;
  }
  return nullptr;
}

bool WaitUntilGone(HWND window) {
  for (int waited = 0; waited < 10000; waited += 50) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Pause(50);
  }
  return false;
}

}  // namespace

std::string Program::OpenDialogFileName(HWND dialog) const { return TextOf(FileNameField(dialog)); }

bool Program::ChooseInOpenDialog(HWND dialog, const std::string& path, bool settle) const {
  const HWND field = FileNameField(dialog);
  if (!field) return false;
  if (!path.empty()) {
    SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000, nullptr);
  }
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  const bool gone = WaitUntilGone(dialog);
  if (gone && settle) Settle();
  return gone;
}

bool Program::ChooseInOpenDialog(HWND dialog, const std::wstring& path, bool settle) const {
  const HWND field = FileNameField(dialog);
  if (!field) return false;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000, nullptr);
  return ChooseInOpenDialog(dialog, std::string(), settle);
}

HWND Program::DroppedList() const { return FindVisibleTopLevel(processId_, "ComboLBox"); }

void Program::CancelOpenDialog(HWND dialog) const {
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  WaitUntilGone(dialog);
  Settle();
}

HWND Program::FocusedWindow() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(threadId_, &info);
  return info.hwndFocus;
}

bool Program::IsRunning() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD Program::Close() {
  PostMessageA(form_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) return static_cast<DWORD>(-1);
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

}  // namespace ostrevan::e2e
