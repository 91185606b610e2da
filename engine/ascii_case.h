#pragma once
// ASCII letters without regard to case, for file name endings and hex digits. Every other
// character stays as it is, every byte of a UTF-8 multi-byte character among them.

#include <string>

namespace ostrevan {

template <typename Char>
constexpr Char LowerAscii(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

inline std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

// True when `text` ends with `lowerEnd` (written in lower case), letters in any case.
inline bool EndsWithIgnoringAsciiCase(const std::string& text, const std::string& lowerEnd) {
  return text.size() >= lowerEnd.size() && LowerAscii(text.substr(text.size() - lowerEnd.size())) == lowerEnd;
}

}  // namespace ostrevan
