#include "processes.h"

#include <map>

#include "codepage.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ostrevan::testing {

std::string ShellQuoted(const std::string& path) { return "'" + path + "'"; }

bool ShellSucceeds(const std::string& command) {
  bool ok = false;
  RunShell(command, &ok);
  return ok;
}

std::string MissingTool(std::initializer_list<const char*> tools) {
  for (const char* tool : tools) {
    if (!HaveTool(tool)) return tool;
  }
  return "";
}

#ifdef _WIN32

std::string BuiltProgram(const std::string& name) {
  wchar_t self[4096];
  const DWORD length = GetModuleFileNameW(nullptr, self, 4096);
  const std::string path = Narrow(std::wstring(self, length));
  return path.substr(0, path.find_last_of("\\/") + 1) + name + ".exe";
}

namespace {
std::map<int, HANDLE>& Started() {
  static std::map<int, HANDLE> started;
  return started;
}

// The command line of `program` with `args`, each quoted (the tests pass no quotes).
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::string command = "\"" + program + "\"";
  for (const std::string& arg : args) command += " \"" + arg + "\"";
  return Widen(command);
}

// Starts the process; -1 when it cannot be. `startup` may name the standard handles, which
// are then inherited.
int Start(const std::string& program, const std::vector<std::string>& args, const RunOptions& options,
          STARTUPINFOW& startup) {
  std::wstring command = CommandLine(program, args);
  const std::wstring folder = Widen(options.workingDir);
  PROCESS_INFORMATION process{};
  const BOOL inherit = (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, inherit, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  Started()[static_cast<int>(process.dwProcessId)] = process.hProcess;
  return static_cast<int>(process.dwProcessId);
}

// Starts the process with these standard handles, which it inherits.
int StartWithStandardHandles(const std::string& program, const std::vector<std::string>& args,
                             const RunOptions& options, HANDLE input, HANDLE output, HANDLE error) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  return Start(program, args, options, startup);
}

// Whatever can be read from `pipe` now, without waiting.
void Drain(HANDLE pipe, std::string& into) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    std::string piece(available, '\0');
    DWORD got = 0;
    if (!::ReadFile(pipe, piece.data(), available, &got, nullptr) || got == 0) return;
    into.append(piece.data(), got);
  }
}
}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return Start(program, args, options, startup);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const RunOptions& options) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inheritable, 0)) return {};
  if (!CreatePipe(&errRead, &errWrite, &inheritable, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return {};
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  const int pid = StartWithStandardHandles(program, args, options, INVALID_HANDLE_VALUE, outWrite, errWrite);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  ProcessResult result;
  if (pid != -1) {
    // Read while it runs, so that a full pipe never holds it up.
    const HANDLE process = Started()[pid];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < deadline) {
      Drain(outRead, result.out);
      Drain(errRead, result.err);
    }
    const std::string out = std::move(result.out), err = std::move(result.err);
    result = WaitProgram(pid, 0);
    result.out = out;
    result.err = err;
    Drain(outRead, result.out);
    Drain(errRead, result.err);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

ProcessResult RunInConsole(const std::string& program, const std::vector<std::string>& args,
                           const RunOptions& options) {
  ProcessResult result;
  FreeConsole();
  if (!AllocConsole()) return result;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inheritable, OPEN_EXISTING, 0, nullptr);
  const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (console != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(console, &info)) {
    const int pid = StartWithStandardHandles(program, args, options, input, console, console);
    if (pid != -1) {
      result = WaitProgram(pid, options.seconds);
      const SHORT width = info.dwSize.X;
      for (SHORT row = 0; row < info.dwSize.Y; ++row) {
        std::wstring text(static_cast<size_t>(width), L' ');
        DWORD got = 0;
        ReadConsoleOutputCharacterW(console, text.data(), static_cast<DWORD>(width), COORD{0, row}, &got);
        text.resize(got);
        text.erase(text.find_last_not_of(L' ') + 1);
        result.out += Narrow(text) + "\n";
      }
      result.out.erase(result.out.find_last_not_of('\n') + 1);
    }
  }
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  FreeConsole();
  return result;
}

ProcessResult WaitProgram(int pid, int seconds) {
  ProcessResult result;
  const auto found = Started().find(pid);
  if (found == Started().end()) return result;
  const HANDLE process = found->second;
  Started().erase(found);
  if (WaitForSingleObject(process, static_cast<DWORD>(seconds) * 1000) != WAIT_OBJECT_0) {
    result.timedOut = true;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
  }
  DWORD code = 0;
  if (!result.timedOut && GetExitCodeProcess(process, &code)) result.status = static_cast<int>(code);
  CloseHandle(process);
  return result;
}

std::string RunShell(const std::string&, bool* ok) {
  if (ok) *ok = false;
  return {};
}

bool HaveTool(const std::string&) { return false; }

#else

std::string BuiltProgram(const std::string& name) {
  std::string self(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
  self.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return self.substr(0, self.find_last_of('/') + 1) + name;
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put <= 0) return;
    done += static_cast<size_t>(put);
  }
}

