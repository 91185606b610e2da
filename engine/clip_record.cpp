#include "clip_record.h"

#include <iterator>
#include <vector>

#include "codepage.h"
#include "engine_error.h"
#include "file.h"
#include "fingerprint.h"
#include "integer_text.h"
#include "new_file.h"
#include "texts.h"

namespace ostrevan {

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// `lines` as read from the file, in UTF-8. Without the mark the path decides: earlier versions
// wrote it in the system code page, a text editor may have saved it as UTF-8.
RecordLines InUtf8(RecordLines lines) {
  if (lines.byteOrderMark) return lines;
  const std::string& path = lines.lines[2];
  const std::string inCodePage = FromSystemCodePage(path);
  if (inCodePage != path && !FileExists(inCodePage) && IsValidUtf8(path)) return lines;
  for (std::string& line : lines.lines) line = FromSystemCodePage(line);
  lines.text = FromSystemCodePage(lines.text);
  return lines;
}

// What failed, said of the record it failed in: a list may hold any .ini file.
[[noreturn]] void RecordUnreadable(const std::string& recordPath, const std::string& reason) {
  throw EngineError(FormatText(texts::kRecordUnreadable, {recordPath, reason}));
}

}  // namespace

std::string ComposeRecordText(const ClipRecord& record) {
  std::string text =
      DecimalText(record.clipOffset) + "\r\n" + DecimalText(record.clipBytes) + "\r\n" + record.sourcePath + "\r\n";
  if (!record.fingerprint.empty()) text += record.fingerprint + "\r\n";
  return text;
}

std::string RecordFileBytes(const ClipRecord& record) {
  const std::string text = ComposeRecordText(record);
  // Only the path can be other than ASCII.
  if (const std::optional<std::string> inCodePage = ToSystemCodePageExactly(text)) return *inCodePage;
  return kByteOrderMark + text;
}

RecordLines SplitRecordText(const std::string& bytes) {
  RecordLines result;
  result.byteOrderMark = bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
  const size_t start = result.byteOrderMark ? kByteOrderMark.size() : 0;
  const std::string text = bytes.substr(start, bytes.find('\0', start) - start);
  size_t lineNumber = 0;
  std::string line;
  auto endLine = [&] {
    if (lineNumber < std::size(result.lines)) result.lines[lineNumber] = line.substr(0, kMaxRecordLineLength);
    if (lineNumber >= 3 && !line.empty()) result.emptyAfterThirdLine = false;
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
  if (lineNumber < std::size(result.lines)) result.lines[lineNumber] = line.substr(0, kMaxRecordLineLength);
  if (lineNumber >= 3 && !line.empty()) result.emptyAfterThirdLine = false;
  result.text += line;
  return result;
}

RecordLines ReadRecordLines(const std::string& recordPath) {
  File file;
  if (!file.Open(recordPath, FileMode::ReadShared)) throw EngineError(FormatText(texts::kCannotOpen, recordPath));
  const int64_t length = file.Length();
  if (length > kMaxRecordFileSize) RecordUnreadable(recordPath, Text(texts::kTextTooLarge));
  std::string bytes(static_cast<size_t>(length), '\0');
  try {
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  } catch (const EngineError& error) {
    RecordUnreadable(recordPath, error.message());
  }
  file.Close();
  return InUtf8(SplitRecordText(bytes));
}

ClipRecord ParseClipRecord(const std::string& recordPath, const RecordLines& lines) {
  ClipRecord record;
  try {
    record.clipOffset = ParseInteger64Text(lines.lines[0]);
    record.clipBytes = ParseInteger64Text(lines.lines[1]);
  } catch (const EngineError& error) {
    RecordUnreadable(recordPath, error.message());
  }
  if (record.clipBytes < 0) RecordUnreadable(recordPath, Text(texts::kRangeCheck));
  record.sourcePath = lines.lines[2];
  // A fourth line that only looks like a fingerprint ("XXH3-128:", a leading blank, another
  // hash) must not pass for a record without one: that would skip the check that the range
  // still holds what was cut.
  if (!lines.emptyAfterThirdLine) {
    const std::optional<std::string> fingerprint = ParseFingerprintLine(lines.lines[3]);
    if (!fingerprint) throw EngineError(FormatText(texts::kFingerprintUnreadable, recordPath));
    record.fingerprint = *fingerprint;
  }
  return record;
}

std::optional<ClipRecord> ReadRecordIfThere(const std::string& recordPath) {
  if (!FileExists(recordPath)) return std::nullopt;
  const RecordLines lines = ReadRecordLines(recordPath);
  try {
    return ParseClipRecord(recordPath, lines);
  } catch (const EngineError&) {
    return std::nullopt;
  }
}

std::optional<ClipRecord> TryReadClipRecord(const std::string& recordPath) {
  try {
    return ReadRecordIfThere(recordPath);
  } catch (const EngineError&) {
    return std::nullopt;
  }
}

bool SameRange(const ClipRecord& a, const ClipRecord& b) {
  return a.sourcePath == b.sourcePath && a.clipOffset == b.clipOffset && a.clipBytes == b.clipBytes;
}

void WriteRecordFile(const std::string& recordPath, const ClipRecord& record) {
  const std::string text = RecordFileBytes(record);
  NewFile file(recordPath);
  if (file.file().WriteAt(0, text.data(), text.size()) != text.size()) throw EngineError(Text(texts::kWriteError));
  file.Commit();
}

std::string PathWithoutExtension(const std::string& path) {
  const size_t last = path.find_last_of(".\\/:");
  if (last != std::string::npos && path[last] == '.') return path.substr(0, last);
  return path;
}

}  // namespace ostrevan
