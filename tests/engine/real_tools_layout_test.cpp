// Chunk layouts as real tools write them (ffmpeg, sox, libsndfile), some finished by hand
// where no tool here writes the layout: what the load shows agrees with soxi and ffprobe,
// clips hold the source's audio at the minute asked and open in both tools, and a clip
// edited by sox, by ffmpeg and by libsndfile goes back into exactly its range.
// Native only; skipped when a tool is missing.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "clip_record.h"
#include "little_endian.h"
#include "load_wave.h"
#include "processes.h"
#include "save_clip.h"
#include "test_waves.h"
#include "texts.h"
#include "tool_probes.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";  // Debian's, with python3-soundfile

// Rewrites `path` through libsndfile at half the level, with two markers: libsndfile puts a
// cue chunk before the audio, each of its points holding the four bytes "data".
const char* const kMarkerScript = R"PY(
import array, struct, sys
import soundfile as sf
from soundfile import _ffi, _snd
src, dst = sys.argv[1], sys.argv[2]
with sf.SoundFile(src) as f:
    rate, channels, subtype = f.samplerate, f.channels, f.subtype
    dtype = 'float32' if subtype in ('FLOAT', 'DOUBLE') else 'int32'
    code = 'f' if dtype == 'float32' else 'i'
    samples = array.array(code, bytes(f.buffer_read(dtype=dtype)))
    audio = array.array(code, (v / 2 if code == 'f' else v // 2 for v in samples)).tobytes()
with sf.SoundFile(dst, 'w', rate, channels, subtype, format='WAV') as f:
    size = 4 + 100 * 280
    cues = _ffi.new('char[]', size)
    struct.pack_into('<I', _ffi.buffer(cues), 0, 2)
    for n, position in enumerate((800, 1600)):
        struct.pack_into('<iIiiiI256s', _ffi.buffer(cues), 4 + n * 280, n + 1, position,
                         0x61746164, 0, 0, position, b'mark')
    if _snd.sf_command(f._file, 0x10CF, cues, size) != 1:
        sys.exit('libsndfile refused the markers')
    f.buffer_write(audio, dtype=dtype)
)PY";

// Inserts `bytes` at `at` and corrects the RIFF size.
void InsertAt(const std::string& path, size_t at, const Bytes& bytes) {
  Bytes file = ReadFile(path);
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
  WriteU32(&file[4], static_cast<uint32_t>(file.size() - 8));
  WriteFile(path, file);
}

void InsertBeforeData(const std::string& path, const Bytes& bytes) {
  InsertAt(path, static_cast<size_t>(WalkWave(path).dataTagPos), bytes);
}

void Append(const std::string& path, const Bytes& bytes) { InsertAt(path, ReadFile(path).size(), bytes); }

// A recorder that lost power: the data size as it wrote it at the start, and half a frame.
void Unfinish(const std::string& path, uint32_t statedSize) {
  Bytes file = ReadFile(path);
  WriteU32(&file[static_cast<size_t>(WalkWave(path).dataTagPos) + 4], statedSize);
  WriteU32(&file[4], statedSize);
  file.push_back(0x5A);
  WriteFile(path, file);
}

struct ToolLayout {
  const char* name;
  std::string command;  // %o: the file to write
  std::function<void(const std::string&)> finish;  // by hand, after the tool
  // sox takes a stated size of 0 as no audio and 0xFFFFFFFF as 134,217 seconds (it still
  // decodes to the end): for those files only ffprobe is asked about the length.
  bool soxLengthWrong = false;
};
// Printed by its name in test names and failures, not as raw bytes.
void PrintTo(const ToolLayout& c, std::ostream* out) { *out << c.name; }

const std::string kNoise = "synth 130 whitenoise";
const std::string kLavfi = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:d=130:a=0.5 ";
const std::string kBitexact = kLavfi + "-c:a pcm_s16le -map_metadata -1 -fflags +bitexact %o";

std::vector<ToolLayout> ToolLayouts() {
  return {
      {"FfmpegBitexactCanonical", kBitexact, nullptr},
      {"SoxPlain16BitStereoCanonical", "sox -n -r 8000 -c 2 -b 16 %o " + kNoise, nullptr},
      {"FfmpegRf64AutoJunkBeforeFmt", kLavfi + "-c:a pcm_u8 -rf64 auto %o", nullptr},
      {"FfmpegRf64AlwaysDs64", kLavfi + "-ac 2 -c:a pcm_s16le -rf64 always %o", nullptr},
      {"FfmpegBextAfterFmtSayingData",
       kLavfi + "-c:a pcm_s16le -write_bext 1 -metadata description='field recording data set 3' %o", nullptr},
      {"BextBeforeFmtSayingData", kBitexact,
       [](const std::string& path) { InsertAt(path, 12, BextChunk("Card 2 data, river bank")); }},
      {"FfmpegListInfoCommentMetadata", kLavfi + "-c:a pcm_s16le -metadata comment=metadata %o", nullptr},
      {"IxmlBeforeTheAudio", kBitexact,
       [](const std::string& path) {
         InsertBeforeData(path, Chunk("iXML", TextBytes("<?xml version=\"1.0\"?><BWFXML><NOTE>data take 3</NOTE></BWFXML>")));
       }},
      {"LibsndfileMarkersCueHoldingData", "sox -n -r 8000 -c 2 -b 16 %o.in.wav " + kNoise +
                                              " && /usr/bin/python3 %o.py %o.in.wav %o && rm %o.in.wav",
       nullptr},
      {"SndfileMetadataSetBext",
       kBitexact + " && mv %o %o.in.wav && sndfile-metadata-set --bext-description 'Card 2 data, river bank' "
                   "%o.in.wav %o && rm %o.in.wav",
       nullptr},
      {"OddChunksWithPadBytesBeforeFmtAndData", kBitexact,
       [](const std::string& path) {
         InsertAt(path, 12, Chunk("note", TextBytes("take!")));
         InsertBeforeData(path, Chunk("PEAK", TextBytes("1data23")));
       }},
      {"SoxFloatFmt18WithFact", "sox -n -r 8000 -c 1 -e floating-point -b 32 %o " + kNoise, nullptr},
      {"SoxExtensible24BitSixChannelsWithFact", "sox -n -r 8000 -c 6 -b 24 %o " + kNoise, nullptr},
      {"ListCueSmplAndId3AfterTheAudio", kBitexact,
       [](const std::string& path) {
         Append(path, Joined({ListInfoChunk("ICMT", "data"), CueChunk({100}), Chunk("smpl", Bytes(36, 0)),
                              Chunk("id3 ", TextBytes("ID3data"))}));
       }},
      {"UnfinishedDataSizeZero", "sox -n -r 8000 -c 1 -b 16 %o " + kNoise,
       [](const std::string& path) { Unfinish(path, 0); }, true},
      {"UnfinishedDataSizeAllOnes", "sox -n -r 8000 -c 1 -b 16 %o " + kNoise,
       [](const std::string& path) { Unfinish(path, 0xFFFFFFFF); }, true},
  };
}

std::string Expand(std::string command, const std::string& path) {
  for (size_t at; (at = command.find("%o")) != std::string::npos;) command.replace(at, 2, ShellQuoted(path));
  return command;
}

class ToolLayoutTest : public ::testing::TestWithParam<ToolLayout> {
 protected:
  ScratchDir dir;
  RecordingUi ui;
  std::string source = dir.File("take.wav");

  void SetUp() override {
    const std::string missing = MissingTool({"sox", "soxi", "ffmpeg", "ffprobe", "sndfile-metadata-set", kPython});
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
    if (!ShellSucceeds(std::string(kPython) + " -c 'import soundfile'")) GTEST_SKIP() << "python3-soundfile is not installed";
    WriteFile(source + ".py", std::string(kMarkerScript));
    ASSERT_TRUE(ShellSucceeds(Expand(GetParam().command, source))) << GetParam().command;
    if (GetParam().finish) GetParam().finish(source);
  }

  // Replaces the clip by what an editor makes of it.
  void Edit(const std::string& clip, const std::string& command) {
    const std::string edited = clip + ".edited.wav";
    std::string expanded = command;
    expanded.replace(expanded.find("%i"), 2, ShellQuoted(clip));
    expanded.replace(expanded.find("%e"), 2, ShellQuoted(edited));
    ASSERT_TRUE(ShellSucceeds(expanded)) << expanded;
    fs::rename(edited, clip);
  }
};

TEST_P(ToolLayoutTest, AgreesWithTheToolsAndWritesBackOnlyTheClipsRange) {
  const ToolInfo probe = Ffprobe(source);
  const ToolInfo soxi = Soxi(source);
  ASSERT_GT(probe.seconds, 0) << "ffprobe cannot read the source";
  ASSERT_GT(soxi.channels, 0) << "soxi cannot read the source";
  // Both tools see the same format; the length only where sox reads it.
  EXPECT_EQ(soxi.channels, probe.channels);
  EXPECT_EQ(soxi.rate, probe.rate);
  EXPECT_EQ(soxi.bits, probe.bits);
  if (!GetParam().soxLengthWrong) {
    EXPECT_DOUBLE_EQ(soxi.seconds, probe.seconds);
  }

  const uint16_t blockAlign = static_cast<uint16_t>(probe.channels * probe.bits / 8);
  const Bytes audio = FfmpegAudio(source, blockAlign);
  ASSERT_FALSE(audio.empty());
  EXPECT_EQ(DifferenceOf(WalkedAudio(source), audio), "") << "the suite's own reading disagrees with ffmpeg";
  if (!GetParam().soxLengthWrong) {
    EXPECT_EQ(DifferenceOf(SoxAudio(source), audio), "");
  }

  LoadedWave& wave = TheLoadedWave();
  const LoadOutcome outcome = LoadWave(source, wave);
  EXPECT_EQ(outcome.playTimeText, PlayTimeText(static_cast<uint64_t>(std::floor(probe.seconds))));
  EXPECT_EQ(outcome.attributesText, AttributesText(probe.channels, probe.bits, probe.rate));
  EXPECT_EQ(wave.layout.AudioSize(), audio.size());
  EXPECT_EQ(wave.layout.dataTagPos, WalkWave(source).dataTagPos);

  const uint64_t minute = uint64_t{8000} * blockAlign * 60;
  SaveClip(wave, "1", "1", source, ClipMode::StartMinute, ui);
  SaveClip(wave, "1", "0", source, ClipMode::FromEnd, ui);
  ASSERT_EQ(ui.infos, std::vector<std::string>(2, Text(u8"終わりました")));
  const std::string clip = dir.File("take-1-1.wav");
  const std::string record = dir.File("take-1-1.ini");
  const struct {
    std::string path;
    uint64_t offset;
  } clips[] = {{clip, minute}, {dir.File("take-L-1.wav"), audio.size() - minute}};
  for (const auto& c : clips) {
    SCOPED_TRACE(c.path);
    const Bytes bytes = ReadFile(c.path);
    // An extensible source's 40-byte fmt chunk is kept; any other becomes the canonical 16.
    const bool extensible = wave.layout.fmt.formatTag == kExtensibleFormat;
    const size_t header = extensible ? 68 : 44;
    ASSERT_EQ(bytes.size(), header + minute);
    EXPECT_EQ(Slice(bytes, 0, 16),
              Joined({TextBytes("RIFF"), Le32(static_cast<uint32_t>(header - 8 + minute)), TextBytes("WAVEfmt ")}));
    EXPECT_EQ(ReadU32(&bytes[16]), extensible ? 40u : 16u);
    EXPECT_EQ(ReadU16(&bytes[20]), extensible ? kExtensibleFormat : WalkWave(source).encoding);
    EXPECT_EQ(std::string(bytes.begin() + header - 8, bytes.begin() + header - 4), "data");
    EXPECT_EQ(ReadU32(&bytes[header - 4]), minute);
    EXPECT_EQ(DifferenceOf(Slice(bytes, header, minute), Slice(audio, c.offset, minute)), "");
    const ToolInfo clipProbe = Ffprobe(c.path);
    const ToolInfo clipSoxi = Soxi(c.path);
    for (const ToolInfo& info : {clipProbe, clipSoxi}) {
      EXPECT_EQ(info.channels, probe.channels);
      EXPECT_EQ(info.rate, probe.rate);
      EXPECT_EQ(info.bits, probe.bits);
      EXPECT_DOUBLE_EQ(info.seconds, 60.0);
    }
  }

  // Three editors in turn: each edit goes back into the clip's range and nowhere else, and
  // the source still opens in both tools with its length.
  const std::string codec = Ffprobe(clip).codec;
  const std::string editors[] = {
      "sox %i %e vol 0.5",
      "ffmpeg -nostdin -v error -y -i %i -af volume=0.5 -metadata comment=data -c:a " + codec + " %e",
      std::string(kPython) + " " + ShellQuoted(source + ".py") + " %i %e",
  };
  for (const std::string& editor : editors) {
    SCOPED_TRACE(editor);
    Edit(clip, editor);
    const Bytes edited = FfmpegAudio(clip, blockAlign);
    ASSERT_EQ(edited.size(), minute);
    EXPECT_EQ(DifferenceOf(WalkedAudio(clip), edited), "");
    Bytes expected = ReadFile(source);
    const int64_t at = WalkWave(source).dataStart + static_cast<int64_t>(minute);
    ASSERT_FALSE(Slice(expected, static_cast<uint64_t>(at), minute) == edited) << "the edit changed nothing";
    std::copy(edited.begin(), edited.end(), expected.begin() + at);
    ui.infos.clear();
    WriteBackClips({record}, ui);
    EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
    EXPECT_EQ(DifferenceOf(ReadFile(source), expected), "");
    EXPECT_DOUBLE_EQ(Ffprobe(source).seconds, probe.seconds);
    if (!GetParam().soxLengthWrong) {
      EXPECT_DOUBLE_EQ(Soxi(source).seconds, soxi.seconds);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolLayoutTest, ::testing::ValuesIn(ToolLayouts()),
                         [](const ::testing::TestParamInfo<ToolLayout>& param) { return std::string(param.param.name); });

// Files whose samples are no bytes to cut: refused at load, as the tools write them.
TEST(ToolFormats, AdpcmAndBigEndianRifxAreRefused) {
  if (const std::string missing = MissingTool({"sox", "ffmpeg"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  ScratchDir dir;
  const std::string adpcm = dir.File("adpcm.wav");
  const std::string rifx = dir.File("rifx.wav");
  ASSERT_TRUE(ShellSucceeds(Expand(kLavfi + "-c:a adpcm_ms %o", adpcm)));
  ASSERT_TRUE(ShellSucceeds(Expand("sox -n -r 8000 -c 2 -b 16 -B %o " + kNoise, rifx)));
  ASSERT_EQ(ReadRange(rifx, 0, 4), TextBytes("RIFX"));
  LoadedWave wave;
  EXPECT_EQ(ErrorOf([&] { LoadWave(adpcm, wave); }), FormatText(texts::kCompressedFormat, adpcm));
  EXPECT_EQ(ErrorOf([&] { LoadWave(rifx, wave); }), FormatText(texts::kBigEndianFormat, rifx));
}

}  // namespace
}  // namespace ostrevan::testing

#endif  // _WIN32
