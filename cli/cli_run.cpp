#include "cli_run.h"

#include <algorithm>
#include <optional>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

#include "codepage.h"
#include "commands.h"
#include "console_ui.h"
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
    "usage: ostrevan-cli info WAV [--json]\n"
    "       ostrevan-cli levels WAV [--json]\n"
    "       ostrevan-cli cut WAV --length TEXT (--start TEXT | --from-end)\n"
    "       ostrevan-cli writeback RECORD...\n"
    "       ostrevan-cli status RECORD... [--json]\n"
    "       ostrevan-cli --help | --version\n";

// What --help prints after the usage lines; "%s" stands for the finished message.
constexpr const char* kHelpBody =
    "\n"
    "commands:\n"
    "  info       print WAV's play time and attributes as the window shows them\n"
    "  levels     print each minute of WAV: its number, peak and RMS in dBFS\n"
    "  cut        cut whole minutes of WAV into a clip and a record (.ini) beside it\n"
    "  writeback  write each RECORD's clip back into its source, in the order given\n"
    "  status     print what writeback would do with each RECORD, writing nothing:\n"
    "             same, ready, interrupted, changed, missing or invalid, a space\n"
    "             and the RECORD as given, one line each\n"
    "  --help     print this help\n"
    "  --version  print the version\n"
    "\n"
    "option of info, levels and status:\n"
    "  --json     print JSON in UTF-8 instead: info the format, the chunks and the\n"
    "             play time; levels each minute's length, peak and RMS (null for\n"
    "             digital silence); status each record's state, undo, source,\n"
    "             offset, bytes and message\n"
    "\n"
    "options of cut:\n"
    "  --length TEXT  the clip's length in whole minutes, 1 or more; the names hold\n"
    "                 it as typed, full-width digits and signs made ASCII\n"
    "  --start TEXT   the start minute, 0 to the file's whole minutes - 1, in\n"
    "                 digits (full-width ones too)\n"
    "  --from-end     the clip ends at the end of the audio\n"
    "\n"
    "The clip and record of rec.wav, --start 5 --length 3: rec-5-3.wav, rec-5-3.ini;\n"
    "with --from-end: rec-L-3.wav, rec-L-3.ini.\n"
    "\n"
    "Messages go to standard output, one per line; errors to standard error.\n"
    "levels and --json print only their results there, and any message to\n"
    "standard error. When standard error is a terminal, it shows the progress of\n"
    "a cut, a write-back, a level scan or a status on one line. Ctrl+C stops each\n"
    "safely: a stopped cut leaves no clip, a stopped write-back puts the source\n"
    "back as it was, a stopped scan or status has printed the minutes or records\n"
    "done before it.\n"
    "Writing back RECORD.undo.ini undoes RECORD's write-backs. A list naming a\n"
    "record twice, or a record with its undo record, is refused; nothing is written.\n"
    "\n"
    "exit status:\n"
    "  0   ended with \"%s\", or info read a file of one minute or\n"
    "      more, or levels measured every minute (a file under one minute too),\n"
    "      or status reported every record, whatever its state\n"
    "  1   ended with another message: a file under one minute, a missing\n"
    "      source, a refused cut, a stop\n"
    "  2   an error (its text on standard error; levels prints the minutes\n"
    "      measured before it)\n"
    "  64  a usage error\n";

constexpr const char* kHint =
    "usage: ostrevan-cli info WAV [--json] | levels WAV [--json] | cut WAV --length TEXT "
    "(--start TEXT | --from-end) | writeback RECORD... | status RECORD... [--json] | --help | --version\n";

// Loads into `wave` as the window does and prints the short-file message if any; `withLabels`
// prints the play-time and attributes texts first. False for a file under one minute.
bool LoadAndPrint(const std::string& path, LoadedWave& wave, std::FILE* out, bool withLabels) {
  const LoadOutcome outcome = LoadWave(path, wave);
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
  // Full-width digits typed with a Japanese input method are read as SaveClip reads them.
  const std::optional<std::string> startText =
      start ? CanonicalMinuteText(AsciiDigitsAndSigns(*start)) : std::string("0");
  if (!startText) throw UsageError{};

  LoadedWave wave;
  if (!LoadAndPrint(wav, wave, out, false)) return kExitMessage;
  // The start minutes the window's scroll bar could reach: 0 to whole minutes - 1.
  if (start && std::stoll(*startText) >= wave.playTime.wholeMinutes) throw UsageError{};

  PrintingUi ui(out, err);
  StopOnInterrupt stop;
  SaveClip(wave, *length, *startText, wav,
           fromEnd ? ClipMode::FromEnd : ClipMode::StartMinute, ui);
  return ui.finished() ? kExitFinished : kExitMessage;
}

int Status(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::vector<std::string> records;
  bool json = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json" && !json) {
      json = true;
    } else if (args[i].rfind("--", 0) == 0) {
      throw UsageError{};
    } else {
      records.push_back(args[i]);
    }
  }
  if (records.empty()) throw UsageError{};
  return PrintStatus(records, json, out, err);
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
  if (command == "info" && args.size() == 2) {
    LoadedWave wave;
    return LoadAndPrint(args[1], wave, out, true) ? kExitFinished : kExitMessage;
  }
  if (command == "info" && args.size() == 3 && args[2] == "--json") return PrintInfoJson(args[1], out, err);
  if (command == "levels" && (args.size() == 2 || (args.size() == 3 && args[2] == "--json"))) {
    return PrintLevels(args[1], args.size() == 3, out, err);
  }
  if (command == "cut") return Cut(args, out, err);
  if (command == "status") return Status(args, out, err);
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
namespace {

// Writes `utf8` in UTF-16 when `to` is a console, so that it reads right in any console code
// page; false, writing nothing, for anything else.
bool WroteToConsole(std::FILE* to, const std::string& utf8) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(to)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
  // What went through the stream before must come first.
  std::fflush(to);
  const std::wstring wide = Widen(utf8);
  DWORD written = 0;
  WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  return true;
}

}  // namespace

void WriteText(std::FILE* to, const std::string& utf8) {
  if (WroteToConsole(to, utf8)) return;
  const std::string bytes = ToSystemCodePage(utf8);
  std::fwrite(bytes.data(), 1, bytes.size(), to);
}

void WriteUtf8(std::FILE* to, const std::string& utf8) {
  if (!WroteToConsole(to, utf8)) std::fwrite(utf8.data(), 1, utf8.size(), to);
}
#else
void WriteText(std::FILE* to, const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), to); }
void WriteUtf8(std::FILE* to, const std::string& utf8) { WriteText(to, utf8); }
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
