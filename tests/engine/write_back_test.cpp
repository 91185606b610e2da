// Writing edited clips back: exactly the recorded range of the source changes, and clips,
// lists and sources that could harm it are refused before it is written. (Records that
// cannot be trusted: untrusted_records_test.cpp.)

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "load_wave.h"
#include "pair_files.h"
#include "processes.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

constexpr size_t kDataStart = 44;  // of every source below unless a chunk is inserted

// One ten-minute source with a LIST chunk after its audio, clips cut from it by SaveClip.
class WriteBack : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string source = dir.File("talk.wav");
  Bytes audio = PatternBytes(10 * kMinute);
  Bytes original;
  RecordingUi ui;

  void SetUp() override { original = MakeSource(source, TestFormat(), audio); }

  static Bytes MakeSource(const std::string& path, WaveShape format, const Bytes& audioBytes) {
    format.trailer = Chunk("LIST", Bytes(30, 'm'));
    Bytes file = MakeWave(format, audioBytes);
    WriteFile(path, file);
    return file;
  }

  // Replaces the clip of `recordPath` by a clip file holding `clipAudio` laid out as `format`.
  static void Edit(const std::string& recordPath, const Bytes& clipAudio, const WaveShape& format = TestFormat()) {
    WriteFile(ClipOf(recordPath), MakeWave(format, clipAudio));
  }

  std::string Run(const std::vector<std::string>& records) {
    return ErrorOf([&] { WriteBackClips(records, ui); });
  }

  std::vector<std::string> Finished() const { return {Text(u8"終わりました")}; }
};

TEST_F(WriteBack, EmptyListFinishesAtOnce) {
  EXPECT_EQ(Run({}), "(no error)");
  EXPECT_EQ(ui.infos, Finished());
}

TEST_F(WriteBack, UnchangedClipLeavesTheSourceAsItWas) {
  const std::string record = CutClip(source, "2", "3");
  EXPECT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ui.infos, Finished());
  EXPECT_EQ(ReadFile(source), original);
  EXPECT_EQ(ui.recordText.substr(0, ui.recordText.rfind("xxh3-128:")),
            std::to_string(3 * kMinute) + "\r\n" + std::to_string(2 * kMinute) + "\r\n" + source + "\r\n");
}

TEST_F(WriteBack, EditedClipChangesExactlyItsRange) {
  const std::string record = CutClip(source, "2", "3");
  const Bytes edited = PatternBytes(2 * kMinute, 99);
  Edit(record, edited);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, kDataStart + 3 * kMinute, edited));
  EXPECT_EQ(ui.infos, Finished());
}

TEST_F(WriteBack, RecordLineBreakFormsAllWork) {
  const std::string record = CutClip(source, "1", "1");
  uint32_t pattern = 20;
  for (const std::string& text : {std::to_string(kMinute) + "\n" + std::to_string(kMinute) + "\n" + source + "\n",
                                  std::to_string(kMinute) + "\r" + std::to_string(kMinute) + "\r" + source + "\r",
                                  std::to_string(kMinute) + "\r\n" + std::to_string(kMinute) + "\r\n" + source,
                                  std::to_string(kMinute) + "\r\n" + std::to_string(kMinute) + "\r\n" + source +
                                      "\r\n\r\n\r\n"}) {
    WriteFile(record, text);
    const Bytes edited = PatternBytes(kMinute, pattern++);
    Edit(record, edited);
    ui.infos.clear();
    ASSERT_EQ(Run({record}), "(no error)") << text;
    EXPECT_EQ(ReadFile(source), With(original, kDataStart + kMinute, edited)) << text;
    EXPECT_EQ(ui.infos, Finished());
  }
}

TEST_F(WriteBack, MovedSourceEndsTheRunThere) {
  std::vector<std::string> sources, records;
  std::vector<Bytes> originals, edits;
  for (int i = 0; i < 3; ++i) {
    sources.push_back(dir.File("s" + std::to_string(i) + ".wav"));
    originals.push_back(MakeSource(sources.back(), TestFormat(), PatternBytes(3 * kMinute, 40 + i)));
    records.push_back(CutClip(sources.back(), "1", "1"));
    edits.push_back(PatternBytes(kMinute, 50 + i));
    Edit(records.back(), edits.back());
  }
  fs::rename(sources[1], dir.File("moved.wav"));
  EXPECT_EQ(Run(records), "(no error)");
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"取り出し元ファイルがありません") + sources[1]});
  EXPECT_EQ(ReadFile(sources[0]), With(originals[0], kDataStart + kMinute, edits[0]));
  EXPECT_EQ(ReadFile(dir.File("moved.wav")), originals[1]);
  EXPECT_EQ(ReadFile(sources[2]), originals[2]);
}

