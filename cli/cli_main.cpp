// ostrevan-cli: the engine without a window, for scripts, servers and end-to-end tests.
// It only turns arguments into engine calls and prints what the window would show.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_run.h"
#include "codepage.h"
#include "file_faults.h"

namespace {

int Main(const std::vector<std::string>& args) {
#ifdef SIGXFSZ
  // A file size limit then shows as a short write, reported as an error, not a crash.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  ostrevan::SlowFilesFromEnvironment();
  return ostrevan::cli::Run(args, stdout, stderr);
}

}  // namespace

#ifdef _WIN32
// The arguments in UTF-16, so that every name Windows can hold arrives whole (linked with
// -municode); the engine takes them in UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ostrevan::Narrow(argv[i]));
  return Main(args);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
