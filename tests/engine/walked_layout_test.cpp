// Every layout of the table (tests/support/layouts.h), built byte by byte: the audio is found
// by walking the chunk chain (JUNK, bext, iXML, cue and LIST chunks before the audio, odd
// sizes with their pad bytes, RF64 with ds64, sizes a recorder never filled in), the byte
// scan is used only when the chain breaks, clips are plain WAV files of the source's format,
// and a write-back changes nothing but the clip's range of the source's audio. Then the
// encodings that load, the walk's limits, and clips saved in every way editors save them.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "layouts.h"
#include "little_endian.h"
#include "load_wave.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

constexpr uint64_t kSeconds = kLayoutSeconds;

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

WaveShape Mono16() { return SampleShape(1, 1, 8000, 16); }

// Filler bytes for a chunk that must never hold the bytes "data".
Bytes Filler(size_t count) { return Bytes(count, 'x'); }

class WalkedLayout : public ::testing::TestWithParam<LayoutRow> {
 protected:
  ScratchDir dir;
  RecordingUi ui;
};

TEST_P(WalkedLayout, LoadsCutsAndWritesBackTheAudioItself) {
  const WaveLayout layout = GetParam().make();
  const std::string path = dir.File("take.wav");
  WriteFile(path, layout.file);
  const uint64_t minute = BytesPerMinute(layout.shape);
  const Bytes audio = Slice(layout.audio, 0, layout.audioSize);

  LoadedWave wave;
  const LoadOutcome outcome = LoadWave(path, wave);
  EXPECT_EQ(wave.layout.dataTagPos, layout.dataTagPos);
  EXPECT_EQ(wave.layout.AudioSize(), layout.audioSize);
  EXPECT_EQ(wave.layout.fmt.formatTag, layout.shape.formatTag);
  EXPECT_EQ(wave.layout.fmt.subFormat, layout.shape.fmtSize >= 40 ? layout.shape.subFormat : 0);
  EXPECT_EQ(wave.layout.format.encoding,
            layout.shape.formatTag == kExtensibleFormat ? layout.shape.subFormat : layout.shape.formatTag);
  EXPECT_EQ(outcome.playTimeText, layout.PlayTime());
  EXPECT_EQ(outcome.attributesText, layout.Attributes());
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

INSTANTIATE_TEST_SUITE_P(Layouts, WalkedLayout, ::testing::ValuesIn(LayoutRows()),
                         [](const ::testing::TestParamInfo<LayoutRow>& param) { return std::string(param.param.name); });

// The fields a failed load must leave alone.
std::vector<int64_t> Fields(const LoadedWave& wave) {
  const AudioLayout& layout = wave.layout;
  const LoadedPlayTime& time = wave.playTime;
  return {layout.dataTagPos,      static_cast<int64_t>(layout.AudioSize()), layout.format.channels,
          layout.fmt.formatTag,   layout.fmt.subFormat,                      time.sampleRate,
          time.blockAlign,        time.wholeMinutes,                         time.seconds};
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
  LoadedWave wave;
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

    LoadWave(good, wave);
    const std::vector<int64_t> before = Fields(wave);
    const std::string error = ErrorOf([&] { LoadWave(path, wave); });
    if (c.loads) {
      EXPECT_EQ(error, "(no error)");
      EXPECT_EQ(wave.layout.AudioSize(), kSeconds * 8000 * shape.blockAlign);
    } else {
      EXPECT_EQ(error, FormatText(texts::kCompressedFormat, path));
      EXPECT_EQ(Fields(wave), before);
      EXPECT_EQ(wave.path, good);
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
  LoadedWave wave;
  WriteFile(good, MakeWave(Mono8000(), PatternBytes(kSeconds * 8000)));
  const std::string path = dir.File("big-endian.wav");
  WriteFile(path, BigEndianWave(PatternBytes(kSeconds * 32000)));
  LoadWave(good, wave);
  const std::vector<int64_t> before = Fields(wave);
  EXPECT_EQ(ErrorOf([&] { LoadWave(path, wave); }), FormatText(texts::kBigEndianFormat, path));
  EXPECT_EQ(Fields(wave), before);
  EXPECT_EQ(wave.path, good);
}

// A long chain before fmt: the walk is bounded, so the load ends quickly either way.
TEST(WalkedLayoutLimits, HundredThousandChunksBeforeFmtEndQuickly) {
  ScratchDir dir;
  WaveShape shape = Mono8000();
  const Bytes empty = Chunk("pad ", {});
  for (int i = 0; i < 100000; ++i) shape.chunksBeforeFmt.insert(shape.chunksBeforeFmt.end(), empty.begin(), empty.end());
  const WaveLayout layout = LayoutOf(shape, PatternBytes(kSeconds * 8000));
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
  WaveLayout layout;
  Bytes recordAsCut;

  void SetUp() override {
    shape.chunksBeforeFmt = BextChunk("Card 2 data, river bank");
    layout = LayoutOf(shape, PatternBytes(kSeconds * 16000));
    WriteFile(source, layout.file);
    LoadedWave wave;
    LoadWave(source, wave);
    SaveClip(wave, "1", "1", source, ClipMode::StartMinute, ui);
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
