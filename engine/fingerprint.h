#pragma once
// A fingerprint of audio bytes: the 128-bit XXH3 hash, written in a record as
// "xxh3-128:" and 32 lower-case hex digits. It lets the write-back tell whether a source's
// range still holds what was cut from it.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace ostrevan {

class Fingerprint {
 public:
  Fingerprint();
  ~Fingerprint();
  Fingerprint(const Fingerprint&) = delete;
  Fingerprint& operator=(const Fingerprint&) = delete;

  void Update(const void* bytes, size_t size);
  // The record line for the bytes given so far.
  std::string Text() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

inline constexpr const char* kFingerprintPrefix = "xxh3-128:";

// The fingerprint line in its written form (hex digits made lower case), or none when
// `line` is not a fingerprint line.
std::optional<std::string> ParseFingerprintLine(const std::string& line);

}  // namespace ostrevan
