#pragma once
// The clip record file: CR LF lines beside a clip, naming where it came from: the clip's
// offset from the start of the source's audio data, its byte count, the source's path, and a
// fourth line with the fingerprint of the source's audio in that range as it was cut (or
// last written back). Records of three lines, without the fingerprint, are read too; readers
// that know only three lines ignore the fourth.
//
// The path is written as earlier versions wrote it, in the system code page, whenever the
// code page holds it exactly, so that they and users' scripts read it unchanged. Any other
// path is written in UTF-8 after a UTF-8 byte-order mark, which tells readers so. On POSIX
// the path is its bytes, and no mark is written.

#include <cstdint>
#include <optional>
#include <string>

namespace ostrevan {

struct ClipRecord {
  int64_t clipOffset = 0;
  int64_t clipBytes = 0;
  std::string sourcePath;
  std::string fingerprint;  // the fourth line; empty when the record has none
};

// The record's text, as shown: decimal numbers, the path unchanged, the fingerprint when
// there is one, CR LF after each line. UTF-8, as every text inside the program.
std::string ComposeRecordText(const ClipRecord& record);

// The bytes of the record file: the text with its path in the system code page when that
// holds it exactly, else a UTF-8 byte-order mark and the text.
std::string RecordFileBytes(const ClipRecord& record);

// The record files this program reads are small; a larger file is refused with
// "クリップ記録 %s が読めません（文字列の大きさが メモ の制限を越えました）".
inline constexpr int64_t kMaxRecordFileSize = 1 << 20;
inline constexpr size_t kMaxRecordLineLength = 4096;

struct RecordLines {
  std::string lines[6];  // the first six lines, each cut at 4096 bytes; missing lines are empty
  std::string text;      // the whole text up to its first NUL, every line break made CR LF
  bool emptyAfterThirdLine = true;  // no line after the third holds anything
  bool byteOrderMark = false;       // the bytes began with a UTF-8 byte-order mark
};

// Splits record text: a UTF-8 byte-order mark at its start (as text editors save it) is
// passed over; it ends at its first NUL; CR LF, a lone CR and a lone LF each end a line.
RecordLines SplitRecordText(const std::string& bytes);

// Opens the record for reading (other readers allowed, writers refused), reads it whole,
// splits it, and gives its lines and text in UTF-8: a record with the byte-order mark is
// UTF-8; any other is in the system code page, unless its path read so names no file and
// is well-formed UTF-8 (a text editor saved the record as UTF-8 without the mark). Raises
// "ファイル %s は開けません", or the size or read error in "クリップ記録 %s が読めません（%s）".
RecordLines ReadRecordLines(const std::string& recordPath);

// The record in `lines`: the numbers of lines 0 and 1, the path of line 2, and the
// fingerprint. A number that is no integer, or a negative byte count, raises
// "クリップ記録 %s が読めません（%s）" with the integer's error or "範囲チェックエラー".
// Only a record of three lines, or three followed by empty lines, has no fingerprint; any
// other fourth line must be one, or the record is refused with "クリップ記録 %s の 4 行目が読めません".
ClipRecord ParseClipRecord(const std::string& recordPath, const RecordLines& lines);

// The record at `recordPath`; none when there is no such file or it holds no record. A file
// that is there but cannot be read (an I/O error, held by another program, too large) raises:
// a write-back that took it for none would move the pair's undo aside, or leave it naming
// audio the range no longer holds.
std::optional<ClipRecord> ReadRecordIfThere(const std::string& recordPath);

// The same, with a file that cannot be read taken for none too: where that only means a
// clip is kept aside rather than replaced.
std::optional<ClipRecord> TryReadClipRecord(const std::string& recordPath);

// True when both name the same byte range of the same source.
bool SameRange(const ClipRecord& a, const ClipRecord& b);

// Writes `record` (RecordFileBytes) to `recordPath` whole and on the disk, or not at all:
// under a new name first, renamed over the old record when complete.
void WriteRecordFile(const std::string& recordPath, const ClipRecord& record);

// The path before its extension: everything before the last "." when no "\", "/" or ":"
// follows it. Byte by byte: no byte of a UTF-8 multi-byte character is ASCII.
std::string PathWithoutExtension(const std::string& path);

}  // namespace ostrevan
