#pragma once
// Walking a UTF-8 text a character at a time. No byte of a multi-byte character is ASCII,
// so a "\" or "." byte is always that character.

#include <algorithm>
#include <cstddef>
#include <string>

#include "codepage.h"

namespace ostrevan::rules {

// Bytes in the character that starts at `at`, never past the end of `text`.
inline size_t CharacterLength(const std::string& text, size_t at) {
  return std::min(Utf8CharacterLength(static_cast<unsigned char>(text[at])), text.size() - at);
}

}  // namespace ostrevan::rules