// A clip an editor made shorter or longer would move audio in time: refused with both
// lengths, the source untouched. A range that runs past the audio's end (records of earlier
// versions) comes back with the part past the end or without it.
TEST_F(WriteBack, ClipsOfAnotherLengthAreRefusedWithBothLengths) {
  const struct {
    const char* what;
    int64_t offset, bytes;  // the record's range
    uint64_t clipBytes;
    const char* clipLength;  // with the range's length: the refusal's, none for a write-back
    const char* rangeLength;
  } rows[] = {
      {"the same length", 2 * kMinute, 2 * kMinute, 2 * kMinute, nullptr, nullptr},
      {"a frame shorter", 2 * kMinute, 2 * kMinute, 2 * kMinute - 4, u8"1分59.99秒", u8"2分0秒"},
      {"half as long", 2 * kMinute, 2 * kMinute, kMinute, u8"1分0秒", u8"2分0秒"},
      {"a frame longer", 2 * kMinute, 2 * kMinute, 2 * kMinute + 4, u8"2分0.01秒", u8"2分0秒"},
      {"past the end, with the part past it", 9 * kMinute, 2 * kMinute, 2 * kMinute, nullptr, nullptr},
      {"past the end, without it", 9 * kMinute, 2 * kMinute, kMinute, nullptr, nullptr},
      {"past the end, shorter than its part inside", 9 * kMinute, 2 * kMinute, kMinute - 4, u8"0分59.99秒",
       u8"1分0秒"},
      {"past the end, longer than its record", 9 * kMinute, 2 * kMinute, 2 * kMinute + 4, u8"2分0.01秒", u8"2分0秒"},
  };
  const std::string record = dir.File("talk-edit.ini");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(source, original);
    WriteFile(record, ComposeRecordText({row.offset, row.bytes, source, ""}));
    const Bytes clip = PatternBytes(row.clipBytes, 61);
    Edit(record, clip);
    if (row.clipLength) {
      EXPECT_EQ(Run({record}), FormatText(texts::kClipLengthDiffers, {ClipOf(record), row.clipLength, row.rangeLength}));
      EXPECT_EQ(ReadFile(source), original);
    } else {
      ASSERT_EQ(Run({record}), "(no error)");
      const uint64_t inside = std::min<uint64_t>(row.bytes, 10 * kMinute - row.offset);
      EXPECT_EQ(ReadFile(source), With(original, kDataStart + row.offset, Slice(clip, 0, inside)));
    }
  }

  // Cut short with a stale header (a copy that broke off): refused as broken, not as edited.
  Bytes broken = MakeWave(TestFormat(), PatternBytes(2 * kMinute, 62));
  broken.resize(44 + 1000);
  WriteFile(ClipOf(record), broken);
  WriteFile(source, original);
  EXPECT_EQ(Run({record}), Text(u8"ファイル ") + ClipOf(record) + Text(u8" は途中で切れています（data チャンクの大きさに足りません）"));
  EXPECT_EQ(ReadFile(source), original);
}

TEST_F(WriteBack, FollowsTheDataTagWhereItIsNow) {
  const std::string record = CutClip(source, "1", "4");
  WaveShape movedFormat = TestFormat();
  movedFormat.chunksBeforeData = Chunk("JUNK", Bytes(10, 'j'));
  const Bytes movedOriginal = MakeSource(source, movedFormat, audio);
  const Bytes edited = PatternBytes(kMinute, 70);
  Edit(record, edited);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(movedOriginal, kDataStart + 18 + 4 * kMinute, edited));
}

TEST_F(WriteBack, RenamedRecordLooksForTheClipUnderItsNewName) {
  const std::string record = CutClip(source, "1", "1");
  const std::string renamed = dir.File("renamed.ini");
  fs::rename(record, renamed);
  EXPECT_EQ(Run({renamed}), FormatText(u8"ファイル %s は開けません", dir.File("renamed.wav")));
  EXPECT_TRUE(ui.infos.empty());
  EXPECT_EQ(ReadFile(source), original);
}

