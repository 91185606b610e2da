#include "cli_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace ostrevan::testing {

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& workingDir) {
  char outName[] = "/tmp/ostrevan-cli-out-XXXXXX";
  char errName[] = "/tmp/ostrevan-cli-err-XXXXXX";
  const int outFd = mkstemp(outName);
  const int errFd = mkstemp(errName);
  CliResult result;
  const pid_t child = fork();
  if (child == 0) {
    dup2(outFd, 1);
    dup2(errFd, 2);
    if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    std::string program = OSTREVAN_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(outFd);
  close(errFd);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = Slurp(outName);
  result.err = Slurp(errName);
  std::remove(outName);
  std::remove(errName);
  return result;
}

}  // namespace ostrevan::testing
