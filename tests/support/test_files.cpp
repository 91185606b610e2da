#include "test_files.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <iterator>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

#include "codepage.h"
#include "engine_error.h"
#include "little_endian.h"

namespace fs = std::filesystem;

namespace ostrevan::testing {

namespace {
std::atomic<int> counter{0};

}  // namespace

// Paths are UTF-8 as in the engine; on Windows the library then opens them by their UTF-16
// name, whatever the system code page, with the engine's own conversion, which keeps a lone
// surrogate as NTFS does.
fs::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(Widen(utf8));
#else
  return fs::u8path(utf8);
#endif
}

ScratchDir::ScratchDir(const std::string& parent) {
  std::random_device random;
  fs::path dir = (parent.empty() ? fs::temp_directory_path() : PathOf(parent)) /
                 ("ostrevan-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  path_ = dir.u8string();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(PathOf(path_), ignored);
}

std::string ScratchDir::File(const std::string& name) const {
#ifdef _WIN32
  return path_ + "\\" + name;
#else
  return path_ + "/" + name;
#endif
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  // In one read where the size is known: the crash-state tests read thousands of files.
  std::ifstream in(PathOf(path), std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0) return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  Bytes bytes(static_cast<size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return fs::exists(PathOf(path)); }

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
#ifdef _WIN32
  // In UTF-8 through the engine's own conversion, which keeps every name Windows can hold.
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(Widen(folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = Narrow(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
#else
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
#endif
  std::sort(names.begin(), names.end());
  return names;
}

Bytes ReadRange(const std::string& path, int64_t position, size_t count) {
  std::ifstream in(PathOf(path), std::ios::binary);
  in.seekg(position);
  Bytes out(count);
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
  out.resize(static_cast<size_t>(in.gcount()));
  return out;
}

void PutBytes(const std::string& path, int64_t position, const Bytes& bytes) {
  std::fstream io(PathOf(path), std::ios::binary | std::ios::in | std::ios::out);
  io.seekp(position);
  io.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  io.flush();
  if (!io) throw std::runtime_error("cannot write into " + path);
}

void ResizeFile(const std::string& path, uint64_t size) { fs::resize_file(PathOf(path), size); }

Bytes PatternBytes(uint64_t count, uint32_t variant) {
  Bytes out(static_cast<size_t>(count));
  uint32_t state = variant * 2654435761u + 12345u;
  for (auto& b : out) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(state >> 24);
  }
  return out;
}

Bytes Slice(const Bytes& bytes, uint64_t from, uint64_t count) {
  const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(from);
  return Bytes(start, start + static_cast<std::ptrdiff_t>(count));
}

Bytes With(Bytes bytes, uint64_t at, const Bytes& part) {
  std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Le16(uint16_t value) {
  Bytes out(2);
  WriteU16(out.data(), value);
  return out;
}

Bytes Le32(uint32_t value) {
  Bytes out(4);
  WriteU32(out.data(), value);
  return out;
}

Bytes Le64(uint64_t value) {
  return Joined({Le32(static_cast<uint32_t>(value)), Le32(static_cast<uint32_t>(value >> 32))});
}

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::string DifferenceOf(const Bytes& actual, const Bytes& expected) {
  if (actual == expected) return "";
  const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<size_t>(mismatch.first - actual.begin());
  std::string text = "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
                     ", first difference at " + std::to_string(at);
  if (at < actual.size() && at < expected.size()) {
    text += " (" + std::to_string(actual[at]) + " instead of " + std::to_string(expected[at]) + ")";
  }
  return text;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& error) {
    return error.message();
  }
  return "(no error)";
}

}  // namespace ostrevan::testing
