#pragma once
// What the reliability tests share: a watchdog for "no hang", the message an action
// raised, the built programs beside the tests, and (POSIX) running code or programs in a
// child process with its own limits.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
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


// A program built beside the tests (on Windows, in the tests' own folder).
std::string BuiltProgram(const std::string& name);

#ifndef _WIN32
struct ChildResult {
  int status = -1;     // exit status, or -1 when a signal ended the child
  int signal = 0;      // the signal that ended it
  bool timedOut = false;
  std::string out;     // what the child wrote to the pipe (RunInChild) or standard output
  std::string err;
};

// Runs `body` in a forked child; what it writes to the given pipe descriptor comes back as
// `out`, its return value as the exit status. Killed after `seconds`.
ChildResult RunInChild(const std::function<int(int pipe)>& body, int seconds = 60);

// Runs `program` with `args` (no shell), first applying `limits` in the child.
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::function<void()>& limits = {}, int seconds = 60);

// Starts `program` without waiting; Wait collects it.
int StartProgram(const std::string& program, const std::vector<std::string>& args);
ChildResult WaitProgram(int pid, int seconds = 60);

// Writes all of `text` to a descriptor.
void WriteAll(int fd, const std::string& text);
#endif

}  // namespace ostrevan::testing
