#pragma once
// Files and bytes the tests work with: a scratch folder per test, whole-file and ranged reads
// and writes, small byte helpers, and the message of an engine error.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <filesystem>
#include <string>
#include <vector>

#include "engine_ui.h"

namespace ostrevan::testing {

// A UTF-8 path as the library names files (on Windows, in 16-bit characters).
std::filesystem::path PathOf(const std::string& utf8);

using Bytes = std::vector<unsigned char>;

// A fresh, empty folder for one test, removed when the object goes; in the system's
// temporary folder, or in `parent` when one is given.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& parent = "");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // `name` inside the folder, with the platform's separator. Paths here are UTF-8, as in the
  // engine.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
void WriteFile(const std::string& path, const std::string& bytes);
Bytes ReadFile(const std::string& path);
// The whole file as a byte string ("" when it cannot be read).
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

// `count` bytes of a file from `position` (fewer at its end).
Bytes ReadRange(const std::string& path, int64_t position, size_t count);
// Writes `bytes` at `position`, growing the file (sparsely) when it lies beyond the end.
void PutBytes(const std::string& path, int64_t position, const Bytes& bytes);
// Makes `path` `size` bytes long without writing the new bytes (sparse on ext4 and NTFS).
void ResizeFile(const std::string& path, uint64_t size);

// Bytes where every position holds a value derived from its index (not periodic in short
// strides), so that a shifted copy never compares equal.
Bytes PatternBytes(uint64_t count, uint32_t variant = 1);

// `count` bytes of `bytes` from `from`.
Bytes Slice(const Bytes& bytes, uint64_t from, uint64_t count);
// `bytes` with `part` written over it at `at`.
Bytes With(Bytes bytes, uint64_t at, const Bytes& part);
std::string AsText(const Bytes& bytes);
Bytes TextBytes(const std::string& text);
// Little-endian bytes of a number, for building headers by hand.
Bytes Le16(uint16_t value);
Bytes Le32(uint32_t value);
Bytes Le64(uint64_t value);
Bytes Joined(std::initializer_list<Bytes> parts);

// "" when the two byte strings are equal, else their sizes and the first position where
// they differ (a readable failure for files of megabytes).
std::string DifferenceOf(const Bytes& actual, const Bytes& expected);

// The message of the EngineError that `action` raises, or "(no error)".
std::string ErrorOf(const std::function<void()>& action);

// Records every information message and the last record text.
class RecordingUi : public ostrevan::EngineUi {
 public:
  void ShowInfo(const std::string& text) override { infos.push_back(text); }
  void ShowRecordText(const std::string& text) override { recordText = text; }
  std::vector<std::string> infos;
  std::string recordText;
};

}  // namespace ostrevan::testing
