#pragma once
// Other processes for the tests: programs built beside them, run with their arguments as
// they are (no shell), their output captured, with a time limit and, on POSIX systems, a
// file size limit; code run in a forked child; and a watchdog for "no hang".

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <future>
#include <string>
#include <vector>

namespace ostrevan::testing {

// Runs `action` on its own thread and returns its result. A thread that hangs cannot be
// stopped, so when `seconds` pass first the whole test program ends with a message.
template <typename Action>
auto WithinSeconds(int seconds, Action action) -> decltype(action()) {
  auto result = std::async(std::launch::async, std::move(action));
  if (result.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
    std::fprintf(stderr, "HANG: the action did not finish within %d seconds\n", seconds);
    std::fflush(stderr);
    std::_Exit(3);
  }
  return result.get();
}

// A program built beside the tests (on Windows, in the tests' own folder, with ".exe").
std::string BuiltProgram(const std::string& name);

struct RunOptions {
  std::string workingDir;     // "" : the tests' own
  int seconds = 60;           // then the child is killed
  int64_t fileSizeLimit = -1;  // POSIX: RLIMIT_FSIZE for the child, SIGXFSZ ignored, so a
                               // write past it comes back short as on a full disk

  RunOptions& In(const std::string& folder) {
    workingDir = folder;
    return *this;
  }
  RunOptions& Within(int limit) {
    seconds = limit;
    return *this;
  }
  RunOptions& FileSizeLimit(int64_t bytes) {
    fileSizeLimit = bytes;
    return *this;
  }
};

struct ProcessResult {
  int status = -1;  // exit status, or -1 when a signal ended the child
  int signal = 0;   // the signal that ended it
  bool timedOut = false;
  std::string out;  // standard output (RunInChild: what the child wrote to its pipe)
  std::string err;  // standard error
};

// Starts `program` with `args` without waiting (a name without a folder is looked up on
// PATH); its output goes to files that WaitProgram reads. On Windows nothing is captured and
// only the exit status comes back; the arguments reach it in UTF-16.
int StartProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options = {});
ProcessResult WaitProgram(int pid, int seconds = 60);

// Runs `program` with `args` and waits for it. On Windows the arguments reach it in UTF-16
// and its output comes through pipes (the file size limit does not apply there).
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const RunOptions& options = {});

#ifdef OSTREVAN_CLI_PATH
// The built ostrevan-cli.
inline ProcessResult RunCli(const std::vector<std::string>& args, const RunOptions& options = {}) {
  return RunProgram(OSTREVAN_CLI_PATH, args, options);
}
#endif

#ifdef _WIN32
// Runs `program` with `args` on a console made for it in this process, and gives the
// console's text as the program left it in `out` (UTF-8, each row's trailing blanks cut, rows
// joined with "\n"). Status -1, not timed out, when no console can be had.
ProcessResult RunInConsole(const std::string& program, const std::vector<std::string>& args,
                           const RunOptions& options = {});
#endif

#ifndef _WIN32

// Runs `body` in a forked child; what it writes to the given pipe descriptor comes back as
// `out`, its return value as the exit status (99 when it throws).
ProcessResult RunInChild(const std::function<int(int pipe)>& body, const RunOptions& options = {});

// From now on this process's writes past `bytes` come back short (RLIMIT_FSIZE, with
// SIGXFSZ ignored), as on a full disk.
void LimitFileSize(int64_t bytes);

// Writes all of `text` to a descriptor.
void WriteAll(int fd, const std::string& text);
#endif

// A shell command's standard output, with `ok` set to whether it succeeded; standard error
// is dropped. On Windows nothing runs and `ok` is false.
std::string RunShell(const std::string& command, bool* ok = nullptr);
bool ShellSucceeds(const std::string& command);
bool HaveTool(const std::string& name);
// The first of `tools` that is not installed, or "" when all are.
std::string MissingTool(std::initializer_list<const char*> tools);
// A path quoted for the shell.
std::string ShellQuoted(const std::string& path);

}  // namespace ostrevan::testing
