#include "clip_record.h"

#include <vector>

#include "codepage.h"
#include "engine_error.h"
#include "file.h"
#include "integer_text.h"
#include "texts.h"

namespace ostrevan {

std::string ComposeRecordText(const ClipRecord& record) {
  std::string text =
      DecimalText(record.clipOffset) + "\r\n" + DecimalText(record.clipBytes) + "\r\n" + record.sourcePath + "\r\n";
  if (!record.fingerprint.empty()) text += record.fingerprint + "\r\n";
  return text;
}

RecordLines SplitRecordText(const std::string& bytes) {
  static const std::string kByteOrderMark = "\xEF\xBB\xBF";
  const size_t start = bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
  const std::string text = bytes.substr(start, bytes.find('\0', start) - start);
  RecordLines result;
  size_t lineNumber = 0;
  std::string line;
  auto endLine = [&] {
    if (lineNumber < 4) result.lines[lineNumber] = line.substr(0, kMaxRecordLineLength);
    result.text += line;
    result.text += "\r\n";
    ++lineNumber;
    line.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endLine();
    } else {
      line += c;
    }
  }
  if (lineNumber < 4) result.lines[lineNumber] = line.substr(0, kMaxRecordLineLength);
  result.text += line;
  return result;
}

RecordLines ReadRecordLines(const std::string& recordPath) {
  File file;
  if (!file.Open(recordPath, FileMode::ReadShared)) throw EngineError(FormatText(texts::kCannotOpen, recordPath));
  const int64_t length = file.Length();
  if (length > kMaxRecordFileSize) throw EngineError(Text(texts::kTextTooLarge));
  std::string bytes(static_cast<size_t>(length), '\0');
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  file.Close();
  return SplitRecordText(bytes);
}

std::string PathWithoutExtension(const std::string& path, const std::function<bool(unsigned char)>& isLeadByte) {
  // Walk forward so that lead bytes are known; the last separator or dot wins.
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (isLeadByte(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte goes with its lead byte
      continue;
    }
    if (byte == '.' || byte == '\\' || byte == '/' || byte == ':') last = i;
  }
  if (last != std::string::npos && path[last] == '.') return path.substr(0, last);
  return path;
}

std::string PathWithoutExtension(const std::string& path) { return PathWithoutExtension(path, IsSystemLeadByte); }

}  // namespace ostrevan
