#include "reliability_support.h"

#include "engine_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#endif

namespace ostrevan::testing {


#ifdef _WIN32

std::string BuiltProgram(const std::string& name) {
  char self[4096];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + name + ".exe";
}

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

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits for `pid`, reading `fd` (when not -1) meanwhile so a full pipe never blocks it.
ChildResult Collect(int pid, int fd, int seconds) {
  ChildResult result;
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
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
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

struct Captures {
  std::string outPath;
  std::string errPath;
};

Captures MakeCaptures() {
  char outName[] = "/tmp/ostrevan-rel-out-XXXXXX";
  char errName[] = "/tmp/ostrevan-rel-err-XXXXXX";
  ::close(::mkstemp(outName));
  ::close(::mkstemp(errName));
  return {outName, errName};
}

std::vector<std::pair<int, Captures>>& Started() {
  static std::vector<std::pair<int, Captures>> started;
  return started;
}

int Spawn(const std::string& program, const std::vector<std::string>& args, const std::function<void()>& limits,
          const Captures& captures) {
  std::vector<std::string> copies(args);
  copies.insert(copies.begin(), program);
  std::vector<char*> argv;
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(captures.outPath.c_str(), O_WRONLY | O_TRUNC);
    const int err = ::open(captures.errPath.c_str(), O_WRONLY | O_TRUNC);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (limits) limits();
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return child;
}

ChildResult Finish(int pid, const Captures& captures, int seconds) {
  ChildResult result = Collect(pid, -1, seconds);
  result.out = Slurp(captures.outPath);
  result.err = Slurp(captures.errPath);
  std::remove(captures.outPath.c_str());
  std::remove(captures.errPath.c_str());
  return result;
}

}  // namespace

ChildResult RunInChild(const std::function<int(int pipe)>& body, int seconds) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    int status = 1;
    try {
      status = body(fds[1]);
    } catch (...) {
      status = 99;
    }
    ::_exit(status);
  }
  ::close(fds[1]);
  return Collect(child, fds[0], seconds);
}

ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::function<void()>& limits, int seconds) {
  const Captures captures = MakeCaptures();
  return Finish(Spawn(program, args, limits, captures), captures, seconds);
}

int StartProgram(const std::string& program, const std::vector<std::string>& args) {
  const Captures captures = MakeCaptures();
  const int pid = Spawn(program, args, {}, captures);
  Started().push_back({pid, captures});
  return pid;
}

ChildResult WaitProgram(int pid, int seconds) {
  for (auto it = Started().begin(); it != Started().end(); ++it) {
    if (it->first == pid) {
      const Captures captures = it->second;
      Started().erase(it);
      return Finish(pid, captures, seconds);
    }
  }
  return {};
}

#endif

}  // namespace ostrevan::testing
