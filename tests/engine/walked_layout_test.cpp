// Files whose chunks are not where a canonical header puts them, built byte by byte: the
// audio is found by walking the chunk chain (JUNK, bext, iXML, cue and LIST chunks before
// the audio, odd sizes with their pad bytes, RF64 with ds64, sizes a recorder never filled
// in), the byte scan is used only when the chain breaks, clips are plain 44-byte WAV files,
// and a write-back changes nothing but the clip's range of the source's audio.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "little_endian.h"
#include "load_wave.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kSeconds = 130;  // two minutes and ten seconds of audio in every source

// The shape of a clip of `source`: a 16-byte fmt chunk naming the real encoding, nothing else.
// A clip keeps an extensible fmt chunk as it is; any other becomes the canonical 16 bytes.
WaveShape ClipShapeOf(const WaveShape& source) {
  WaveShape clip;
  const bool extensible = source.formatTag == kExtensibleFormat && source.fmtSize >= 40;
  clip.formatTag = source.formatTag == kExtensibleFormat && !extensible ? source.subFormat : source.formatTag;
  clip.fmtSize = extensible ? source.fmtSize : 16;
  clip.subFormat = source.subFormat;
  clip.channels = source.channels;
  clip.sampleRate = source.sampleRate;
  clip.bitsPerSample = source.bitsPerSample;
  clip.blockAlign = source.blockAlign;
  return clip;
}

struct Layout {
  Bytes file;
  WaveShape shape;      // the format values of its fmt chunk
  Bytes audio;          // the bytes in its data chunk, as written
  int64_t dataTagPos;   // where its data chunk stands
  uint64_t audioSize;   // how many of them are the audio
};

// A RIFF (or RF64) file of `shape` and `audio`; where the data chunk stands follows from the
// bytes MakeWave puts after it.
Layout Riff(const WaveShape& shape, const Bytes& audio) {
  Layout layout{MakeWave(shape, audio), shape, audio, 0, audio.size()};
  layout.dataTagPos = static_cast<int64_t>(layout.file.size() - shape.trailer.size() - audio.size() - 8);
  return layout;
}

Layout Rf64(const WaveShape& shape, const Bytes& audio, const char* magic, int64_t statedSize = -1) {
  Layout layout{MakeRf64(shape, audio, magic, statedSize), shape, audio, 0, audio.size()};
  layout.dataTagPos = static_cast<int64_t>(layout.file.size() - shape.trailer.size() - audio.size() - 8);
  return layout;
}

WaveShape Mono16() { return SampleShape(1, 1, 8000, 16); }

// Filler bytes for a chunk that must never hold the bytes "data".
Bytes Filler(size_t count) { return Bytes(count, 'x'); }

// A chunk header whose id is no text: the chain is broken there.
Bytes BrokenChunk(size_t bodySize) { return Joined({Bytes{1, 2, 3, 4}, Le32(static_cast<uint32_t>(bodySize)), Filler(bodySize)}); }

struct LayoutCase {
  const char* name;
  std::function<Layout()> make;
};
// Printed by its name in test names and failures, not as raw bytes.
void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

