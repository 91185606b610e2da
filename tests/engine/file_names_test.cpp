// Sources with names beyond the system code page, and records in every form a user may have:
// the cut names the clip and record after the source, a write-back changes exactly the
// clip's range, the undo puts every byte back, and the renewed record is readable by what
// read the old one. Under Wine the Windows tests run with code page 932.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clip_record.h"
#include "codepage.h"
#include "pair_files.h"
#include "source_with_clip.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

const std::string kMark = "\xEF\xBB\xBF";
constexpr size_t kDataStart = 44;

// A ten-minute source, and the clip of its minutes 5 to 7 cut by the engine.
struct Cut {
  ScratchDir dir;
  std::string source;
  Bytes original;
  std::string record;

  explicit Cut(const std::string& stem) : source(dir.File(stem + ".wav")) {
    original = MakeWave(TestFormat(), PatternBytes(10 * kMinute));
    WriteFile(source, original);
    record = CutClip(source, "3", "5");
  }
  // Writes edited audio into the clip and the clip back; the source must then hold it.
  void WriteBackEdited(const std::string& recordPath, uint32_t pattern) {
    const Bytes edited = PatternBytes(3 * kMinute, pattern);
    WriteFile(ClipOf(recordPath), MakeWave(TestFormat(), edited));
    RecordingUi ui;
    ASSERT_EQ(ErrorOf([&] { WriteBackClips({recordPath}, ui); }), "(no error)");
    ASSERT_EQ(ui.infos, std::vector<std::string>{u8"終わりました"});
    EXPECT_NE(ui.recordText.find(source), std::string::npos) << "the record is shown in UTF-8";
    EXPECT_EQ(DifferenceOf(ReadFile(source), With(original, kDataStart + 5 * kMinute, edited)), "");
  }
};

// The record file as this version writes it for `text`: the system code page when it holds
// the path, else UTF-8 after the mark; bytes as they are on POSIX.
std::string RecordBytesFor(const std::string& text, bool codePageHoldsIt) {
#ifdef _WIN32
  return codePageHoldsIt ? ToSystemCodePage(text) : kMark + text;
#else
  (void)codePageHoldsIt;
  return text;
#endif
}

TEST(FileNames, CutWriteBackAndUndoKeepEveryByte) {
#ifdef _WIN32
  ASSERT_EQ(ToSystemCodePageExactly(u8"録音"), std::optional<std::string>("\x98\x5E\x89\xB9"))
      << "the tests expect code page 932";
#endif
  const struct {
    const char* stem;
    bool codePageHoldsIt;
  } cases[] = {{u8"café", false}, {u8"録音🎙", false}, {u8"녹음", false}, {u8"録音", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stem);
    Cut cut(c.stem);
    const std::string stem = c.stem;
    EXPECT_EQ(cut.record, cut.dir.File(stem + "-5-3.ini"));
    const std::string text = AsText(ReadFile(cut.record));
    const RecordLines lines = ReadRecordLines(cut.record);
    EXPECT_EQ(lines.lines[2], cut.source);
    EXPECT_EQ(text, RecordBytesFor(lines.text, c.codePageHoldsIt));
    EXPECT_EQ(DifferenceOf(ReadRange(ClipOf(cut.record), kDataStart, 3 * kMinute),
                           Slice(cut.original, kDataStart + 5 * kMinute, 3 * kMinute)),
              "");

    cut.WriteBackEdited(cut.record, 41);
    EXPECT_EQ(NamesIn(cut.dir.path()),
              (std::vector<std::string>{stem + "-5-3.ini", stem + "-5-3.undo.ini", stem + "-5-3.undo.wav",
                                        stem + "-5-3.wav", stem + ".wav"}));
    // A second write-back goes through a journal under the pair's name, and so does the undo.
    cut.WriteBackEdited(cut.record, 42);
    RecordingUi ui;
    ASSERT_EQ(ErrorOf([&] { WriteBackClips({UndoRecordPathOf(cut.record)}, ui); }), "(no error)");
    EXPECT_EQ(DifferenceOf(ReadFile(cut.source), cut.original), "");
    EXPECT_EQ(NamesIn(cut.dir.path()).size(), 5u) << "no journal or new file is left";
  }
}

// A record in each form that exists: written by an earlier version in the system code page,
// by this one in UTF-8 with the mark, and saved by a text editor as UTF-8 without it. Each
// writes back, and its renewed record follows the rules again.
TEST(FileNames, EveryFormOfRecordWritesBack) {
  enum class Form { CodePage, MarkedUtf8, EditorUtf8 };
  const struct {
    const char* stem;
    Form form;
    bool codePageHoldsIt;
  } cases[] = {
      {u8"録音", Form::CodePage, true},      {u8"café", Form::MarkedUtf8, false},
      {u8"녹음", Form::MarkedUtf8, false},   {u8"録音🎙", Form::MarkedUtf8, false},
      {u8"録音", Form::EditorUtf8, true},    {u8"café", Form::EditorUtf8, false},
      {u8"表ソ", Form::EditorUtf8, true},  // Shift-JIS trail bytes 0x5C ("\")
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stem) + " form " + std::to_string(static_cast<int>(c.form)));
    Cut cut(c.stem);
    const RecordLines asCut = ReadRecordLines(cut.record);
    const std::string& text = asCut.text;
    std::string bytes = text;
    if (c.form == Form::CodePage) bytes = ToSystemCodePage(text);
    if (c.form == Form::MarkedUtf8) bytes = kMark + text;
    WriteFile(cut.record, bytes);
    EXPECT_EQ(ReadRecordLines(cut.record).lines[2], cut.source);

    cut.WriteBackEdited(cut.record, 43);
    const RecordLines renewed = ReadRecordLines(cut.record);
    EXPECT_EQ(renewed.lines[2], cut.source);
    EXPECT_NE(renewed.lines[3], asCut.lines[3]) << "renewed";
    EXPECT_EQ(AsText(ReadFile(cut.record)), RecordBytesFor(renewed.text, c.codePageHoldsIt));
    EXPECT_EQ(AsText(ReadFile(UndoRecordPathOf(cut.record))),
              RecordBytesFor(ReadRecordLines(UndoRecordPathOf(cut.record)).text, c.codePageHoldsIt));
  }
}

}  // namespace
}  // namespace ostrevan::testing
