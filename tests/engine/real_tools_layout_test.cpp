// The table of layouts (tests/support/layouts.h) against real tools. The table's own bytes:
// ffmpeg and sox find the format and the audio the table says a load must find. The layouts
// as the tools write them (ffmpeg, sox, libsndfile, some finished by hand where no tool here
// writes the layout): the tool's file holds the row's chunks in the row's order, what the
// load shows agrees with soxi and ffprobe, clips hold the source's audio at the minute asked
// and open in both tools, and a clip edited by sox, by ffmpeg and by libsndfile goes back
// into exactly its range. Native only; skipped when a tool is missing.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "clip_record.h"
#include "layouts.h"
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

// A layout of the table as a tool writes it.
struct ToolMade {
  LayoutRow row;
  ToolRecipe recipe;
};
// Printed by the recipe's name in test names and failures, not as raw bytes.
void PrintTo(const ToolMade& made, std::ostream* out) { *out << made.recipe.name; }

std::vector<ToolMade> ToolMadeLayouts() {
  std::vector<ToolMade> made;
  for (const LayoutRow& row : LayoutRows()) {
    for (const ToolRecipe& recipe : row.tools) made.push_back({row, recipe});
  }
  return made;
}

std::vector<LayoutRow> UndamagedLayouts() {
  std::vector<LayoutRow> rows;
  for (const LayoutRow& row : LayoutRows()) {
    if (!row.damaged) rows.push_back(row);
  }
  return rows;
}

std::string Expand(std::string command, const std::string& path) {
  for (size_t at; (at = command.find("%o")) != std::string::npos;) command.replace(at, 2, ShellQuoted(path));
  return command;
}

std::string MissingTools() {
  const std::string missing = MissingTool({"sox", "soxi", "ffmpeg", "ffprobe", "sndfile-metadata-set", kPython});
  if (!missing.empty()) return missing + " is not installed";
  if (!ShellSucceeds(std::string(kPython) + " -c 'import soundfile'")) return "python3-soundfile is not installed";
  return "";
}

// The table's own bytes, as the tools read them: the format, and the audio the table says
// a load must find. Damaged files are not asked about: the tools follow every chunk's size.
class ToolLayoutReading : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(ToolLayoutReading, FindsTheAudioTheTableNames) {
  if (const std::string missing = MissingTools(); !missing.empty()) GTEST_SKIP() << missing;
  ScratchDir dir;
  const std::string path = dir.File("take.wav");
  const WaveLayout layout = GetParam().make();
  WriteFile(path, layout.file);
  const Bytes audio = Slice(layout.audio, 0, layout.audioSize);
  const ToolInfo probe = Ffprobe(path);
  EXPECT_EQ(probe.channels, layout.shape.channels);
  EXPECT_EQ(probe.rate, static_cast<int>(layout.shape.sampleRate));
  EXPECT_EQ(probe.bits, layout.shape.bitsPerSample);
  EXPECT_EQ(DifferenceOf(FfmpegAudio(path, layout.shape.blockAlign), audio), "") << "ffmpeg";
  if (GetParam().sox == SoxReads::Nothing) return;
  const ToolInfo soxi = Soxi(path);
  EXPECT_EQ(soxi.channels, layout.shape.channels);
  EXPECT_EQ(soxi.rate, static_cast<int>(layout.shape.sampleRate));
  EXPECT_EQ(soxi.bits, layout.shape.bitsPerSample);
  if (GetParam().sox == SoxReads::NotItsLength) return;
  // sox passes floating-point samples through its integers: of those, only the count.
  const Bytes decoded = SoxAudio(path);
  if ((layout.shape.formatTag == kExtensibleFormat ? layout.shape.subFormat : layout.shape.formatTag) == 3) {
    EXPECT_EQ(decoded.size(), audio.size()) << "sox";
  } else {
    EXPECT_EQ(DifferenceOf(decoded, audio), "") << "sox";
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ToolLayoutReading, ::testing::ValuesIn(UndamagedLayouts()),
                         [](const ::testing::TestParamInfo<LayoutRow>& param) { return std::string(param.param.name); });

class ToolLayoutTest : public ::testing::TestWithParam<ToolMade> {
 protected:
  ScratchDir dir;
  RecordingUi ui;
  std::string source = dir.File("take.wav");

  void SetUp() override {
    if (const std::string missing = MissingTools(); !missing.empty()) GTEST_SKIP() << missing;
    const ToolRecipe& recipe = GetParam().recipe;
    WriteFile(source + ".py", std::string(kMarkerScript));
    ASSERT_TRUE(ShellSucceeds(Expand(recipe.command, source))) << recipe.command;
    if (recipe.finish) recipe.finish(source);
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
  EXPECT_EQ(ChunkIds(ReadFile(source)), ChunkIds(GetParam().row.make().file))
      << "the tool does not write the layout of " << GetParam().row.name;
  const bool soxLengthWrong = GetParam().recipe.sox == SoxReads::NotItsLength;
  const ToolInfo probe = Ffprobe(source);
  const ToolInfo soxi = Soxi(source);
  ASSERT_GT(probe.seconds, 0) << "ffprobe cannot read the source";
  ASSERT_GT(soxi.channels, 0) << "soxi cannot read the source";
  // Both tools see the same format; the length only where sox reads it.
  EXPECT_EQ(soxi.channels, probe.channels);
  EXPECT_EQ(soxi.rate, probe.rate);
  EXPECT_EQ(soxi.bits, probe.bits);
  if (!soxLengthWrong) {
    EXPECT_DOUBLE_EQ(soxi.seconds, probe.seconds);
  }

  const uint16_t blockAlign = static_cast<uint16_t>(probe.channels * probe.bits / 8);
  const Bytes audio = FfmpegAudio(source, blockAlign);
  ASSERT_FALSE(audio.empty());
  EXPECT_EQ(DifferenceOf(WalkedAudio(source), audio), "") << "the suite's own reading disagrees with ffmpeg";
  if (!soxLengthWrong) {
    EXPECT_EQ(DifferenceOf(SoxAudio(source), audio), "");
  }

  LoadedWave wave;
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
    if (!soxLengthWrong) {
      EXPECT_DOUBLE_EQ(Soxi(source).seconds, soxi.seconds);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolLayoutTest, ::testing::ValuesIn(ToolMadeLayouts()),
                         [](const ::testing::TestParamInfo<ToolMade>& param) { return param.param.recipe.name; });

// Files whose samples are no bytes to cut: refused at load, as the tools write them.
const std::string kNoise = "synth 130 whitenoise";
const std::string kLavfi = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:d=130:a=0.5 ";

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
