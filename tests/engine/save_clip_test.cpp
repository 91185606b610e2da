// Cutting clips: the clip file's 44-byte header and audio, the record beside it, the names
// made from the typed texts, the refusals, and what exists after each failure.

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
#include "fingerprint.h"
#include "little_endian.h"
#include "load_wave.h"
#include "processes.h"
#include "save_clip.h"
#include "test_waves.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

// Everything after a clip's 44-byte header.
Bytes AudioOf(const Bytes& clip) { return clip.size() < 44 ? Bytes{} : Bytes(clip.begin() + 44, clip.end()); }

LoadedWave Load(const std::string& path) {
  LoadedWave wave;
  LoadWave(path, wave);
  return wave;
}

// The 44-byte header the clip must have for a TestFormat source.
Bytes ExpectedHeader(uint32_t clipBytes, uint16_t formatTag = 1, uint16_t channels = 2, uint32_t rate = 100,
                     uint16_t blockAlign = 4, uint16_t bits = 16) {
  Bytes h(44);
  std::copy_n("RIFF", 4, h.begin());
  WriteU32(&h[4], clipBytes + 36);
  std::copy_n("WAVEfmt ", 8, h.begin() + 8);
  WriteU32(&h[16], 16);
  WriteU16(&h[20], formatTag);
  WriteU16(&h[22], channels);
  WriteU32(&h[24], rate);
  WriteU32(&h[28], rate * blockAlign);
  WriteU16(&h[32], blockAlign);
  WriteU16(&h[34], bits);
  std::copy_n("data", 4, h.begin() + 36);
  WriteU32(&h[40], clipBytes);
  return h;
}

std::string Record(int64_t offset, int64_t bytes, const std::string& source) {
  return std::to_string(offset) + "\r\n" + std::to_string(bytes) + "\r\n" + source + "\r\n";
}

// A saved record's first three lines; its fourth must be the fingerprint of the clip's audio
// beside it (the source's bytes as they were cut).
std::string RecordLinesOf(const std::string& recordPath) {
  const std::string text = AsText(ReadFile(recordPath));
  const Bytes audio = AudioOf(ReadFile(PathWithoutExtension(recordPath) + ".wav"));
  Fingerprint expected;
  expected.Update(audio.data(), audio.size());
  const std::string fourth = expected.Text() + "\r\n";
  EXPECT_TRUE(text.size() > fourth.size() && text.compare(text.size() - fourth.size(), fourth.size(), fourth) == 0)
      << text;
  return text.substr(0, text.size() - std::min(text.size(), fourth.size()));
}

// A ten-minute small source with a LIST chunk after its audio.
struct SmallSource {
  ScratchDir dir;
  std::string path = dir.File("talk.wav");
  Bytes audio = PatternBytes(10 * kMinute);
  Bytes file;
  LoadedWave wave;
  RecordingUi ui;

  explicit SmallSource(WaveShape format = TestFormat()) {
    format.trailer = Chunk("LIST", Bytes(30, 'm'));
    file = MakeWave(format, audio);
    WriteFile(path, file);
    wave = Load(path);
  }
  void Cut(const std::string& length, const std::string& start, ClipMode mode = ClipMode::StartMinute) {
    SaveClip(wave, length, start, path, mode, ui);
  }
  std::string CutError(const std::string& length, const std::string& start, ClipMode mode = ClipMode::StartMinute) {
    return ErrorOf([&] { Cut(length, start, mode); });
  }
};