// Editors rewrite headers: the clip's audio is found by its own data chunk.
TEST_F(WriteBack, ClipAudioIsFoundByItsOwnDataChunk) {
  const std::string record = CutClip(source, "1", "5");
  struct Layout {
    const char* what;
    uint32_t fmtSize;
    uint16_t formatTag;
    Bytes before;
    Bytes after;
  };
  const Layout layouts[] = {
      {"LIST before the data", 16, 1, Chunk("LIST", Bytes(26, 'i')), {}},
      {"18-byte fmt", 18, 1, {}, {}},
      {"extensible 40-byte fmt, integer PCM", 40, 0xFFFE, Chunk("fact", Bytes(4, 2)), {}},
      {"LIST after the data", 16, 1, {}, Chunk("LIST", Bytes(40, 't'))},
  };
  uint32_t pattern = 80;
  for (const Layout& layout : layouts) {
    WaveShape format = TestFormat();
    format.fmtSize = layout.fmtSize;
    format.formatTag = layout.formatTag;
    format.chunksBeforeData = layout.before;
    format.trailer = layout.after;
    const Bytes edited = PatternBytes(kMinute, pattern++);
    Edit(record, edited, format);
    ASSERT_EQ(Run({record}), "(no error)") << layout.what;
    EXPECT_EQ(ReadFile(source), With(original, kDataStart + 5 * kMinute, edited)) << layout.what;
  }

  // Editors that reserve room for a larger header put a JUNK chunk before fmt: the format is
  // read from the fmt chunk wherever it stands, and still compared.
  WaveShape junkFirst = TestFormat();
  junkFirst.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  const Bytes junkEdit = PatternBytes(kMinute, pattern++);
  Edit(record, junkEdit, junkFirst);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, kDataStart + 5 * kMinute, junkEdit));
  const Bytes beforeMismatch = ReadFile(source);
  junkFirst.channels = 2;
  junkFirst.blockAlign = 2;
  Edit(record, PatternBytes(kMinute, pattern++), junkFirst);
  EXPECT_EQ(Run({record}), Text(u8"ファイル ") + ClipOf(record) + Text(u8" の形式が取り出し元と違います"));
  EXPECT_EQ(ReadFile(source), beforeMismatch);

  // A size of 0 or 0xFFFFFFFF means "to the end of the file".
  for (uint32_t stated : {0u, 0xFFFFFFFFu}) {
    WaveShape format = TestFormat();
    format.statedSizeOverride = true;
    format.statedSize = stated;
    const Bytes edited = PatternBytes(kMinute, pattern++);
    Edit(record, edited, format);
    ASSERT_EQ(Run({record}), "(no error)") << stated;
    EXPECT_EQ(ReadFile(source), With(original, kDataStart + 5 * kMinute, edited)) << stated;
  }
  // A stated size shorter than the file: the bytes after it are not audio, and the clip is short.
  const Bytes beforeShort = ReadFile(source);
  WaveShape format = TestFormat();
  format.statedSizeOverride = true;
  format.statedSize = 1000;
  Edit(record, PatternBytes(kMinute, pattern++), format);
  EXPECT_EQ(Run({record}), FormatText(texts::kClipLengthDiffers, {ClipOf(record), u8"0分2.5秒", u8"1分0秒"}));
  EXPECT_EQ(ReadFile(source), beforeShort);
}

TEST_F(WriteBack, ClipWithoutDataChunkIsRefused) {
  const std::string record = CutClip(source, "1", "5");
  Bytes clip = MakeWave(TestFormat(), PatternBytes(kMinute, 3));
  std::copy_n("DATA", 4, clip.begin() + 36);
  WriteFile(ClipOf(record), clip);
  EXPECT_EQ(Run({record}), FormatText(u8"ファイル %s に data チャンクがありません", ClipOf(record)));
  EXPECT_EQ(ReadFile(source), original);
}

TEST_F(WriteBack, ClipOfAnotherFormatIsRefused) {
  const std::string record = CutClip(source, "1", "5");
  struct Variant {
    const char* what;
    WaveShape format;
  };
  std::vector<Variant> variants;
  auto add = [&](const char* what, const std::function<void(WaveShape&)>& change) {
    WaveShape format = TestFormat();
    change(format);
    variants.push_back({what, format});
  };
  add("mono", [](WaveShape& s) { s.channels = 1; });
  add("sample rate", [](WaveShape& s) { s.sampleRate = 200; });
  add("block align", [](WaveShape& s) { s.blockAlign = 8; });
  add("bits per sample", [](WaveShape& s) { s.bitsPerSample = 24; });
  add("floating point", [](WaveShape& s) { s.formatTag = 3; });
  add("extensible floating point", [](WaveShape& s) {
    s.formatTag = 0xFFFE;
    s.fmtSize = 40;
    s.subFormat = 3;
  });
  for (const Variant& v : variants) {
    WriteFile(ClipOf(record), MakeWave(v.format, PatternBytes(kMinute, 4)));
    EXPECT_EQ(Run({record}), FormatText(u8"ファイル %s の形式が取り出し元と違います", ClipOf(record))) << v.what;
    EXPECT_EQ(ReadFile(source), original) << v.what;
  }
  EXPECT_TRUE(ui.infos.empty());
}

