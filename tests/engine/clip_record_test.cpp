// The clip record file: its exact bytes, the reading rules for the forms users and editors
// leave behind, and the path's extension rule.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "test_files.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

using namespace std::string_literals;


struct Lines {
  std::string first, second, third;
  bool operator==(const Lines& o) const { return first == o.first && second == o.second && third == o.third; }
};

std::ostream& operator<<(std::ostream& out, const Lines& l) {
  return out << '[' << l.first << "][" << l.second << "][" << l.third << ']';
}

Lines ReadBack(const ScratchDir& dir, const std::string& bytes) {
  const std::string path = dir.File("rec.ini");
  WriteFile(path, bytes);
  const RecordLines read = ReadRecordLines(path);
  return {read.lines[0], read.lines[1], read.lines[2]};
}

TEST(ClipRecord, IsThreeCrLfLinesInPlainDecimal) {
  EXPECT_EQ(ComposeRecordText({52920000, 31752000, "C:\\rec\\talk.wav", ""}), "52920000\r\n31752000\r\nC:\\rec\\talk.wav\r\n");
  EXPECT_EQ(ComposeRecordText({-5, 0, "", ""}), "-5\r\n0\r\n\r\n");
  EXPECT_EQ(ComposeRecordText({4286520000, 8447280, " a ", ""}), "4286520000\r\n8447280\r\n a \r\n");
}

// Line breaks of every kind, and the byte-order mark a text editor puts before UTF-8.
TEST(ClipRecord, EveryFormEditorsSaveReadsTheSame) {
  ScratchDir dir;
  const Lines expected{"52920000", "31752000", "C:\\rec\\talk.wav"};
  for (const std::string& text : {"52920000\r\n31752000\r\nC:\\rec\\talk.wav\r\n"s,
                                  "\xEF\xBB\xBF" "52920000\r\n31752000\r\nC:\\rec\\talk.wav\r\n"s,
                                  "52920000\n31752000\nC:\\rec\\talk.wav\n"s,
                                  "52920000\r31752000\rC:\\rec\\talk.wav\r"s,
                                  "52920000\r\n31752000\r\nC:\\rec\\talk.wav"s,
                                  "52920000\r\n31752000\nC:\\rec\\talk.wav\rextra\r\nmore\n\n"s,
                                  "52920000\r\n31752000\r\nC:\\rec\\talk.wav\0garbage\r\n"s}) {
    EXPECT_EQ(ReadBack(dir, text), expected) << text;
  }
}

TEST(ClipRecord, BreaksNulsAndMissingLines) {
  ScratchDir dir;
  // LF CR is two breaks, CR LF one; an empty line counts.
  EXPECT_EQ(ReadBack(dir, "1\n\r2\r\n3"), (Lines{"1", "", "2"}));
  EXPECT_EQ(ReadBack(dir, "1\r\r2"), (Lines{"1", "", "2"}));
  // The text ends at its first NUL, even inside a line.
  EXPECT_EQ(ReadBack(dir, "10\r\n2\0" "0\r\n/a.wav\r\n"s), (Lines{"10", "2", ""}));
  EXPECT_EQ(ReadBack(dir, "\0" "1\r\n2\r\n"s), (Lines{"", "", ""}));
  // Lines after it do not count either: as a fourth line, "rubbish" would be refused.
  const std::string path = dir.File("ends.ini");
  WriteFile(path, "1\r\n2\r\n/a.wav\0\r\n\r\nrubbish\r\n"s);
  ClipRecord parsed;
  EXPECT_EQ(ErrorOf([&] { parsed = ParseClipRecord(path, ReadRecordLines(path)); }), "(no error)");
  EXPECT_EQ(parsed.fingerprint, "");
  // Missing lines are empty, and the path is taken without trimming.
  EXPECT_EQ(ReadBack(dir, "5"), (Lines{"5", "", ""}));
  EXPECT_EQ(ReadBack(dir, ""), (Lines{"", "", ""}));
  EXPECT_EQ(ReadBack(dir, "1\r\n2\r\n  /rec/a b.wav \t\r\n"), (Lines{"1", "2", "  /rec/a b.wav \t"}));
}

