#pragma once
// The clip record file: CR LF lines beside a clip, naming where it came from: the clip's
// offset from the start of the source's audio data, its byte count, the source's path byte
// for byte, and a fourth line with the fingerprint of the source's audio in that range as it
// was cut (or last written back). Records of three lines, without the fingerprint, are read
// too; readers that know only three lines ignore the fourth.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ostrevan {

struct ClipRecord {
  int64_t clipOffset = 0;
  int64_t clipBytes = 0;
  std::string sourcePath;
  std::string fingerprint;  // the fourth line; empty when the record has none
};

// The record's text exactly as written: decimal numbers, the path unchanged, the fingerprint
// when there is one, CR LF after each line.
std::string ComposeRecordText(const ClipRecord& record);

// The record files this program reads are small; a larger file is refused with
// "文字列の大きさが メモ の制限を越えました".
inline constexpr int64_t kMaxRecordFileSize = 1 << 20;
inline constexpr size_t kMaxRecordLineLength = 4096;

struct RecordLines {
  std::string lines[4];  // the first four lines, each cut at 4096 bytes; missing lines are empty
  std::string text;      // the whole text up to its first NUL, every line break made CR LF
  bool emptyAfterThirdLine = true;  // no line after the third holds anything
};

// Splits record text: a UTF-8 byte-order mark at its start (as text editors save it) is
// passed over; it ends at its first NUL; CR LF, a lone CR and a lone LF each end a line.
RecordLines SplitRecordText(const std::string& bytes);

// Opens the record for reading (other readers allowed, writers refused), reads it whole and
// splits it. Raises "ファイル %s は開けません" or the size error.
RecordLines ReadRecordLines(const std::string& recordPath);

// The record in `lines`: the numbers of lines 0 and 1 (raising "'%s' は整数ではありません"), the
// path of line 2, and the fingerprint. Only a record of three lines, or three followed by
// empty lines, has no fingerprint; any other fourth line must be one, or the record is
// refused with "クリップ記録 %s の 4 行目が読めません".
ClipRecord ParseClipRecord(const std::string& recordPath, const RecordLines& lines);

// The record at `recordPath`, or none when there is none or it cannot be read.
std::optional<ClipRecord> TryReadClipRecord(const std::string& recordPath);

// True when both name the same byte range of the same source.
bool SameRange(const ClipRecord& a, const ClipRecord& b);

// Writes `record` to `recordPath` whole and on the disk, or not at all: under a new name
// first, renamed over the old record when complete.
void WriteRecordFile(const std::string& recordPath, const ClipRecord& record);

// The path before its extension: everything before the last "." when no "\", "/" or ":"
// follows it. A "\" that is the trail byte of a double-byte character is no separator.
std::string PathWithoutExtension(const std::string& path,
                                 const std::function<bool(unsigned char)>& isLeadByte);
std::string PathWithoutExtension(const std::string& path);  // with the system code page

}  // namespace ostrevan