// The plan alone, from the play time's numbers and the typed texts: no files. TestFormat's
// minute is 24,000 bytes; the audio is ten minutes and three bytes (a partial frame).
TEST(PlanClip, RangesAndRefusalsFromThePlayTimeAndTheTypedTexts) {
  LoadedWave wave;
  wave.playTime = {10 * kMinute + 3, 100, 4, 10, 0};
  const std::string beyondEnd = Text(texts::kStartBeyondEnd);
  const std::string tooLong = Text(texts::kClipTooLong);
  const int64_t m = kMinute;
  const struct {
    const char* length;
    const char* start;
    ClipMode mode;
    int64_t offset, bytes;
    const std::string& refusal;
  } cases[] = {
      {"2", "1", ClipMode::StartMinute, m, 2 * m, ""},
      {"3", "9", ClipMode::StartMinute, 9 * m, m + 3, ""},  // ends with the audio, partial frame and all
      {"1", "10", ClipMode::StartMinute, 10 * m, 3, ""},    // only the partial frame is left
      {"1", "11", ClipMode::StartMinute, 0, 0, beyondEnd},
      {"1", "2147483647", ClipMode::StartMinute, 0, 0, beyondEnd},  // saturated, not wrapped
      {"2", "x", ClipMode::FromEnd, 8 * m, 2 * m, ""},              // from the last whole frame
      {"10", "0", ClipMode::FromEnd, 0, 10 * m, ""},
      {"11", "0", ClipMode::FromEnd, 0, 0, tooLong},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.length) + " from " + c.start);
    const ClipPlan plan = PlanClip(wave, c.length, c.start, c.mode);
    EXPECT_EQ(plan.refusal, c.refusal);
    EXPECT_EQ(plan.offset, c.offset);
    EXPECT_EQ(plan.bytes, c.bytes);
  }
  for (const ClipMode mode : {ClipMode::StartMinute, ClipMode::FromEnd}) {
    EXPECT_EQ(ErrorOf([&] { PlanClip(wave, "-1", "0", mode); }), Text(texts::kRangeCheck));
    EXPECT_EQ(ErrorOf([&] { PlanClip(wave, "1 ", "0", mode); }), Text(u8"'1 ' は整数ではありません"));
  }
  EXPECT_EQ(ErrorOf([&] { PlanClip(wave, "1", "-1", ClipMode::StartMinute); }), Text(texts::kRangeCheck));

  // The numbers are the play time's, whatever the layout holds: nothing loaded measures 0 bytes.
  wave.layout.audioSize = 99 * kMinute;
  wave.playTime = {};
  const ClipPlan empty = PlanClip(wave, "5", "3", ClipMode::StartMinute);
  EXPECT_EQ(empty.offset + empty.bytes, 0);
  EXPECT_EQ(empty.refusal, "");
}

