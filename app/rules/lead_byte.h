#pragma once
// Whether a byte opens a double-byte character; passed in so that the rules can be checked
// with the Shift-JIS table on any machine.

#include <cstddef>
#include <functional>
#include <string>

namespace ostrevan::rules {

using LeadBytePredicate = std::function<bool(unsigned char)>;

// Bytes in the character that starts at `at`: 2 for a lead byte with a byte after it, else 1.
inline size_t CharacterLength(const std::string& text, size_t at, const LeadBytePredicate& isLeadByte) {
  return at + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
}

}  // namespace ostrevan::rules