TEST(ClipRecord, LongLinesAreCutAt4096Bytes) {
  ScratchDir dir;
  const std::string path4096(4096, 'p');
  EXPECT_EQ(ReadBack(dir, "1\r\n2\r\n" + path4096 + "\r\n"), (Lines{"1", "2", path4096}));
  EXPECT_EQ(ReadBack(dir, "1\r\n2\r\n" + path4096 + "tail\r\n"), (Lines{"1", "2", path4096}));
  EXPECT_EQ(ReadBack(dir, "1\r\n2\r\n" + path4096 + "tail"), (Lines{"1", "2", path4096})) << "the last line too";
  // The cut line does not spill into the next one.
  EXPECT_EQ(ReadBack(dir, std::string(5000, '7') + "\r\n2\r\n/a"), (Lines{std::string(4096, '7'), "2", "/a"}));
}

TEST(ClipRecord, ReadingErrors) {
  ScratchDir dir;
  const std::string path = dir.File("big.ini");
  WriteFile(path, "1\r\n2\r\n/a.wav\r\n" + std::string(static_cast<size_t>(kMaxRecordFileSize), 'x'));
  EXPECT_EQ(ErrorOf([&] { ReadRecordLines(path); }),
            FormatText(texts::kRecordUnreadable, {path, Text(u8"文字列の大きさが メモ の制限を越えました")}));

  const std::string missing = dir.File("missing.ini");
  EXPECT_EQ(ErrorOf([&] { ReadRecordLines(missing); }), FormatText(u8"ファイル %s は開けません", missing));
  EXPECT_EQ(ErrorOf([&] { ReadRecordLines(dir.path()); }), FormatText(u8"ファイル %s は開けません", dir.path()));
}

TEST(ClipRecord, OtherReadersAreAllowedWritersAreNot) {
  ScratchDir dir;
  const std::string path = dir.File("r.ini");
  WriteFile(path, "1\r\n2\r\n/a.wav\r\n");
  {
    File reader;
    ASSERT_TRUE(reader.Open(path, FileMode::ReadShared));
    EXPECT_EQ(ReadRecordLines(path).lines[2], "/a.wav");
  }
  File writer;
  ASSERT_TRUE(writer.Open(path, FileMode::ReadWriteExclusive));
  EXPECT_EQ(ErrorOf([&] { ReadRecordLines(path); }), FormatText(u8"ファイル %s は開けません", path));
}

TEST(ClipRecord, TextShownIsTheRecordWithCrLfBreaks) {
  EXPECT_EQ(SplitRecordText("1\n2\r/a.wav").text, "1\r\n2\r\n/a.wav");
  EXPECT_EQ(SplitRecordText("1\r\n2\r\n/a\0x"s).text, "1\r\n2\r\n/a");
}

TEST(PathWithoutExtension, CutsOnlyAFinalExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\rec\\talk.wav", "C:\\rec\\talk"},  {"C:\\rec\\a.b.wav", "C:\\rec\\a.b"},
      {"C:\\rec.d\\talk", "C:\\rec.d\\talk"}, {"C:\\rec\\talk", "C:\\rec\\talk"},
      {"C:talk.wav", "C:talk"},               {"C:.d:talk", "C:.d:talk"},
      {"/home/u/rec.d/talk", "/home/u/rec.d/talk"}, {"/home/u/talk.wav", "/home/u/talk"},
      {"C:/rec.d/talk", "C:/rec.d/talk"},     {"talk.", "talk"},
      {".wav", ""},                           {"", ""},
      // UTF-8: no byte of a multi-byte character is a separator or a dot, and a name that
      // held a "\" trail byte in Shift-JIS ("ソ", "表") holds none.
      {u8"C:\\rec\\talk.ソ", u8"C:\\rec\\talk"}, {u8"C:\\rec\\a.＝\\talk", u8"C:\\rec\\a.＝\\talk"},
      {u8"C:\\表.d\\録音🎙", u8"C:\\表.d\\録音🎙"}, {u8"C:\\録音\\녹음.wav", u8"C:\\録音\\녹음"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(PathWithoutExtension(path), expected) << path;
}

}  // namespace
}  // namespace ostrevan::testing