std::vector<LayoutCase> LayoutCases() {
  const auto audio = [](const WaveShape& shape, uint64_t extra = 0) {
    return PatternBytes(kSeconds * shape.sampleRate * shape.blockAlign + extra);
  };
  return {
      {"Canonical", [=] { return Riff(Mono8000(), audio(Mono8000())); }},
      {"JunkPlaceholderBeforeFmt",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
         shape.chunksBeforeData = ListInfoChunk("ISFT", "Lavf60.16.100");
         return Riff(shape, audio(shape));
       }},
      {"BextBeforeFmtWhoseDescriptionSaysData",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeFmt = BextChunk("Card 2 data, river bank");
         return Riff(shape, audio(shape));
       }},
      {"BextIxmlAndListInfoBeforeTheAudio",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData =
             Joined({BextChunk("field recording data set 3"),
                     Chunk("iXML", TextBytes("<?xml version=\"1.0\"?><BWFXML><NOTE>data take 3</NOTE></BWFXML>")),
                     ListInfoChunk("ICMT", "metadata")});
         return Riff(shape, audio(shape));
       }},
      {"LibsndfileCueChunkBeforeTheAudio",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = CueChunk({8000, 16000});
         return Riff(shape, audio(shape));
       }},
      {"OddChunkAndItsPadByteBeforeFmt",
       [=] {
         // Missing the pad byte lands on "\0fmt", which breaks the chain; the scan would then
         // stop at the "data" inside the chunk after fmt.
         WaveShape shape = Mono8000();
         shape.chunksBeforeFmt = Chunk("note", TextBytes("take!"));
         shape.chunksBeforeData = Chunk("PEAK", TextBytes("1data23"));
         return Riff(shape, audio(shape));
       }},
      {"OddChunkAndItsPadByteBeforeData",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = Joined({Chunk("PEAK", TextBytes("1data23")), ListInfoChunk("ICMT", "x")});
         return Riff(shape, audio(shape));
       }},
      {"Fmt18FloatWithFact",
       [=] {
         WaveShape shape = Mono8000();
         shape.formatTag = 3;
         shape.bitsPerSample = 32;
         shape.blockAlign = 4;
         shape.fmtSize = 18;
         shape.chunksBeforeData = Chunk("fact", Le32(kSeconds * 8000));
         return Riff(shape, audio(shape));
       }},
      {"Fmt40ExtensibleSixChannels24BitWithFact",
       [=] {
         WaveShape shape;
         shape.formatTag = kExtensibleFormat;
         shape.fmtSize = 40;
         shape.subFormat = 1;
         shape.channels = 6;
         shape.bitsPerSample = 24;
         shape.blockAlign = 18;
         shape.sampleRate = 1000;
         shape.chunksBeforeData = Chunk("fact", Le32(kSeconds * 1000));
         return Riff(shape, audio(shape));
       }},
      {"ListCueSmplAndId3AfterTheAudio",
       [=] {
         WaveShape shape = Mono8000();
         shape.trailer = Joined({ListInfoChunk("ICMT", "data"), CueChunk({100}), Chunk("smpl", Bytes(36, 0)),
                                 Chunk("id3 ", TextBytes("ID3\x03" "data"))});
         return Riff(shape, audio(shape));
       }},
      {"OddSizedAudioWithItsPadByteThenList",
       [=] {
         WaveShape shape = Mono8000();
         shape.bitsPerSample = 24;
         shape.blockAlign = 3;
         shape.trailer = Joined({Bytes{0}, ListInfoChunk("ICMT", "data")});
         return Riff(shape, audio(shape, 3));  // an odd count of 3-byte frames
       }},
      {"Rf64WithDs64AndAChunkAfterTheAudio",
       [=] {
         WaveShape shape = Mono16();
         shape.chunksBeforeData = ListInfoChunk("ISFT", "Lavf60.16.100");
         shape.trailer = Chunk("levl", Filler(60));
         return Rf64(shape, audio(shape), "RF64");
       }},
      {"Bw64WithDs64",
       [=] {
         WaveShape shape = Mono8000();
         return Rf64(shape, audio(shape), "BW64");
       }},
      {"Rf64WhoseDs64StatesMoreThanTheFileHolds",
       [=] {
         WaveShape shape = Mono8000();
         const Bytes bytes = audio(shape);
         return Rf64(shape, bytes, "RF64", static_cast<int64_t>(bytes.size()) + 100000);
       }},
      {"UnfinishedDataSizeZero",
       [=] {
         WaveShape shape = Mono16();
         shape.statedSizeOverride = true;
         shape.statedSize = 0;
         Layout layout = Riff(shape, audio(shape, 1));  // power lost in the middle of a frame
         layout.audioSize -= 1;
         return layout;
       }},
      {"UnfinishedDataSizeAllOnes",
       [=] {
         WaveShape shape = Mono16();
         shape.statedSizeOverride = true;
         shape.statedSize = 0xFFFFFFFF;
         Layout layout = Riff(shape, audio(shape, 1));
         layout.audioSize -= 1;
         return layout;
       }},
      {"ChainBrokenByAnIdThatIsNoTextFallsBackToTheScan",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = BrokenChunk(10);
         return Riff(shape, audio(shape));
       }},
      // Damaged bytes whose "size" would jump over the real data chunk onto a chunk named
      // "data" further on: a header that is no text is never walked over.
      {"ChainBrokenByAnIdThatIsNoTextIsNotWalkedOver",
       [=] {
         WaveShape shape = Mono8000();
         const Bytes bytes = audio(shape);
         shape.chunksBeforeData = Joined({Bytes{1, 2, 3, 4}, Le32(static_cast<uint32_t>(8 + bytes.size()))});
         shape.trailer = Chunk("data", Filler(16));
         return Riff(shape, bytes);
       }},
      {"ChainBrokenByASizePastTheEndFallsBackToTheScan",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = Joined({TextBytes("LIST"), Le32(0x7FFFFFF0), TextBytes("INFO")});
         return Riff(shape, audio(shape));
       }},
      // The scan reads 64 KiB blocks from position 36; these tags straddle the first edge.
      {"FallbackScanTagAcrossTheBlockEdgeByOne",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = BrokenChunk(65536 - 1 - 8);
         return Riff(shape, audio(shape));
       }},
      {"FallbackScanTagAcrossTheBlockEdgeByTwo",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = BrokenChunk(65536 - 2 - 8);
         return Riff(shape, audio(shape));
       }},
      {"FallbackScanTagAcrossTheBlockEdgeByThree",
       [=] {
         WaveShape shape = Mono8000();
         shape.chunksBeforeData = BrokenChunk(65536 - 3 - 8);
         return Riff(shape, audio(shape));
       }},
  };
}

