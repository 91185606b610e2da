// ostrevan-cli: the engine without a window, for scripts, servers and end-to-end tests.
// It only turns arguments into engine calls and prints what the window would show.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_run.h"
#include "file_faults.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // A file size limit then shows as a short write, reported as an error, not a crash.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  ostrevan::SlowFilesFromEnvironment();
  std::vector<std::string> args(argv + 1, argv + argc);
  return ostrevan::cli::Run(args, stdout, stderr);
}
