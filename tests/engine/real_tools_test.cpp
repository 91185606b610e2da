// Files as real tools write them (sox, ffmpeg: extensible fmt chunks, fact and LIST chunks),
// made at test time: clips cut from them hold the source's bytes and open in those tools,
// and clips edited by them go back into the source without touching anything else.
// Native only; each test is skipped when a tool it needs is missing.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "little_endian.h"
#include "load_wave.h"
#include "processes.h"
#include "save_clip.h"
#include "test_waves.h"
#include "texts.h"
#include "tool_probes.h"
#include "wave_format.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

// A source made by a tool.
struct ToolSource {
  const char* what;
  std::string command;  // %s: the output path
  bool appendList = false;  // a LIST chunk after the data, as some editors leave it
};

std::string Format(const std::string& pattern, const std::string& path) {
  std::string out = pattern;
  out.replace(out.find("%s"), 2, ShellQuoted(path));
  return out;
}

// Two minutes and ten seconds at 8,000 frames per second.
std::vector<ToolSource> Sources() {
  const std::string tone = "synth 130 whitenoise";  // noise: a shifted copy never matches
  const std::string lavfi = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:d=130:a=0.5 ";
  return {
      {"sox 16-bit stereo", "sox -n -r 8000 -c 2 -b 16 %s " + tone},
      {"sox 24-bit stereo (extensible, fact)", "sox -n -r 8000 -c 2 -b 24 %s " + tone},
      {"sox 32-bit float mono (fmt 18, fact)", "sox -n -r 8000 -c 1 -e floating-point -b 32 %s synth 130 whitenoise"},
      {"ffmpeg 24-bit stereo (extensible, LIST)", lavfi + "-ac 2 -c:a pcm_s24le %s"},
      {"ffmpeg 16-bit mono (LIST before and after)", lavfi + "-c:a pcm_s16le -metadata title=take %s", true},
  };
}

// Adds a LIST chunk after the audio data and corrects the RIFF size.
void AppendListChunk(const std::string& path) {
  Bytes file = ReadFile(path);
  const Bytes list = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 4, 0, 0, 0, 'n', 'o', 't', 'e'});
  file.insert(file.end(), list.begin(), list.end());
  WriteU32(&file[4], static_cast<uint32_t>(file.size() - 8));
  WriteFile(path, file);
}

std::string MakeSource(const ScratchDir& dir, const ToolSource& source, const std::string& name) {
  const std::string path = dir.File(name);
  if (!ShellSucceeds(Format(source.command, path))) throw std::runtime_error(std::string("tool failed: ") + source.what);
  if (source.appendList) AppendListChunk(path);
  return path;
}

