#include "cli_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <optional>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "codepage.h"
#include "engine_error.h"
#include "file.h"
#include "integer_text.h"
#include "load_wave.h"
#include "ostrevan_version.h"
#include "save_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::cli {

namespace {

constexpr const char* kUsage =
    "usage: ostrevan-cli info WAV\n"
    "       ostrevan-cli cut WAV --length TEXT (--start TEXT | --from-end)\n"
    "       ostrevan-cli writeback RECORD...\n"
    "       ostrevan-cli --help | --version\n";

// What --help prints after the usage lines; "%s" stands for the finished message.
constexpr const char* kHelpBody =
    "\n"
    "commands:\n"
    "  info       print WAV's play time and attributes as the window shows them\n"
    "  cut        cut whole minutes of WAV into a clip and a record (.ini) beside it\n"
    "  writeback  write each RECORD's clip back into its source, in the order given\n"
    "  --help     print this help\n"
    "  --version  print the version\n"
    "\n"
    "options of cut:\n"
    "  --length TEXT  the clip's length in whole minutes, kept as typed in the names\n"
    "  --start TEXT   the start minute, 0 to the file's whole minutes - 1\n"
    "  --from-end     the clip ends at the end of the audio\n"
    "\n"
    "The clip and record of rec.wav, --start 5 --length 3: rec-5-3.wav, rec-5-3.ini;\n"
    "with --from-end: rec-L-3.wav, rec-L-3.ini.\n"
    "\n"
    "Messages go to standard output, one per line; errors to standard error.\n"
    "When standard error is a terminal, it shows the progress of a cut or a\n"
    "write-back on one line. Ctrl+C stops either safely: a stopped cut leaves no\n"
    "clip, a stopped write-back puts the source back as it was.\n"
    "Writing back RECORD.undo.ini undoes RECORD's write-backs.\n"
    "\n"
    "exit status:\n"
    "  0   ended with \"%s\", or info read a file of one minute or more\n"
    "  1   ended with another message: a file under one minute, a missing\n"
    "      source, a refused cut, a stop\n"
    "  2   an error (its text on standard error)\n"
    "  64  a usage error\n";

constexpr const char* kHint = "usage: ostrevan-cli info WAV | cut WAV --length TEXT (--start TEXT | --from-end) | "
                              "writeback RECORD... | --help | --version\n";

// Ctrl+C during a cut or a write-back stops it the safe way, as "中止" does in the window.
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

// While it lives, Ctrl+C asks the engine to stop instead of ending the program.
class StopOnInterrupt {
 public:
  StopOnInterrupt() {
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
  ~StopOnInterrupt() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
#else
    sigaction(SIGINT, &previous_, nullptr);
#endif
  }
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

 private:
#ifndef _WIN32
  struct sigaction previous_ {};
#endif
};

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

// Information messages as lines on standard output; remembers whether the run finished. On a
// terminal, standard error shows one line of progress while a copy runs, as dd and curl do.
class PrintingUi : public EngineUi {
 public:
  PrintingUi(std::FILE* out, std::FILE* err) : out_(out), err_(err), showProgress_(IsTerminal(err)) {}
  void ShowInfo(const std::string& text) override {
    ClearProgress();
    WriteText(out_, text + "\n");
    finished_ = text == Text(texts::kFinished);
  }
  bool Progress(const std::string& path, uint64_t done, uint64_t total) override {
    const auto now = std::chrono::steady_clock::now();
    if (showProgress_ && (now - shown_ > std::chrono::milliseconds(100) || done == total)) {
      shown_ = now;
      const size_t slash = path.find_last_of("/\\");
      std::string line = path.substr(slash == std::string::npos ? 0 : slash + 1) + ": " +
                         ProgressAmountText(done, total);
      WriteText(err_, "\r" + line + " ");
      std::fflush(err_);
      width_ = std::max(width_, ColumnsOf(line) + 1);
    }
    return !stopAsked;
  }
  bool finished() const { return finished_; }

 private:
  void ClearProgress() {
    if (width_ == 0) return;
    WriteText(err_, "\r" + std::string(width_, ' ') + "\r");
    std::fflush(err_);
    width_ = 0;
  }