TEST(SaveClip, StartMinuteClipHasTheCanonicalHeaderTheSourceBytesAndItsRecord) {
  SmallSource s;
  s.Cut("3", "5");
  const Bytes clip = ReadFile(s.dir.File("talk-5-3.wav"));
  ASSERT_EQ(clip.size(), 44u + 3 * kMinute);
  EXPECT_EQ(Slice(clip, 0, 44), ExpectedHeader(3 * kMinute));
  EXPECT_EQ(Slice(clip, 44, 3 * kMinute), Slice(s.audio, 5 * kMinute, 3 * kMinute));

  // The record is byte for byte three CR LF lines, and the line buffer shows the same text.
  const std::string record = AsText(ReadFile(s.dir.File("talk-5-3.ini")));
  EXPECT_EQ(RecordLinesOf(s.dir.File("talk-5-3.ini")), Record(5 * kMinute, 3 * kMinute, s.path));
  EXPECT_EQ(s.ui.recordText, record);
  EXPECT_EQ(s.ui.infos, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(NamesIn(s.dir.path()), (std::vector<std::string>{"talk-5-3.ini", "talk-5-3.wav", "talk.wav"}));
  EXPECT_EQ(ReadFile(s.path), s.file);
}

// 44,100 frames per second at block align 4 with 635,089,380 bytes of audio, as a sparse
// file with marked bytes around each clip edge.
TEST(SaveClip, FullSizeExampleCutsTheRightBytes) {
  ScratchDir dir;
  const std::string path = dir.File("talk.wav");
  const uint32_t dataSize = 635089380;
  WaveShape format;
  format.statedSizeOverride = true;
  format.statedSize = dataSize;
  WriteFile(path, MakeWave(format, {}));
  const std::vector<int64_t> edges = {52920000, 52920000 + 31752000, 603337380, 613921380, dataSize};
  uint32_t pattern = 7;
  for (int64_t edge : edges) PutBytes(path, 44 + edge - 512, PatternBytes(1024, pattern++));
  const Bytes list = Chunk("LIST", Bytes(20, 'x'));
  PutBytes(path, 44 + dataSize + 512, list);  // after the marks that run past the audio's end
  const LoadedWave wave = Load(path);
  ASSERT_EQ(wave.layout.AudioSize(), dataSize);

  RecordingUi ui;
  SaveClip(wave, "3", "5", path, ClipMode::StartMinute, ui);
  const std::string clipPath = dir.File("talk-5-3.wav");
  const Bytes header = ReadRange(clipPath, 0, 44);
  EXPECT_EQ(ReadU32(&header[4]), 31752036u);
  EXPECT_EQ(ReadU32(&header[16]), 16u);
  EXPECT_EQ(ReadU32(&header[40]), 31752000u);
  EXPECT_EQ(ReadFile(clipPath), [&] {
    Bytes expected = header;
    const Bytes audio = ReadRange(path, 44 + 52920000, 31752000);
    expected.insert(expected.end(), audio.begin(), audio.end());
    return expected;
  }());
  EXPECT_EQ(RecordLinesOf(dir.File("talk-5-3.ini")), Record(52920000, 31752000, path));

  // From the end: both lengths end exactly at the end of the audio data.
  for (const auto& [length, offset] : {std::pair<std::string, int64_t>{"3", 603337380}, {"2", 613921380}}) {
    SaveClip(wave, length, "0", path, ClipMode::FromEnd, ui);
    const std::string fromEnd = dir.File("talk-L-" + length + ".wav");
    const int64_t bytes = dataSize - offset;
    EXPECT_EQ(RecordLinesOf(dir.File("talk-L-" + length + ".ini")), Record(offset, bytes, path));
    EXPECT_EQ(ReadRange(fromEnd, 44 + bytes - 512, 1024), ReadRange(path, 44 + dataSize - 512, 512))
        << "the clip's last bytes are the audio's last bytes, and nothing follows them";
    EXPECT_EQ(ReadRange(fromEnd, 44, 512), ReadRange(path, 44 + offset, 512));
  }
}

TEST(SaveClip, FromEndCountsFromTheLastWholeFrame) {
  // The audio ends in half a frame: the clip must still hold whole, aligned frames.
  WaveShape format = TestFormat();
  SmallSource whole(format);
  ScratchDir dir;
  const std::string path = dir.File("odd.wav");
  Bytes audio = PatternBytes(10 * kMinute + 2, 3);
  format.trailer = Chunk("LIST", Bytes(10, 'z'));
  WriteFile(path, MakeWave(format, audio));
  const LoadedWave wave = Load(path);
  RecordingUi ui;
  SaveClip(wave, "2", "0", path, ClipMode::FromEnd, ui);
  EXPECT_EQ(RecordLinesOf(dir.File("odd-L-2.ini")), Record(8 * kMinute, 2 * kMinute, path));
  EXPECT_EQ(AudioOf(ReadFile(dir.File("odd-L-2.wav"))), Slice(audio, 8 * kMinute, 2 * kMinute))
      << "neither the half frame nor the LIST chunk is in the clip";

  // The whole audio from the end starts at offset 0.
  whole.Cut("10", "0", ClipMode::FromEnd);
  EXPECT_EQ(AudioOf(ReadFile(whole.dir.File("talk-L-10.wav"))), whole.audio);
  EXPECT_EQ(RecordLinesOf(whole.dir.File("talk-L-10.ini")), Record(0, 10 * kMinute, whole.path));
}

TEST(SaveClip, ClipRunningPastTheAudioEndsWithIt) {
  SmallSource s;
  s.Cut("3", "9");
  const Bytes clip = ReadFile(s.dir.File("talk-9-3.wav"));
  EXPECT_EQ(Slice(clip, 0, 44), ExpectedHeader(kMinute)) << "riffSize and dataSize hold the shortened count";
  EXPECT_EQ(AudioOf(clip), Slice(s.audio, 9 * kMinute, kMinute)) << "no LIST bytes, no padding";
  EXPECT_EQ(RecordLinesOf(s.dir.File("talk-9-3.ini")), Record(9 * kMinute, kMinute, s.path));

  // A length whose byte count overflows any integer is shortened the same way.
  s.Cut("2147483647", "0");
  EXPECT_EQ(ReadFile(s.dir.File("talk-0-2147483647.wav")).size(), 44u + 10 * kMinute);

  // An unfinished recording (size 0xFFFFFFFF): its audio ends where the file ends.
  ScratchDir dir;
  WaveShape format = TestFormat();
  format.statedSizeOverride = true;
  format.statedSize = 0xFFFFFFFF;
  const Bytes audio = PatternBytes(10 * kMinute + 100, 5);
  WriteFile(dir.File("cut.wav"), MakeWave(format, audio));
  RecordingUi ui;
  SaveClip(Load(dir.File("cut.wav")), "5", "9", dir.File("cut.wav"), ClipMode::StartMinute, ui);
  EXPECT_EQ(RecordLinesOf(dir.File("cut-9-5.ini")), Record(9 * kMinute, kMinute + 100, dir.File("cut.wav")));
  EXPECT_EQ(AudioOf(ReadFile(dir.File("cut-9-5.wav"))), Slice(audio, 9 * kMinute, kMinute + 100));
}

TEST(SaveClip, ClipOutsideTheAudioIsRefusedWithAMessageAndNothingWritten) {
  SmallSource s;
  s.Cut("11", "0", ClipMode::FromEnd);
  s.Cut("1", "10");
  s.Cut("1", "25");
  EXPECT_EQ(s.ui.infos, (std::vector<std::string>{Text(u8"取り出し長さがWAVの長さを越えています"),
                                                  Text(u8"取り出し開始位置がWAVの長さを越えています"),
                                                  Text(u8"取り出し開始位置がWAVの長さを越えています")}));
  EXPECT_EQ(NamesIn(s.dir.path()), std::vector<std::string>{"talk.wav"});
}

TEST(SaveClip, NamesUseTheTextsAsTyped) {
  SmallSource s;
  s.Cut("03", "5");
  s.Cut(" 3", "5");
  s.Cut("03", "0", ClipMode::FromEnd);
  for (const char* name : {"talk-5-03", "talk-5- 3"}) {
    const Bytes clip = ReadFile(s.dir.File(std::string(name) + ".wav"));
    EXPECT_EQ(AudioOf(clip), Slice(s.audio, 5 * kMinute, 3 * kMinute)) << name;
    EXPECT_EQ(RecordLinesOf(s.dir.File(std::string(name) + ".ini")), Record(5 * kMinute, 3 * kMinute, s.path));
  }
  EXPECT_EQ(RecordLinesOf(s.dir.File("talk-L-03.ini")), Record(7 * kMinute, 3 * kMinute, s.path));
}

// Numbers typed with a Japanese input method on are read as their ASCII forms, and the names
// hold those forms: the name and the range agree. A length under 1 cuts nothing.
TEST(SaveClip, FullWidthNumbersAreReadAsAsciiAndLengthsUnderOneAreRefused) {
  const std::string refused = Text(texts::kRangeCheck);
  const struct {
    const char *length, *start;
    ClipMode mode;
    std::string outcome;  // the pair's name, or the error when it cuts no minutes
    int64_t fromMinute = 0, minutes = 0;
  } rows[] = {
      {u8"３", u8"５", ClipMode::StartMinute, "talk-5-3", 5, 3},
      {u8"＋０２", "1", ClipMode::StartMinute, "talk-1-+02", 1, 2},
      {u8"１０", "0", ClipMode::FromEnd, "talk-L-10", 0, 10},
      {"0", "0", ClipMode::StartMinute, refused},
      {u8"０", "0", ClipMode::FromEnd, refused},
      {u8"－１", "0", ClipMode::StartMinute, refused},
      {"1", u8"－１", ClipMode::StartMinute, refused},
      {u8"３ａ", "0", ClipMode::StartMinute, FormatText(texts::kNotAnInteger, u8"3ａ")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.length) + " from " + row.start);
    SmallSource s;
    const std::string error = s.CutError(row.length, row.start, row.mode);
    if (row.minutes == 0) {
      EXPECT_EQ(error, row.outcome);
      EXPECT_EQ(NamesIn(s.dir.path()), std::vector<std::string>{"talk.wav"});
    } else {
      EXPECT_EQ(RecordLinesOf(s.dir.File(row.outcome + ".ini")),
                Record(row.fromMinute * kMinute, row.minutes * kMinute, s.path)) << error;
    }
  }
}

