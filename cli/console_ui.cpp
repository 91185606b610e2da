#include "console_ui.h"

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli_run.h"
#include "codepage.h"
#include "file.h"
#include "integer_text.h"
#include "texts.h"

namespace ostrevan::cli {

namespace {

// Ctrl+C during a cut, a write-back or a level scan stops it the safe way, as "中止" does in
// the window.
std::atomic<bool> stopAsked{false};

#ifdef _WIN32
BOOL WINAPI OnConsoleBreak(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  stopAsked = true;
  return TRUE;
}
#else
void OnInterrupt(int) { stopAsked = true; }
#endif

bool IsTerminal(std::FILE* file) {
#ifdef _WIN32
  return _isatty(_fileno(file)) != 0;
#else
  return isatty(fileno(file)) != 0;
#endif
}

// The columns a progress line takes, so that blanks cover all of it. On a Windows console a
// character beyond ASCII is counted two, as its double-byte code page counted it; a POSIX
// terminal is counted in bytes, as before.
size_t ColumnsOf(const std::string& utf8) {
#ifdef _WIN32
  size_t columns = 0;
  for (size_t at = 0; at < utf8.size(); at += Utf8CharacterLength(static_cast<unsigned char>(utf8[at]))) {
    columns += static_cast<unsigned char>(utf8[at]) < 0x80 ? 1 : 2;
  }
  return columns;
#else
  return utf8.size();
#endif
}

}  // namespace

bool StopAsked() { return stopAsked; }

StopOnInterrupt::StopOnInterrupt() {
  stopAsked = false;
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_);
#endif
}

StopOnInterrupt::~StopOnInterrupt() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
#else
  sigaction(SIGINT, &previous_, nullptr);
#endif
}

PrintingUi::PrintingUi(std::FILE* out, std::FILE* err) : out_(out), err_(err), showProgress_(IsTerminal(err)) {}

void PrintingUi::ShowInfo(const std::string& text) {
  ClearProgress();
  WriteText(out_, text + "\n");
  finished_ = text == Text(texts::kFinished);
}

bool PrintingUi::Progress(const std::string& path, uint64_t done, uint64_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (showProgress_ && (now - shown_ > std::chrono::milliseconds(100) || done == total)) {
    shown_ = now;
    std::string line = FileNameOf(path) + ": " + ProgressAmountText(done, total);
    WriteText(err_, "\r" + line + " ");
    std::fflush(err_);
    width_ = std::max(width_, ColumnsOf(line) + 1);
  }
  return !stopAsked;
}

void PrintingUi::ClearProgress() {
  if (width_ == 0) return;
  WriteText(err_, "\r" + std::string(width_, ' ') + "\r");
  std::fflush(err_);
  width_ = 0;
}

}  // namespace ostrevan::cli
