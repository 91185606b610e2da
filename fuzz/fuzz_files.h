#pragma once
// What every fuzz target shares: one scratch folder per fuzzing process (in memory when
// /dev/shm exists), removed when the process ends, and whole-file writes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrevan::fuzz {

// `name` inside this process's scratch folder.
std::string ScratchFile(const std::string& name);
const std::string& ScratchFolder();

void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
void WriteBytes(const std::string& path, const std::string& bytes);

// Stops the process with a message libFuzzer reports as a crash, keeping the input.
[[noreturn]] void Fail(const char* what);
#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) ::ostrevan::fuzz::Fail("check failed: " #condition); \
  } while (0)

}  // namespace ostrevan::fuzz
