#include "fuzz_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ostrevan::fuzz {

namespace {

std::string MakeFolder() {
  const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : nullptr;
  std::string pattern = std::string(base ? base : std::filesystem::temp_directory_path().c_str()) +
                        "/ostrevan-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
  return pattern;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(ScratchFolder(), ignored);
}

}  // namespace

const std::string& ScratchFolder() {
  // Never destroyed, so the removal at exit can still read it.
  static const std::string* const folder = [] {
    auto* made = new std::string(MakeFolder());
    std::atexit(RemoveFolder);
    return made;
  }();
  return *folder;
}

std::string ScratchFile(const std::string& name) { return ScratchFolder() + "/" + name; }

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) Fail("cannot write a scratch file");
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void Fail(const char* what) {
  std::fprintf(stderr, "ostrevan fuzz: %s\n", what);
  std::abort();
}

}  // namespace ostrevan::fuzz
