#pragma once
// The one conversion of text into an integer, and the plain decimal form numbers take as text.

#include <cstdint>
#include <string>

namespace ostrevan {

// Leading spaces, one optional sign, then decimal digits in the signed 32-bit range, or a
// hexadecimal number after "$", "x", "X", "0x" or "0X" taken as a 32-bit pattern (a sign
// before it has no effect). Nothing may follow. Failure raises "'%s' は整数ではありません".
int32_t ParseIntegerText(const std::string& text);

// The same grammar with the decimal range widened to signed 64 bits, for the numbers in a
// clip record file. A hexadecimal number is still a 32-bit pattern.
int64_t ParseInteger64Text(const std::string& text);

// A typed number with the full-width digits and signs of a Japanese input method ("３",
// "＋", "－") made their ASCII forms; everything else stays as it is.
std::string AsciiDigitsAndSigns(const std::string& text);

// Plain decimal: no padding, no grouping, "-" for negatives.
std::string DecimalText(int64_t value);

// How far a long copy has come, as its progress shows it: "412 / 1,382 MB" (decimal
// megabytes, grouped by thousands), or in KB when the whole is under 10 MB.
std::string ProgressAmountText(uint64_t done, uint64_t total);

}  // namespace ostrevan
