#pragma once
// Runs ostrevan-cli as its own process and captures what it prints.

#include <string>
#include <vector>

namespace ostrevan::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built ostrevan-cli with `args` (passed as they are, no shell), in the folder
// `workingDir` when one is given.
CliResult RunCli(const std::vector<std::string>& args, const std::string& workingDir = "");

}  // namespace ostrevan::testing