class WalkedLayout : public ::testing::TestWithParam<LayoutCase> {
 protected:
  ScratchDir dir;
  RecordingUi ui;
};

TEST_P(WalkedLayout, LoadsCutsAndWritesBackTheAudioItself) {
  const Layout layout = GetParam().make();
  const std::string path = dir.File("take.wav");
  WriteFile(path, layout.file);
  const uint64_t minute = BytesPerMinute(layout.shape);
  const Bytes audio = Slice(layout.audio, 0, layout.audioSize);

  LoadedWave& wave = TheLoadedWave();
  const LoadOutcome outcome = LoadWave(path, wave);
  EXPECT_EQ(wave.layout.dataTagPos, layout.dataTagPos);
  EXPECT_EQ(wave.layout.AudioSize(), layout.audioSize);
  EXPECT_EQ(outcome.playTimeText, PlayTimeText(layout.audioSize / layout.shape.blockAlign / layout.shape.sampleRate));
  EXPECT_EQ(outcome.attributesText, AttributesText(layout.shape.channels, layout.shape.bitsPerSample, layout.shape.sampleRate));
  ASSERT_EQ(wave.playTime.wholeMinutes, 2);

  SaveClip(wave, "1", "1", path, ClipMode::StartMinute, ui);
  SaveClip(wave, "1", "0", path, ClipMode::FromEnd, ui);
  ASSERT_EQ(ui.infos, std::vector<std::string>(2, Text(u8"終わりました")));
  const WaveShape clipShape = ClipShapeOf(layout.shape);
  const std::string clip = dir.File("take-1-1.wav");
  EXPECT_EQ(DifferenceOf(ReadFile(clip), MakeWave(clipShape, Slice(audio, minute, minute))), "");
  EXPECT_EQ(RecordHead(dir.File("take-1-1.ini")),
            (std::vector<std::string>{std::to_string(minute), std::to_string(minute), path}));
  const uint64_t lastMinute = audio.size() - minute;
  EXPECT_EQ(DifferenceOf(ReadFile(dir.File("take-L-1.wav")), MakeWave(clipShape, Slice(audio, lastMinute, minute))), "");
  EXPECT_EQ(RecordHead(dir.File("take-L-1.ini")),
            (std::vector<std::string>{std::to_string(lastMinute), std::to_string(minute), path}));

  // Edited and saved as libsndfile saves markers: a cue chunk holding "data" before the
  // audio, a LIST chunk after it. Only the audio goes back.
  WaveShape edited = clipShape;
  edited.chunksBeforeData = CueChunk({10, 20});
  edited.trailer = ListInfoChunk("ICMT", "edited");
  const Bytes editedAudio = PatternBytes(minute, 77);
  WriteFile(clip, MakeWave(edited, editedAudio));
  ui.infos.clear();
  WriteBackClips({dir.File("take-1-1.ini")}, ui);
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
  Bytes expected = layout.file;
  expected = With(expected, static_cast<uint64_t>(layout.dataTagPos) + 8 + minute, editedAudio);
  EXPECT_EQ(DifferenceOf(ReadFile(path), expected), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, WalkedLayout, ::testing::ValuesIn(LayoutCases()),
                         [](const ::testing::TestParamInfo<LayoutCase>& param) { return std::string(param.param.name); });

// The fields a failed load must leave alone.
std::vector<int64_t> Fields(const LoadedWave& wave) {
  const AudioLayout& layout = wave.layout;
  const LoadedPlayTime& time = wave.playTime;
  return {layout.dataTagPos,      static_cast<int64_t>(layout.AudioSize()), layout.format.channels,
          layout.fmt.formatTag,   layout.fmt.subFormat,                      time.sampleRate,
          time.blockAlign,        time.wholeMinutes,                         time.seconds,
          wave.playTimeFailed};
}

TEST(WalkedLayoutFormats, OnlyFormatsCutAsBytesLoad) {
  const struct {
    const char* what;
    uint16_t formatTag;
    uint16_t subFormat;
    uint16_t bits;
    bool junkBeforeFmt;
    bool loads;
  } cases[] = {
      {"integer PCM", 1, 0, 8, false, true},
      {"IEEE float", 3, 0, 32, false, true},
      {"A-law", 6, 0, 8, false, true},
      {"mu-law", 7, 0, 8, true, true},
      {"extensible PCM", kExtensibleFormat, 1, 16, true, true},
      {"extensible float", kExtensibleFormat, 3, 32, false, true},
      {"extensible A-law", kExtensibleFormat, 6, 8, false, true},
      {"extensible mu-law", kExtensibleFormat, 7, 8, false, true},
      {"Microsoft ADPCM", 2, 0, 4, false, false},
      {"Microsoft ADPCM after a JUNK placeholder", 2, 0, 4, true, false},
      {"IMA ADPCM", 0x11, 0, 4, false, false},
      {"GSM 6.10", 0x31, 0, 0, false, false},
      {"MPEG layer 3", 0x55, 0, 0, false, false},
      {"format tag 0", 0, 0, 16, false, false},
      {"extensible ADPCM", kExtensibleFormat, 2, 4, false, false},
      {"extensible MPEG", kExtensibleFormat, 0x55, 0, true, false},
  };
  ScratchDir dir;
  const std::string good = dir.File("good.wav");
  WriteFile(good, MakeWave(Mono8000(), PatternBytes(kSeconds * 8000)));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WaveShape shape = Mono8000();
    shape.formatTag = c.formatTag;
    shape.subFormat = c.subFormat;
    shape.bitsPerSample = c.bits;
    shape.blockAlign = static_cast<uint16_t>(c.bits == 32 ? 4 : c.bits == 16 ? 2 : 1);
    shape.fmtSize = c.formatTag == kExtensibleFormat ? 40 : c.formatTag == 1 ? 16 : 20;
    if (c.junkBeforeFmt) shape.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
    const std::string path = dir.File("take.wav");
    WriteFile(path, MakeWave(shape, PatternBytes(kSeconds * 8000 * shape.blockAlign)));

    LoadWave(good, TheLoadedWave());
    const std::vector<int64_t> before = Fields(TheLoadedWave());
    const std::string error = ErrorOf([&] { LoadWave(path, TheLoadedWave()); });
    if (c.loads) {
      EXPECT_EQ(error, "(no error)");
      EXPECT_EQ(TheLoadedWave().layout.AudioSize(), kSeconds * 8000 * shape.blockAlign);
    } else {
      EXPECT_EQ(error, FormatText(texts::kCompressedFormat, path));
      EXPECT_EQ(Fields(TheLoadedWave()), before);
    }
  }
}