TEST(SaveClip, LengthsThatAreNoCountWriteNothing) {
  SmallSource s;
  EXPECT_EQ(s.CutError("abc", "0"), Text(u8"'abc' は整数ではありません"));
  EXPECT_EQ(s.CutError("3 ", "0"), Text(u8"'3 ' は整数ではありません"));
  EXPECT_EQ(s.CutError("", "0", ClipMode::FromEnd), Text(u8"'' は整数ではありません"));
  EXPECT_EQ(s.CutError("-1", "0"), Text(u8"範囲チェックエラー"));
  EXPECT_EQ(s.CutError("-1", "0", ClipMode::FromEnd), Text(u8"範囲チェックエラー"));
  EXPECT_EQ(s.CutError("1", "x"), Text(u8"'x' は整数ではありません"));
  // A start before the audio would cut header bytes as audio.
  EXPECT_EQ(s.CutError("1", "-1"), Text(u8"範囲チェックエラー"));
  EXPECT_TRUE(s.ui.infos.empty());
  EXPECT_EQ(NamesIn(s.dir.path()), std::vector<std::string>{"talk.wav"});
}

// A plain fmt chunk of 18 bytes becomes the canonical 16; an extensible one is kept byte for
// byte, with its channel layout.
TEST(SaveClip, LongerFmtChunksGiveTheCanonicalHeaderExtensibleOnesAreKept) {
  struct Case {
    uint32_t fmtSize;
    uint16_t formatTag;
    uint16_t subFormat;
    uint16_t clipFormatTag;
  };
  for (const Case c : {Case{18, 1, 0, 1}, Case{40, 0xFFFE, 1, 0xFFFE}, Case{40, 0xFFFE, 3, 0xFFFE}}) {
    WaveShape format = TestFormat();
    format.fmtSize = c.fmtSize;
    format.formatTag = c.formatTag;
    format.subFormat = c.subFormat;
    format.chunksBeforeData = Chunk("fact", Bytes(4, 1));
    SmallSource s(format);
    s.Cut("1", "2");
    const Bytes clip = ReadFile(s.dir.File("talk-2-1.wav"));
    if (c.clipFormatTag != 0xFFFE) {
      ASSERT_EQ(clip.size(), 44u + kMinute) << c.fmtSize;
      EXPECT_EQ(Slice(clip, 0, 44), ExpectedHeader(kMinute, c.clipFormatTag)) << c.fmtSize << " " << c.subFormat;
    } else {
      const Bytes source = ReadFile(s.path);
      ASSERT_EQ(clip.size(), 68u + kMinute);
      EXPECT_EQ(Slice(clip, 0, 68), Joined({TextBytes("RIFF"), Le32(kMinute + 60), TextBytes("WAVE"),
                                            Slice(source, 12, 48), TextBytes("data"), Le32(kMinute)}));
    }
    EXPECT_EQ(Slice(clip, clip.size() - kMinute, kMinute), Slice(s.audio, 2 * kMinute, kMinute));
  }
}