TEST(RealTools, ClipsHoldTheSourceBytesAndOpenInTheTools) {
  if (const std::string missing = MissingTool({"sox", "soxi", "ffmpeg", "ffprobe"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  for (const ToolSource& tool : Sources()) {
    SCOPED_TRACE(tool.what);
    ScratchDir dir;
    const std::string path = MakeSource(dir, tool, "take.wav");
    // The source's audio and format as sox decodes them, not as the engine reads them.
    const Bytes audio = SoxAudio(path);
    const ToolInfo source = Soxi(path);
    const uint16_t frame = source.BlockAlign();
    ASSERT_EQ(source.rate, 8000);
    ASSERT_EQ(source.samples, 130u * 8000u);
    ASSERT_EQ(audio.size(), source.samples * frame);
    LoadedWave wave;
    LoadWave(path, wave);
    ASSERT_EQ(wave.playTime.wholeMinutes, 2);
    const size_t minute = size_t{8000} * frame * 60;
    const size_t wholeFrames = audio.size() - audio.size() % frame;
    RecordingUi ui;
    SaveClip(wave, "1", "1", path, ClipMode::StartMinute, ui);
    SaveClip(wave, "2", "0", path, ClipMode::FromEnd, ui);
    SaveClip(wave, "5", "1", path, ClipMode::StartMinute, ui);  // ends with the audio, before any LIST
    ASSERT_EQ(ui.infos.size(), 3u);

    const struct {
      const char* name;
      size_t offset, bytes;
    } clips[] = {{"take-1-1.wav", minute, minute},
                 {"take-L-2.wav", wholeFrames - 2 * minute, 2 * minute},
                 {"take-1-5.wav", minute, audio.size() - minute}};
    const WalkedWave walked = WalkWave(path);
    for (const auto& clip : clips) {
      SCOPED_TRACE(clip.name);
      const std::string clipPath = dir.File(clip.name);
      const Bytes bytes = ReadFile(clipPath);
      // An extensible source's fmt chunk is kept whole; any other becomes the canonical 16 bytes.
      const bool extensible = walked.formatTag == kExtensibleFormat;
      const size_t header = extensible ? 68 : 44;
      ASSERT_EQ(bytes.size(), header + clip.bytes);
      EXPECT_EQ(Slice(bytes, header, clip.bytes), Slice(audio, clip.offset, clip.bytes));
      EXPECT_EQ(ReadU32(&bytes[16]), extensible ? 40u : 16u);
      EXPECT_EQ(ReadU16(&bytes[20]), extensible ? kExtensibleFormat : walked.encoding);
      if (&clip != &clips[0]) continue;  // the tools are slow to start: one clip per source
      // The tools accept the clip: the source's format, and its samples counted as we do.
      EXPECT_TRUE(ShellSucceeds("ffprobe -v error " + ShellQuoted(clipPath)));
      const ToolInfo read = Soxi(clipPath);
      ASSERT_GT(read.seconds, 0) << "soxi refused the clip";
      EXPECT_EQ(read.samples, clip.bytes / frame);
      EXPECT_EQ(read.channels, source.channels);
      EXPECT_EQ(read.rate, source.rate);
      EXPECT_EQ(read.bits, source.bits);
    }
  }
}

class RoundTrip : public ::testing::Test {
 protected:
  ScratchDir dir;
  RecordingUi ui;

  // Cuts minute 1 of `source` and returns the record's path.
  std::string CutMinuteOne(const std::string& source) {
    LoadedWave wave;
    LoadWave(source, wave);
    SaveClip(wave, "1", "1", source, ClipMode::StartMinute, ui);
    return PathWithoutExtension(source) + "-1-1.ini";
  }

  // Replaces `clip` by what `command` (with %s for its input, %o for its output) makes of it.
  static void EditInPlace(const std::string& clip, std::string command) {
    const std::string edited = PathWithoutExtension(clip) + "-edited.wav";
    command.replace(command.find("%s"), 2, ShellQuoted(clip));
    command.replace(command.find("%o"), 2, ShellQuoted(edited));
    ASSERT_TRUE(ShellSucceeds(command)) << command;
    fs::rename(edited, clip);
  }

  // Writes the clip back and checks that exactly the clip's range of the source now holds the
  // edited audio.
  void ExpectWrittenBack(const std::string& source, const std::string& record) {
    const Bytes before = ReadFile(source);
    const int64_t dataStart = WalkWave(source).dataStart;
    const size_t minute = size_t{8000} * Soxi(source).BlockAlign() * 60;
    const Bytes edited = SoxAudio(PathWithoutExtension(record) + ".wav");
    ASSERT_EQ(edited.size(), minute);
    ASSERT_NE(edited, Slice(before, static_cast<size_t>(dataStart) + minute, minute)) << "the edit changed nothing";
    ui.infos.clear();
    WriteBackClips({record}, ui);
    EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
    Bytes expected = before;
    std::copy(edited.begin(), edited.end(), expected.begin() + dataStart + static_cast<std::ptrdiff_t>(minute));
    EXPECT_EQ(ReadFile(source), expected);
  }
};

TEST_F(RoundTrip, SoxAndFfmpegEditsGoBackIntoTheSource) {
  if (const std::string missing = MissingTool({"sox", "ffmpeg"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  const struct {
    const char* what;
    int sourceIndex;
    const char* codec;
  } cases[] = {{"16-bit", 0, "pcm_s16le"}, {"24-bit extensible", 1, "pcm_s24le"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string source = MakeSource(dir, Sources()[c.sourceIndex], std::string("src") + c.codec + ".wav");
    const std::string record = CutMinuteOne(source);
    const std::string clip = PathWithoutExtension(record) + ".wav";

    EditInPlace(clip, "sox %s %o vol 0.5");
    ExpectWrittenBack(source, record);

    // ffmpeg adds a LIST chunk (and for 24 bits an extensible fmt chunk) before the audio.
    EditInPlace(clip, std::string("ffmpeg -nostdin -v error -y -i %s -af volume=0.5 -c:a ") + c.codec + " %o");
    ASSERT_GT(WalkWave(clip).dataStart, 44);
    ExpectWrittenBack(source, record);
  }
}

// ffmpeg's RF64 writer with a peak chunk counts that chunk into ds64's data size; the sample
// count ends where the audio does. ffmpeg, sox and libsndfile all decode the peak chunk as
// 0.39 s more audio; only the 50 s they decode first reach the source, then zeros.
TEST_F(RoundTrip, AnRf64ClipWithAPeakChunkWritesOnlyItsSamples) {
  if (const std::string missing = MissingTool({"sox", "ffmpeg"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  const std::string source = MakeSource(dir, Sources()[0], "peak.wav");
  const std::string record = CutMinuteOne(source);
  const std::string clip = PathWithoutExtension(record) + ".wav";
  EditInPlace(clip, "ffmpeg -nostdin -v error -y -i %s -af volume=0.5 -c:a pcm_s16le -rf64 always "
                    "-write_peak on %o");
  ASSERT_EQ(AsText(Slice(ReadFile(clip), 0, 4)), "RF64");
  const std::string raw = dir.File("decoded.raw");
  ASSERT_TRUE(ShellSucceeds("ffmpeg -nostdin -v error -y -i " + ShellQuoted(clip) + " -f s16le " + ShellQuoted(raw)));
  const size_t minute = size_t{8000} * 4 * 60;
  Bytes decoded = ReadFile(raw);
  ASSERT_GT(decoded.size(), minute) << "the peak chunk, decoded as audio";
  decoded.resize(minute);

  const Bytes before = ReadFile(source);
  const int64_t dataStart = WalkWave(source).dataStart;
  WriteBackClips({record}, ui);
  EXPECT_EQ(DifferenceOf(ReadFile(source), With(before, static_cast<uint64_t>(dataStart) + minute, decoded)), "");
}

// Eight channels as sox and ffmpeg write them, extensible with the 7.1 channel mask: the
// clip keeps the source's fmt chunk, and so its channel layout, as ffprobe reads it.
TEST_F(RoundTrip, ClipsOfExtensibleSourcesKeepTheirChannelLayout) {
  if (const std::string missing = MissingTool({"sox", "ffmpeg", "ffprobe"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  const std::vector<ToolSource> sources = {
      {"sox 8 channels", "sox -n -r 8000 -c 8 -b 24 %s synth 130 whitenoise"},
      {"ffmpeg 7.1", "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:d=130 -af "
                     "'pan=7.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0|c6=c0|c7=c0' -c:a pcm_s24le %s"}};
  for (const ToolSource& tool : sources) {
    SCOPED_TRACE(tool.what);
    const std::string source = MakeSource(dir, tool, "eight.wav");
    const std::string clip = PathWithoutExtension(CutMinuteOne(source)) + ".wav";
    auto layoutOf = [](const std::string& path) {
      return RunShell("ffprobe -v error -show_entries stream=channel_layout -of csv=p=0 " + ShellQuoted(path));
    };
    EXPECT_EQ(layoutOf(source), "7.1\n");
    EXPECT_EQ(layoutOf(clip), "7.1\n");
    EditInPlace(clip, "sox %s %o vol 0.5");
    ExpectWrittenBack(source, PathWithoutExtension(clip) + ".ini");
  }
}

TEST_F(RoundTrip, SixteenBitEditOfATwentyFourBitSourceIsRefused) {
  if (const std::string missing = MissingTool({"sox"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  const std::string source = MakeSource(dir, Sources()[1], "src24.wav");
  const std::string record = CutMinuteOne(source);
  const std::string clip = PathWithoutExtension(record) + ".wav";
  EditInPlace(clip, "sox %s -b 16 %o");
  const Bytes before = ReadFile(source);
  try {
    WriteBackClips({record}, ui);
    ADD_FAILURE() << "no error";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.message(), FormatText(u8"ファイル %s の形式が取り出し元と違います", clip));
  }
  EXPECT_EQ(ReadFile(source), before);
}

// Files as real tools write them: extensible fmt chunks, fact and LIST chunks before the data.
TEST(LoadWave, FilesFromRealTools) {
  ScratchDir dir;
  struct Tool {
    std::string command;
    const char* attributes;
  };
  const std::string sox = dir.File("sox24.wav");
  const std::string ff = dir.File("ffmpeg.wav");
  const Tool tools[] = {
      {"sox -q -n -r 48000 -c 2 -b 24 '" + sox + "' synth 65 sine 440", u8"WAV属性:stereo/24bit/48000Hz"},
      {"ffmpeg -loglevel error -y -f lavfi -i sine=d=65 '" + ff + "'", u8"WAV属性:mono/16bit/44100Hz"},
  };
  for (const Tool& tool : tools) {
    if (!ShellSucceeds(tool.command)) GTEST_SKIP() << "tool not available: " << tool.command;
  }
  LoadedWave wave;
  LoadOutcome outcome = LoadWave(sox, wave);
  EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:1分5秒"));
  EXPECT_EQ(outcome.attributesText, Text(tools[0].attributes));
  EXPECT_EQ(wave.layout.fmt.formatTag, 0xFFFE);
  EXPECT_EQ(wave.layout.fmt.subFormat, 1);
  outcome = LoadWave(ff, wave);
  EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:1分5秒"));
  EXPECT_EQ(outcome.attributesText, Text(tools[1].attributes));
  EXPECT_GT(wave.layout.dataTagPos, 36);  // behind the LIST chunk
}

}  // namespace
}  // namespace ostrevan::testing

#endif  // _WIN32