// A big-endian RIFX file as sox -B writes it: every number most significant byte first.
Bytes BigEndianWave(const Bytes& audio) {
  const auto be32 = [](uint32_t v) {
    return Bytes{static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                 static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
  };
  const auto be16 = [](uint16_t v) { return Bytes{static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)}; };
  return Joined({TextBytes("RIFX"), be32(static_cast<uint32_t>(36 + audio.size())), TextBytes("WAVEfmt "), be32(16),
                 be16(1), be16(2), be32(8000), be32(32000), be16(4), be16(16), TextBytes("data"),
                 be32(static_cast<uint32_t>(audio.size())), audio});
}

TEST(WalkedLayoutFormats, BigEndianRifxIsRefusedAndTheLoadedWaveKept) {
  ScratchDir dir;
  const std::string good = dir.File("good.wav");
  WriteFile(good, MakeWave(Mono8000(), PatternBytes(kSeconds * 8000)));
  const std::string path = dir.File("big-endian.wav");
  WriteFile(path, BigEndianWave(PatternBytes(kSeconds * 32000)));
  LoadWave(good, TheLoadedWave());
  const std::vector<int64_t> before = Fields(TheLoadedWave());
  EXPECT_EQ(ErrorOf([&] { LoadWave(path, TheLoadedWave()); }), FormatText(texts::kBigEndianFormat, path));
  EXPECT_EQ(Fields(TheLoadedWave()), before);
}

