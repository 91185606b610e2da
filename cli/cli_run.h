#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ostrevan::cli {

// Exit statuses of the command line.
inline constexpr int kExitFinished = 0;  // "終わりました", or info succeeded
inline constexpr int kExitMessage = 1;   // ended with another information message
inline constexpr int kExitError = 2;     // an error (the error box's text on standard error)
inline constexpr int kExitUsage = 64;

// Runs one command; information texts go to `out`, one per line, errors to `err`.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace ostrevan::cli