// Listed twice, a record would be written twice; with its undo record, written back and at
// once undone. Such a list is refused, naming both entries, before anything is written.
TEST_F(WriteBack, ARecordListedTwiceOrWithItsUndoIsRefusedBeforeAnythingIsWritten) {
  const std::string first = CutClip(source, "1", "0");
  const std::string record = CutClip(source, "2", "3");
  Edit(first, PatternBytes(kMinute, 30));
  Edit(record, PatternBytes(2 * kMinute, 31));
  const std::string undo = UndoRecordPathOf(record);
  using S = const std::string&;
  auto twice = [](S a, S b) { return FormatText(texts::kRecordListedTwice, {a, b}); };
  auto withUndo = [](S a, S b) { return FormatText(texts::kRecordWithItsUndo, {a, b}); };
  std::vector<std::pair<std::vector<std::string>, std::string>> rows = {  // a list, its refusal
      {{first, record, record}, twice(record, record)},
      {{first, record, undo}, withUndo(record, undo)},
      {{undo, first, record}, withUndo(record, undo)},
  };
#ifdef _WIN32
  // Windows names files without regard to case.
  const std::string upper = dir.File("TALK-3-2.INI"), mixedUndo = dir.File("Talk-3-2.Undo.Ini");
  rows.push_back({{first, record, upper}, twice(record, upper)});
  rows.push_back({{first, mixedUndo, upper}, withUndo(upper, mixedUndo)});
#endif
  const std::vector<std::string> names = NamesIn(dir.path());
  for (const auto& [list, refusal] : rows) EXPECT_EQ(Run(list), refusal);
  EXPECT_EQ(ReadFile(source), original);
  EXPECT_EQ(NamesIn(dir.path()), names);
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(WriteBack, RangeRunningPastTheAudioIsWrittenUpToItsEnd) {
  const std::string record = CutClip(source, "1", "0");
  const Bytes edited = PatternBytes(kMinute, 91);
  Edit(record, edited);
  WriteFile(record, ComposeRecordText({10 * kMinute - 100, kMinute, source, ""}));
  ASSERT_EQ(Run({record}), "(no error)");
  const Bytes now = ReadFile(source);
  EXPECT_EQ(now, With(original, kDataStart + 10 * kMinute - 100, Bytes(edited.begin(), edited.begin() + 100)))
      << "length, header and LIST chunk unchanged";

  // An unfinished source whose stated size runs past its end: the audio ends with the file.
  WaveShape format = TestFormat();
  format.statedSizeOverride = true;
  format.statedSize = 0xFFFFFFFF;
  const Bytes unfinished = MakeWave(format, audio);
  WriteFile(source, unfinished);
  WriteFile(record, ComposeRecordText({10 * kMinute - 100, kMinute, source, ""}));
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(unfinished, kDataStart + 10 * kMinute - 100, Bytes(edited.begin(), edited.begin() + 100)));

  // A zero-length record at the very end writes nothing and is no error.
  WriteFile(record, ComposeRecordText({10 * kMinute, 0, source, ""}));
  Edit(record, {});
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source).size(), unfinished.size());
}

TEST_F(WriteBack, SourceWithoutDataChunkEndsTheRun) {
  const std::string record = CutClip(source, "1", "1");
  Edit(record, PatternBytes(kMinute, 92));
  const std::string other = dir.File("other.wav");
  const Bytes otherOriginal = MakeSource(other, TestFormat(), PatternBytes(2 * kMinute, 93));
  const std::string otherRecord = CutClip(other, "1", "0");
  Edit(otherRecord, PatternBytes(kMinute, 94));

  Bytes broken = original;
  std::copy_n("DATA", 4, broken.begin() + 36);
  WriteFile(source, broken);
  // The source is searched before the clip is opened: a missing clip does not hide this.
  fs::remove(ClipOf(record));
  EXPECT_EQ(Run({record, otherRecord}), FormatText(u8"ファイル %s に data チャンクがありません", source));
  EXPECT_EQ(ReadFile(source), broken);
  EXPECT_EQ(ReadFile(other), otherOriginal);
  EXPECT_TRUE(ui.infos.empty());
}