// A long chain before fmt: the walk is bounded, so the load ends quickly either way.
TEST(WalkedLayoutLimits, HundredThousandChunksBeforeFmtEndQuickly) {
  ScratchDir dir;
  WaveShape shape = Mono8000();
  const Bytes empty = Chunk("pad ", {});
  for (int i = 0; i < 100000; ++i) shape.chunksBeforeFmt.insert(shape.chunksBeforeFmt.end(), empty.begin(), empty.end());
  const Layout layout = Riff(shape, PatternBytes(kSeconds * 8000));
  const std::string path = dir.File("chain.wav");
  WriteFile(path, layout.file);
  LoadedWave wave;
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf([&] { LoadWave(path, wave); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  if (error == "(no error)") {
    EXPECT_EQ(wave.layout.dataTagPos, layout.dataTagPos);
    EXPECT_EQ(wave.layout.AudioSize(), kSeconds * 8000);
  } else {
    EXPECT_NE(error, "") << "a refusal must say why";
  }
}

// A source with bext before fmt (the canonical offsets hold bext bytes) and clips saved in
// every way editors save them.
class WalkedClips : public ::testing::Test {
 protected:
  ScratchDir dir;
  RecordingUi ui;
  std::string source = dir.File("river.wav");
  std::string clip = dir.File("river-1-1.wav");
  std::string record = dir.File("river-1-1.ini");
  WaveShape shape = Mono16();
  uint64_t minute = BytesPerMinute(Mono16());
  Layout layout;
  Bytes recordAsCut;

  void SetUp() override {
    shape.chunksBeforeFmt = BextChunk("Card 2 data, river bank");
    layout = Riff(shape, PatternBytes(kSeconds * 16000));
    WriteFile(source, layout.file);
    LoadWave(source, TheLoadedWave());
    SaveClip(TheLoadedWave(), "1", "1", source, ClipMode::StartMinute, ui);
    recordAsCut = ReadFile(record);
  }

  // The source as it was, and the record as it was cut (a write-back rewrites the record).
  void Restore() {
    WriteFile(source, layout.file);
    WriteFile(record, recordAsCut);
  }

  Bytes SourceWith(const Bytes& range) const {
    Bytes expected = layout.file;
    expected = With(expected, static_cast<uint64_t>(layout.dataTagPos) + 8 + minute, range);
    return expected;
  }
};

TEST_F(WalkedClips, EveryWayAnEditorSavesTheClipWritesOnlyItsAudio) {
  const Bytes edited = PatternBytes(minute, 5);
  const WaveShape plain = ClipShapeOf(shape);
  const auto with = [&](const std::function<void(WaveShape&)>& change) {
    WaveShape s = plain;
    change(s);
    return s;
  };
  const struct {
    const char* what;
    Bytes file;
  } clips[] = {
      {"canonical", MakeWave(plain, edited)},
      {"JUNK before fmt, LIST before data",
       MakeWave(with([](WaveShape& s) {
                  s.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
                  s.chunksBeforeData = ListInfoChunk("ICMT", "data");
                }),
                edited)},
      {"RF64 with ds64 and a levl chunk after the audio",
       MakeRf64(with([](WaveShape& s) { s.trailer = Chunk("levl", Filler(40)); }), edited)},
      {"extensible fmt 40 with fact", MakeWave(with([](WaveShape& s) {
                                                 s.formatTag = kExtensibleFormat;
                                                 s.subFormat = 1;
                                                 s.fmtSize = 40;
                                                 s.chunksBeforeData = Chunk("fact", Le32(480000));
                                               }),
                                               edited)},
      {"data size 0, data chunk last", MakeWave(with([](WaveShape& s) {
                                                  s.statedSizeOverride = true;
                                                  s.statedSize = 0;
                                                }),
                                                edited)},
      {"data size 0xFFFFFFFF, data chunk last", MakeWave(with([](WaveShape& s) {
                                                           s.statedSizeOverride = true;
                                                           s.statedSize = 0xFFFFFFFF;
                                                         }),
                                                         edited)},
      {"odd chunk before data and id3 after",
       MakeWave(with([](WaveShape& s) {
                  s.chunksBeforeData = Chunk("PEAK", TextBytes("1data23"));
                  s.trailer = Chunk("id3 ", TextBytes("ID3data"));
                }),
                edited)},
  };
  for (const auto& c : clips) {
    SCOPED_TRACE(c.what);
    Restore();
    WriteFile(clip, c.file);
    ui.infos.clear();
    WriteBackClips({record}, ui);
    EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
    EXPECT_EQ(DifferenceOf(ReadFile(source), SourceWith(edited)), "");
  }
}

TEST_F(WalkedClips, AClipCutShortIsRefusedAndTheSourceKept) {
  const Bytes edited = PatternBytes(minute, 7);
  const struct {
    const char* what;
    Bytes file;
  } clips[] = {
      {"RIFF stating a minute", MakeWave(ClipShapeOf(shape), edited)},
      {"RF64 whose ds64 states a minute", MakeRf64(ClipShapeOf(shape), edited)},
  };
  for (const auto& c : clips) {
    SCOPED_TRACE(c.what);
    Restore();
    // A copy that stopped part way: the header states a minute, the file holds 0.6 of it.
    WriteFile(clip, Slice(c.file, 0, c.file.size() - minute * 4 / 10));
    EXPECT_EQ(ErrorOf([&] { WriteBackClips({record}, ui); }), FormatText(texts::kClipCutShort, clip));
    EXPECT_EQ(DifferenceOf(ReadFile(source), layout.file), "");
  }
}

}  // namespace
}  // namespace ostrevan::testing