TEST(SaveClip, PathsWithoutExtensionAndFoldersWithADot) {
  ScratchDir dir;
  fs::create_directory(dir.File("rec.d"));
  const std::string folder = (fs::path(dir.path()) / "rec.d").string();
  const Bytes audio = PatternBytes(2 * kMinute);
  for (const char* name : {"talk", "talk.wav", "a.b.wav"}) {
    const std::string path = (fs::path(folder) / name).string();
    WriteFile(path, MakeWave(TestFormat(), audio));
    RecordingUi ui;
    SaveClip(Load(path), "1", "0", path, ClipMode::StartMinute, ui);
  }
  EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"a.b-0-1.ini", "a.b-0-1.wav", "a.b.wav", "talk",
                                                       "talk-0-1.ini", "talk-0-1.wav", "talk.wav"}));
}

TEST(SaveClip, NothingLoadedIsAnOpenErrorForAnEmptyName) {
  ScratchDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());  // where a relative clip name would land
  RecordingUi ui;
  const std::string error = ErrorOf([&] { SaveClip(LoadedWave{}, "1", "0", "", ClipMode::StartMinute, ui); });
  const std::string fromEnd = ErrorOf([&] { SaveClip(LoadedWave{}, "1", "0", "", ClipMode::FromEnd, ui); });
  fs::current_path(before);
  EXPECT_EQ(error, Text(u8"ファイル  は開けません"));
  EXPECT_EQ(fromEnd, Text(u8"ファイル  は開けません"));
  EXPECT_TRUE(ui.infos.empty());
  EXPECT_TRUE(NamesIn(dir.path()).empty());
}

