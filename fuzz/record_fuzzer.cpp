// The clip record reader and the integer conversion on arbitrary record bytes. The lines
// and the text are compared with a second, differently written reading of the same bytes,
// and each number line with a reference of the integer grammar; the file reader must give
// what the text splitter gives.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "fuzz_files.h"
#include "integer_text.h"
#include "texts.h"

using namespace ostrevan;

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  std::string out;
  size_t start = 0;
  for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
    out += text.substr(start, at - start) + to;
  }
  return out + text.substr(start);
}

// Lines and text as the record rules define them: a UTF-8 byte-order mark at the start is
// passed over, the text ends at its first NUL, and CR LF, CR and LF each end a line.
RecordLines ReferenceSplit(const std::string& bytes) {
  const std::string body = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
  std::string text = body.substr(0, body.find('\0'));
  text = ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n");
  RecordLines result;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  for (size_t i = 0; i < 4 && i < lines.size(); ++i) result.lines[i] = lines[i].substr(0, kMaxRecordLineLength);
  result.text = ReplaceAll(text, "\n", "\r\n");
  return result;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Leading spaces, a sign, then decimal in [lowest, highest], or a 32-bit hexadecimal pattern
// after "$", "x", "X", "0x" or "0X" (the sign then has no effect). Nothing may follow.
std::optional<int64_t> ReferenceParse(const std::string& text, __int128 lowest, __int128 highest) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::string rest = text.substr(i);
  std::string hex;
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = rest.substr(2);
  } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    hex = rest.substr(1);
  } else {
    if (rest.empty() || rest.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    __int128 value = 0;
    for (char c : rest) {
      value = value * 10 + (c - '0');
      if (value > highest + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < lowest || value > highest) return std::nullopt;
    return static_cast<int64_t>(value);
  }
  if (hex.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : hex) {
    if (!IsHex(c)) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(std::stoi(std::string(1, c), nullptr, 16));
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

template <typename Parse>
std::optional<int64_t> Engine(Parse parse, const std::string& text) {
  try {
    return parse(text);
  } catch (const EngineError& error) {
    FUZZ_CHECK(error.message() == FormatText(texts::kNotAnInteger, text));
    return std::nullopt;
  }
}

void CheckNumber(const std::string& line) {
  const auto wide = Engine([](const std::string& t) { return ParseInteger64Text(t); }, line);
  FUZZ_CHECK(wide == ReferenceParse(line, INT64_MIN, INT64_MAX));
  const auto narrow = Engine([](const std::string& t) { return int64_t{ParseIntegerText(t)}; }, line);
  FUZZ_CHECK(narrow == ReferenceParse(line, INT32_MIN, INT32_MAX));
  if (wide) FUZZ_CHECK(ParseInteger64Text(DecimalText(*wide)) == *wide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const RecordLines lines = SplitRecordText(bytes);
  const RecordLines expected = ReferenceSplit(bytes);
  for (int i = 0; i < 3; ++i) FUZZ_CHECK(lines.lines[i] == expected.lines[i]);
  FUZZ_CHECK(lines.text == expected.text);

  static const std::string path = fuzz::ScratchFile("input.ini");
  fuzz::WriteBytes(path, data, size);
  const RecordLines read = ReadRecordLines(path);
  for (int i = 0; i < 3; ++i) FUZZ_CHECK(read.lines[i] == lines.lines[i]);
  FUZZ_CHECK(read.text == lines.text);

  CheckNumber(lines.lines[0]);
  CheckNumber(lines.lines[1]);
  return 0;
}