void LimitFileSize(int64_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  const auto most = static_cast<rlim_t>(bytes);
  const rlimit limit{most, most};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

namespace {

// In the child: the limits the options ask for.
void ApplyLimits(const RunOptions& options) {
  if (options.fileSizeLimit >= 0) LimitFileSize(options.fileSizeLimit);
}

// Waits for `pid`, reading `fd` (when not -1) meanwhile so a full pipe never blocks it.
ProcessResult Collect(int pid, int fd, int seconds) {
  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  for (;;) {
    if (fd >= 0) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, 10) > 0) {
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
          result.out.append(buffer, static_cast<size_t>(got));
          continue;
        }
        ::close(fd);
        fd = -1;
      }
    } else {
      ::usleep(2000);
    }
    if (::waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
  }
  if (fd >= 0) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<size_t>(got));
    ::close(fd);
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

// Where a started program's standard output and error go until it is waited for.
struct Captures {
  std::string outPath;
  std::string errPath;
};

std::map<int, Captures>& Started() {
  static std::map<int, Captures> started;
  return started;
}

}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  char outName[] = "/tmp/ostrevan-run-out-XXXXXX";
  char errName[] = "/tmp/ostrevan-run-err-XXXXXX";
  const int out = ::mkstemp(outName);
  const int err = ::mkstemp(errName);
  std::vector<std::string> copies(args);
  copies.insert(copies.begin(), program);
  std::vector<char*> argv;
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (!options.workingDir.empty() && ::chdir(options.workingDir.c_str()) != 0) ::_exit(126);
    ApplyLimits(options);
    ::execvp(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out);
  ::close(err);
  Started()[child] = {outName, errName};
  return child;
}

ProcessResult WaitProgram(int pid, int seconds) {
  const auto found = Started().find(pid);
  if (found == Started().end()) return {};
  const Captures captures = found->second;
  Started().erase(found);
  ProcessResult result = Collect(pid, -1, seconds);
  result.out = ReadText(captures.outPath);
  result.err = ReadText(captures.errPath);
  std::remove(captures.outPath.c_str());
  std::remove(captures.errPath.c_str());
  return result;
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const RunOptions& options) {
  return WaitProgram(StartProgram(program, args, options), options.seconds);
}

ProcessResult RunInChild(const std::function<int(int pipe)>& body, const RunOptions& options) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    if (!options.workingDir.empty() && ::chdir(options.workingDir.c_str()) != 0) ::_exit(126);
    ApplyLimits(options);
    int status = 1;
    try {
      status = body(fds[1]);
    } catch (...) {
      status = 99;
    }
    ::_exit(status);
  }
  ::close(fds[1]);
  return Collect(child, fds[0], options.seconds);
}

std::string RunShell(const std::string& command, bool* ok) {
  const ProcessResult result = RunProgram("/bin/sh", {"-c", command}, RunOptions().Within(600));
  if (ok) *ok = result.status == 0;
  return result.out;
}

bool HaveTool(const std::string& name) { return ShellSucceeds("command -v " + name); }

#endif

}  // namespace ostrevan::testing