TEST(SaveClip, ExistingClipAndRecordAreReplaced) {
  SmallSource s;
  WriteFile(s.dir.File("talk-1-1.wav"), PatternBytes(5 * kMinute, 9));
  WriteFile(s.dir.File("talk-1-1.ini"), std::string(5000, 'x'));
  s.Cut("1", "1");
  EXPECT_EQ(ReadFile(s.dir.File("talk-1-1.wav")).size(), 44u + kMinute);
  EXPECT_EQ(RecordLinesOf(s.dir.File("talk-1-1.ini")), Record(kMinute, kMinute, s.path));
}

TEST(SaveClip, FilesHeldByAnotherOpenerAreNotTouched) {
  SmallSource s;
  {
    File held;
    ASSERT_TRUE(held.Open(s.path, FileMode::ReadExclusive));
    EXPECT_EQ(s.CutError("1", "0"), FormatText(u8"ファイル %s は開けません", s.path));
    EXPECT_EQ(NamesIn(s.dir.path()), std::vector<std::string>{"talk.wav"});
  }
  const std::string clipPath = s.dir.File("talk-0-1.wav");
  const std::string recordPath = s.dir.File("talk-0-1.ini");
  WriteFile(clipPath, std::string("held clip"));
  {
    File held;
    ASSERT_TRUE(held.Open(clipPath, FileMode::ReadWriteExclusive));
    EXPECT_EQ(s.CutError("1", "0"), FormatText(u8"ファイル %s を作成できません", clipPath));
  }
  EXPECT_EQ(AsText(ReadFile(clipPath)), "held clip");
  EXPECT_FALSE(Exists(recordPath));

  WriteFile(recordPath, std::string("held record"));
  {
    File held;
    ASSERT_TRUE(held.Open(recordPath, FileMode::ReadWriteExclusive));
    EXPECT_EQ(s.CutError("1", "0"), FormatText(u8"ファイル %s を作成できません", recordPath));
  }
  EXPECT_EQ(AsText(ReadFile(clipPath)), "held clip") << "refused before anything is written";
  EXPECT_EQ(AsText(ReadFile(recordPath)), "held record");
  EXPECT_TRUE(s.ui.infos.empty());
}

