#pragma once
// What the commands show while they run: information messages on standard output, one line
// of progress on standard error when it is a terminal, and Ctrl+C turned into a stop.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine_ui.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace ostrevan::cli {

// Whether Ctrl+C was pressed while a StopOnInterrupt lived.
bool StopAsked();

// While it lives, Ctrl+C asks the engine to stop instead of ending the program.
class StopOnInterrupt {
 public:
  StopOnInterrupt();
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

 private:
#ifndef _WIN32
  struct sigaction previous_ {};
#endif
};

// Information messages as lines on standard output; remembers whether the run finished. On a
// terminal, standard error shows one line of progress while a copy runs, as dd and curl do.
class PrintingUi : public EngineUi {
 public:
  PrintingUi(std::FILE* out, std::FILE* err);
  void ShowInfo(const std::string& text) override;
  bool Progress(const std::string& path, uint64_t done, uint64_t total) override;
  bool finished() const { return finished_; }
  // Blanks the progress line, so that what is written next starts on a clean line.
  void ClearProgress();

 private:
  std::FILE* out_;
  std::FILE* err_;
  bool showProgress_;
  std::chrono::steady_clock::time_point shown_{};
  size_t width_ = 0;
  bool finished_ = false;
};

}  // namespace ostrevan::cli
