#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ostrevan::cli {

// Exit statuses of the command line.
inline constexpr int kExitFinished = 0;  // "終わりました", info succeeded, or every minute measured
inline constexpr int kExitMessage = 1;   // ended with another information message
inline constexpr int kExitError = 2;     // an error (the error box's text on standard error)
inline constexpr int kExitUsage = 64;

// Writes a UTF-8 text to `to`. On Windows a console gets it in UTF-16 (WriteConsoleW), so it
// reads right in any console code page; a pipe or a file gets it in the system code page,
// "?" for a character the code page lacks. On POSIX the bytes go as they are.
void WriteText(std::FILE* to, const std::string& utf8);
// The same for texts that must stay UTF-8 (JSON): a pipe or a file gets the bytes as they are.
void WriteUtf8(std::FILE* to, const std::string& utf8);

// Runs one command; information texts go to `out`, one per line, errors to `err`.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace ostrevan::cli