// A name whose last character is "ソ", Shift-JIS 0x83 0x5C: inside the program it is UTF-8,
// where no byte is a "\", so the dot before it starts the extension; the record holds the
// path in code page 932, as earlier versions wrote it.
TEST(SaveClip, DoubleByteNameWithBackslashTrailByte) {
  ScratchDir dir;
  const std::string path = dir.File(u8"talk.ソ");
  WriteFile(path, MakeWave(TestFormat(), PatternBytes(2 * kMinute)));
  RecordingUi ui;
  SaveClip(Load(path), "1", "0", path, ClipMode::StartMinute, ui);
  EXPECT_TRUE(FileExists(dir.File("talk-0-1.wav")));
#ifdef _WIN32
  EXPECT_EQ(RecordLinesOf(dir.File("talk-0-1.ini")), Record(0, kMinute, dir.File("talk.\x83\x5C")));
#else
  EXPECT_EQ(RecordLinesOf(dir.File("talk-0-1.ini")), Record(0, kMinute, path));
#endif
}

// A source of 4 GiB (sparse): offsets past 2^31 are cut and recorded whole.
TEST(SaveClip, OffsetsPastTwoGigabytes) {
  ScratchDir dir;
  const std::string path = dir.File("long.wav");
  const uint32_t dataSize = 0xFFFFFFF0u;
  WaveShape format;
  format.statedSizeOverride = true;
  format.statedSize = dataSize;
  WriteFile(path, MakeWave(format, {}));
  const int64_t start = 405LL * 10584000;  // 4,286,520,000: the last whole minute
  const Bytes mark = PatternBytes(4096, 11);
  PutBytes(path, 44 + start, mark);
  PutBytes(path, 44 + int64_t{dataSize} - 16, Bytes(16, 0xAB));
  const LoadedWave wave = Load(path);
  RecordingUi ui;
  SaveClip(wave, "1", "405", path, ClipMode::StartMinute, ui);
  const int64_t bytes = int64_t{dataSize} - start;
  EXPECT_EQ(RecordLinesOf(dir.File("long-405-1.ini")), Record(start, bytes, path));
  const std::string clipPath = dir.File("long-405-1.wav");
  EXPECT_EQ(ReadRange(clipPath, 44, 4096), mark);
  EXPECT_EQ(ReadRange(clipPath, 44 + bytes - 16, 32), Bytes(16, 0xAB));
}

#ifndef _WIN32
// The exit status of `body` run in a child whose writes past `limit` bytes come back short.
int RunWithFileSizeLimit(int64_t limit, const std::function<int()>& body) {
  return RunInChild([&](int) { return body(); }, RunOptions().FileSizeLimit(limit)).status;
}

TEST(SaveClip, ShortWriteIsAnErrorNotAFinish) {
  ScratchDir dir;
  const std::string path = dir.File("a-recording-with-a-rather-long-name.wav");
  // One byte a second: a minute's clip is smaller than its record.
  WriteFile(path, MakeWave(SampleShape(1, 1, 1, 8), PatternBytes(120)));
  const LoadedWave wave = Load(path);
  // 0: the write error and no "終わりました"; 1: another error; 2: no error at all.
  auto cut = [&](const std::string& length) {
    return [&wave, &path, length] {
      RecordingUi ui;
      try {
        SaveClip(wave, length, "0", path, ClipMode::StartMinute, ui);
      } catch (const EngineError& error) {
        return error.message() == Text(u8"ストリームへの書き込みエラー") && ui.infos.empty() ? 0 : 1;
      }
      return 2;
    };
  };
  EXPECT_EQ(RunWithFileSizeLimit(100, cut("1")), 0) << "the clip's audio does not fit";
  // The clip fits in 104 bytes, the record (longer than 104) does not.
  EXPECT_EQ(RunWithFileSizeLimit(104, cut("1")), 0) << "the record does not fit";
}
#endif

}  // namespace
}  // namespace ostrevan::testing
