#include "integer_text.h"

#include <limits>
#include <optional>

#include "engine_error.h"
#include "texts.h"

namespace ostrevan {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decimal values must lie within [-(limit + 1), limit].
std::optional<int64_t> Parse(const std::string& text, uint64_t limit) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  size_t prefix = 0;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    prefix = 1;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    prefix = 2;
  }
  if (prefix > 0) {
    i += prefix;
    if (i == n) return std::nullopt;
    uint64_t value = 0;
    for (; i < n; ++i) {
      int digit = HexDigit(text[i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  }

  if (i == n) return std::nullopt;
  uint64_t magnitude = 0;
  const uint64_t most = negative ? limit + 1 : limit;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(text[i] - '0');
    if (magnitude > (most - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  if (negative) return magnitude == 0 ? 0 : -static_cast<int64_t>(magnitude - 1) - 1;
  return static_cast<int64_t>(magnitude);
}

[[noreturn]] void NotAnInteger(const std::string& text) {
  throw EngineError(FormatText(texts::kNotAnInteger, text));
}

}  // namespace

int32_t ParseIntegerText(const std::string& text) {
  auto value = Parse(text, static_cast<uint64_t>(std::numeric_limits<int32_t>::max()));
  if (!value) NotAnInteger(text);
  return static_cast<int32_t>(*value);
}

int64_t ParseInteger64Text(const std::string& text) {
  auto value = Parse(text, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
  if (!value) NotAnInteger(text);
  return *value;
}

std::string AsciiDigitsAndSigns(const std::string& text) {
  // U+FF0B "＋", U+FF0D "－" and U+FF10 to U+FF19 "０" to "９" are EF BC 8B, 8D and 90 to 99.
  std::string ascii;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto third = static_cast<unsigned char>(i + 2 < text.size() ? text[i + 2] : 0);
    if (text.compare(i, 2, "\xEF\xBC") == 0 && (third == 0x8B || third == 0x8D || (third >= 0x90 && third <= 0x99))) {
      ascii += third == 0x8B ? '+' : third == 0x8D ? '-' : static_cast<char>('0' + third - 0x90);
      i += 2;
    } else {
      ascii += text[i];
    }
  }
  return ascii;
}

std::string DecimalText(int64_t value) { return std::to_string(value); }

namespace {

std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

std::string ProgressAmountText(uint64_t done, uint64_t total) {
  const bool megabytes = total >= 10'000'000;
  const uint64_t unit = megabytes ? 1'000'000 : 1'000;
  return Grouped(done / unit) + " / " + Grouped(total / unit) + (megabytes ? " MB" : " KB");
}

}  // namespace ostrevan
