#include "codepage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace ostrevan {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes the character at `at` and moves past it. With `allowSurrogates`, a 3-byte
// sequence for a surrogate is taken as it stands; otherwise it is malformed. Malformed
// input gives no character (and moves one byte on).
std::optional<char32_t> DecodeUtf8(const std::string& text, size_t& at, bool allowSurrogates) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = Utf8CharacterLength(lead);
  if (length == 1) {
    ++at;
    if (lead < 0x80) return lead;
    return std::nullopt;
  }
  if (at + length > text.size()) {
    ++at;
    return std::nullopt;
  }
  char32_t c = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return std::nullopt;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (!allowSurrogates && IsSurrogate(c))) {
    ++at;
    return std::nullopt;
  }
  at += length;
  return c;
}

}  // namespace

size_t Utf8CharacterLength(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return 2;
  if (byte >= 0xE0 && byte <= 0xEF) return 3;
  if (byte >= 0xF0 && byte <= 0xF4) return 4;
  return 1;
}

std::u16string Utf16FromUtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const char32_t c = DecodeUtf8(text, at, true).value_or(kReplacement);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf8FromUtf16(const std::u16string& text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t at = 0; at < text.size(); ++at) {
    char32_t c = text[at];
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
      ++at;
    }
    AppendUtf8(out, c);  // a lone surrogate as its own sequence
  }
  return out;
}

bool IsValidUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    if (!DecodeUtf8(text, at, false)) return false;
  }
  return true;
}

#ifdef _WIN32
namespace {

// `utf8` in the system code page with no best fit ("é" as "e" would name another file; "?"
// names none), and whether a character had no code there. A system whose code page is
// UTF-8 holds every text as it is (and takes no such flags).
std::string InSystemCodePage(const std::string& utf8, bool& lacking) {
  lacking = false;
  if (utf8.empty() || GetACP() == CP_UTF8) return utf8;
  const std::wstring wide = Widen(utf8);
  const int wideLength = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int size =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, bytes.data(), size, nullptr,
                      &usedDefault);
  lacking = size <= 0 || usedDefault;
  return bytes;
}

}  // namespace

std::optional<std::string> ToSystemCodePageExactly(const std::string& utf8) {
  bool lacking = false;
  const std::string bytes = InSystemCodePage(utf8, lacking);
  // The bytes must also read back as the very same characters: a platform that maps a
  // character to a look-alike without reporting it is caught here.
  if (lacking || FromSystemCodePage(bytes) != utf8) return std::nullopt;
  return bytes;
}

std::string ToSystemCodePage(const std::string& utf8) {
  bool lacking = false;
  return InSystemCodePage(utf8, lacking);
}

std::string FromSystemCodePage(const std::string& text) {
  if (text.empty() || GetACP() == CP_UTF8) return text;
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
  return Narrow(wide);
}
#else
std::optional<std::string> ToSystemCodePageExactly(const std::string& utf8) { return utf8; }
std::string ToSystemCodePage(const std::string& utf8) { return utf8; }
std::string FromSystemCodePage(const std::string& text) { return text; }
#endif

}  // namespace ostrevan