TEST_F(WriteBack, FilesHeldByAnotherOpenerAreRefused) {
  const std::string record = CutClip(source, "1", "1");
  Edit(record, PatternBytes(kMinute, 95));
  {
    File held;
    ASSERT_TRUE(held.Open(source, FileMode::ReadExclusive));
    EXPECT_EQ(Run({record}), FormatText(u8"ファイル %s は開けません", source));
  }
  {
    File held;
    ASSERT_TRUE(held.Open(ClipOf(record), FileMode::ReadExclusive));
    EXPECT_EQ(Run({record}), FormatText(u8"ファイル %s は開けません", ClipOf(record)));
  }
  {
    File held;
    ASSERT_TRUE(held.Open(record, FileMode::ReadWriteExclusive));
    EXPECT_EQ(Run({record}), FormatText(u8"ファイル %s は開けません", record));
  }
  EXPECT_EQ(ReadFile(source), original);
  EXPECT_TRUE(ui.infos.empty());
  {
    // A record that someone else only reads does not stop the write. On Windows it cannot be
    // replaced while held, and the message says the source was written all the same.
    File reader;
    ASSERT_TRUE(reader.Open(record, FileMode::ReadShared));
#ifdef _WIN32
    EXPECT_EQ(Run({record}), FormatText(texts::kRecordNotUpdated, record));
    EXPECT_FALSE(Exists(record + ".new"));
#else
    EXPECT_EQ(Run({record}), "(no error)");
#endif
  }
  EXPECT_NE(ReadFile(source), original);
  // Once the reader is gone the next run accepts the range, which holds the clip already.
  EXPECT_EQ(Run({record}), "(no error)");
}

// Shift-JIS names whose trail bytes are 0x5C ("表", "ソ" under code page 932) go through the
// record byte for byte and name the same files again.
TEST_F(WriteBack, DoubleByteNames) {
  const std::string named = dir.File(Text(u8"表ソ.wav"));
  const Bytes namedOriginal = MakeSource(named, TestFormat(), PatternBytes(2 * kMinute, 98));
  const std::string record = CutClip(named, "1", "1");
  EXPECT_EQ(record, dir.File(Text(u8"表ソ-1-1.ini")));
  const Bytes edited = PatternBytes(kMinute, 99);
  Edit(record, edited);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(named), With(namedOriginal, kDataStart + kMinute, edited));
}

// A source of 4 GiB (sparse): a record whose offset needs more than 32 bits is written there.
TEST_F(WriteBack, OffsetsPastTwoGigabytes) {
  const std::string big = dir.File("long.wav");
  WaveShape format;  // 44,100 Hz, block align 4
  format.statedSizeOverride = true;
  format.statedSize = 0xFFFFFFF0u;
  WriteFile(big, MakeWave(format, {}));
  const int64_t end = 44 + int64_t{0xFFFFFFF0u};
  PutBytes(big, end, Chunk("LIST", Bytes(8, 'e')));
  const int64_t offset = 4286520000;
  const std::string record = dir.File("long-405-1.ini");
  WriteFile(record, ComposeRecordText({offset, 10584000, big, ""}));
  const Bytes edited = PatternBytes(10584000, 96);
  WaveShape clipFormat;
  WriteFile(ClipOf(record), MakeWave(clipFormat, edited));
  ASSERT_EQ(Run({record}), "(no error)");
  const int64_t written = int64_t{0xFFFFFFF0u} - offset;
  EXPECT_EQ(ReadRange(big, 44 + offset - 4, 4), Bytes(4, 0));
  EXPECT_EQ(ReadRange(big, 44 + offset, static_cast<size_t>(written)),
            Bytes(edited.begin(), edited.begin() + written));
  EXPECT_EQ(ReadRange(big, end, 16), Chunk("LIST", Bytes(8, 'e')));
  EXPECT_EQ(fs::file_size(big), static_cast<uintmax_t>(end + 16));
}

#ifndef _WIN32
TEST_F(WriteBack, ShortWriteIsAnErrorNotAFinish) {
  const std::string record = CutClip(source, "1", "2");
  Edit(record, PatternBytes(kMinute, 97));
  // The source may not be written past 100 bytes into the clip's range.
  const ProcessResult child = RunInChild(
      [&](int) {
        RecordingUi childUi;
        const std::string error = ErrorOf([&] { WriteBackClips({record}, childUi); });
        if (error == "(no error)") return 2;
        return error == Text(u8"ストリームへの書き込みエラー") && childUi.infos.empty() ? 0 : 1;
      },
      RunOptions().FileSizeLimit(kDataStart + 2 * kMinute + 100));
  EXPECT_EQ(child.status, 0) << "1: another error, 2: reported as finished";
  EXPECT_EQ(ReadFile(source).size(), original.size());
}
#endif

}  // namespace
}  // namespace ostrevan::testing