  std::FILE* out_;
  std::FILE* err_;
  bool showProgress_;
  std::chrono::steady_clock::time_point shown_{};
  size_t width_ = 0;
  bool finished_ = false;
};

struct UsageError {};

// Loads as the window does and prints the short-file message if any; `withLabels` prints the
// play-time and attributes texts first. False for a file under one minute.
bool LoadAndPrint(const std::string& path, std::FILE* out, bool withLabels) {
  const LoadOutcome outcome = LoadWave(path, TheLoadedWave());
  if (withLabels) WriteText(out, outcome.playTimeText + "\n" + outcome.attributesText + "\n");
  if (outcome.IsShortFile()) {
    WriteText(out, outcome.shortFileMessage + "\n");
    return false;
  }
  return true;
}

// A whole number in plain digits, leading zeros allowed, as the decimal text the window's
// start label would hold for it ("05" gives "5"). None for anything else.
std::optional<std::string> CanonicalMinuteText(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const size_t first = std::min(text.find_first_not_of('0'), text.size() - 1);
  const std::string digits = text.substr(first);
  if (digits.size() > 18) return std::nullopt;
  return digits;
}

int Cut(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() < 2) throw UsageError{};
  // The record keeps the source's full path, so a write-back from another folder finds
  // the same recording.
  const std::string wav = AbsolutePath(args[1]);
  const std::string* length = nullptr;
  const std::string* start = nullptr;
  bool fromEnd = false;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--length" && i + 1 < args.size() && !length) {
      length = &args[++i];
    } else if (args[i] == "--start" && i + 1 < args.size() && !start) {
      start = &args[++i];
    } else if (args[i] == "--from-end" && !fromEnd) {
      fromEnd = true;
    } else {
      throw UsageError{};
    }
  }
  if (!length || (start != nullptr) == fromEnd) throw UsageError{};
  const std::optional<std::string> startText = start ? CanonicalMinuteText(*start) : std::string("0");
  if (!startText) throw UsageError{};

  if (!LoadAndPrint(wav, out, false)) return kExitMessage;
  // The start minutes the window's scroll bar could reach: 0 to whole minutes - 1.
  if (start && std::stoll(*startText) >= TheLoadedWave().playTime.wholeMinutes) throw UsageError{};

  PrintingUi ui(out, err);
  StopOnInterrupt stop;
  SaveClip(TheLoadedWave(), *length, *startText, wav,
           fromEnd ? ClipMode::FromEnd : ClipMode::StartMinute, ui);
  return ui.finished() ? kExitFinished : kExitMessage;
}

int Dispatch(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.empty()) throw UsageError{};
  const std::string& command = args[0];
  if (command == "--help" && args.size() == 1) {
    WriteText(out, kUsage);
    WriteText(out, FormatText(kHelpBody, Text(texts::kFinished)));
    return kExitFinished;
  }
  if (command == "--version" && args.size() == 1) {
    WriteText(out, "ostrevan-cli " OSTREVAN_VERSION "\n");
    return kExitFinished;
  }
  if (command == "info" && args.size() == 2) return LoadAndPrint(args[1], out, true) ? kExitFinished : kExitMessage;
  if (command == "cut") return Cut(args, out, err);
  if (command == "writeback" && args.size() >= 2) {
    PrintingUi ui(out, err);
    StopOnInterrupt stop;
    WriteBackClips(std::vector<std::string>(args.begin() + 1, args.end()), ui);
    return ui.finished() ? kExitFinished : kExitMessage;
  }
  throw UsageError{};
}

// The error's text on standard error, as the window's error box shows it.
int PrintCurrentError(std::FILE* out, std::FILE* err) {
  std::fflush(out);
  WriteText(err, ErrorText(CurrentErrorMessage()) + "\n");
  return kExitError;
}

}  // namespace

#ifdef _WIN32
void WriteText(std::FILE* to, const std::string& utf8) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(to)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    // What went through the stream before must come first.
    std::fflush(to);
    const std::wstring wide = Widen(utf8);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const std::string bytes = ToSystemCodePage(utf8);
  std::fwrite(bytes.data(), 1, bytes.size(), to);
}
#else
void WriteText(std::FILE* to, const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), to); }
#endif

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  try {
    return Dispatch(args, out, err);
  } catch (const UsageError&) {
    WriteText(err, kHint);
    return kExitUsage;
  } catch (...) {
    return PrintCurrentError(out, err);
  }
}

}  // namespace ostrevan::cli
