#pragma once
// The commands that live in files of their own, for Dispatch in cli_run.cpp.

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace ostrevan::cli {

// Arguments that fit no usage line.
struct UsageError {};

// `levels WAV [--json]`: each minute's peak and RMS. The exit status.
int PrintLevels(const std::string& path, bool json, std::FILE* out, std::FILE* err);

// `info WAV --json`: what the load read, as JSON. The exit status.
int PrintInfoJson(const std::string& path, std::FILE* out, std::FILE* err);

// `status RECORD... [--json]`: each record's state, in order, nothing written. The exit status.
int PrintStatus(const std::vector<std::string>& recordPaths, bool json, std::FILE* out, std::FILE* err);

// `value` as JSON text, ending with a line break. A name that is not valid UTF-8 (Linux file
// names are bytes) gets U+FFFD for its stray bytes.
std::string JsonText(const nlohmann::ordered_json& value);

}  // namespace ostrevan::cli
