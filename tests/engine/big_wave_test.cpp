// Recordings over 4 GiB, as sparse files: RF64 with its sizes in ds64, and a plain RIFF
// whose writer left 0xFFFFFFFF as the data size. Marker audio is written only where the
// test looks; clips cut beyond 4 GiB hold it, and their write-back lands there.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "texts.h"
#include "clip_record.h"
#include "little_endian.h"
#include "load_wave.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t k4GiB = uint64_t{1} << 32;
constexpr uint64_t kMinutes = 8960;              // 4,300,800,000 bytes of audio
constexpr uint64_t kAudio = kMinutes * kMono8000Minute;  // past 4 GiB by about 6 MB
constexpr uint64_t kCutMinute = 8950;            // starts at 4,296,000,000: beyond 4 GiB
static_assert(kCutMinute * kMono8000Minute > k4GiB);

bool HasRoomFor(const std::string& folder, uint64_t bytes) {
  std::error_code error;
  const fs::space_info space = fs::space(folder, error);
  return !error && space.available > bytes;
}

struct BigSource {
  std::string path;
  int64_t dataStart = 0;
};

// Writes `header`, makes the file hold `audioBytes` of (unwritten) audio after it, and puts
// markers at the minute to be cut and at the last minute.
// `lastAudio` is where the audio ends as the load should take it.
BigSource WriteBig(const std::string& path, const Bytes& header, uint64_t audioBytes, uint64_t lastAudio) {
  WriteFile(path, header);
  ResizeFile(path, header.size() + audioBytes);
  const auto start = static_cast<int64_t>(header.size());
  PutBytes(path, start + static_cast<int64_t>(kCutMinute * kMono8000Minute), PatternBytes(kMono8000Minute, 11));
  PutBytes(path, start + static_cast<int64_t>(lastAudio - kMono8000Minute), PatternBytes(kMono8000Minute, 12));
  return {path, start};
}

struct BigCase {
  const char* name;
  bool rf64;
  uint64_t fileAudio;   // bytes of audio the file holds
  uint64_t loadsAudio;  // bytes the load takes as audio
};
// Printed by its name in test names and failures, not as raw bytes.
void PrintTo(const BigCase& c, std::ostream* out) { *out << c.name; }

class BigWave : public ::testing::TestWithParam<BigCase> {
 protected:
  ScratchDir dir;
  RecordingUi ui;

  void SetUp() override {
    if (!HasRoomFor(dir.path(), 64u << 20)) GTEST_SKIP() << "no room for the sparse files' markers";
  }

  Bytes Header() const {
    const BigCase& c = GetParam();
    if (c.rf64) return MakeRf64(Mono8000(), {}, "RF64", static_cast<int64_t>(c.fileAudio));
    WaveShape shape = Mono16();
    shape.statedSizeOverride = true;
    shape.statedSize = 0xFFFFFFFF;
    Bytes header = MakeWave(shape, {});
    WriteU32(&header[4], 0xFFFFFFFF);
    return header;
  }

  static WaveShape Mono16() {
    WaveShape shape = Mono8000();
    shape.sampleRate = 4000;  // a minute is still 480,000 bytes
    shape.bitsPerSample = 16;
    shape.blockAlign = 2;
    return shape;
  }
};

TEST_P(BigWave, LoadsCutsBeyondFourGibAndWritesBackThere) {
  const BigCase& c = GetParam();
  const Bytes header = Header();
  const BigSource source = WriteBig(dir.File("long.wav"), header, c.fileAudio, c.loadsAudio);
  const uint64_t fileLength = header.size() + c.fileAudio;

  LoadedWave wave;
  const LoadOutcome outcome = LoadWave(source.path, wave);
  EXPECT_EQ(wave.layout.dataTagPos, source.dataStart - 8);
  EXPECT_EQ(wave.layout.AudioSize(), c.loadsAudio);
  EXPECT_EQ(wave.playTime.wholeMinutes, static_cast<int64_t>(kMinutes));
  EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:8960分0秒"));
  EXPECT_EQ(outcome.attributesText, c.rf64 ? Text(u8"WAV属性:mono/8bit/8000Hz") : Text(u8"WAV属性:mono/16bit/4000Hz"));

  SaveClip(wave, "1", std::to_string(kCutMinute), source.path, ClipMode::StartMinute, ui);
  SaveClip(wave, "1", "0", source.path, ClipMode::FromEnd, ui);
  ASSERT_EQ(ui.infos, std::vector<std::string>(2, Text(u8"終わりました")));
  const std::string clip = dir.File("long-8950-1.wav");
  const Bytes clipBytes = ReadFile(clip);
  ASSERT_EQ(clipBytes.size(), 44 + kMono8000Minute);
  EXPECT_EQ(std::string(clipBytes.begin(), clipBytes.begin() + 4), "RIFF");
  EXPECT_EQ(ReadU32(&clipBytes[40]), kMono8000Minute);
  EXPECT_EQ(DifferenceOf(Bytes(clipBytes.begin() + 44, clipBytes.end()), PatternBytes(kMono8000Minute, 11)), "");
  EXPECT_EQ(RecordHead(dir.File("long-8950-1.ini")),
            (std::vector<std::string>{std::to_string(kCutMinute * kMono8000Minute), std::to_string(kMono8000Minute), source.path}));
  const Bytes last = ReadFile(dir.File("long-L-1.wav"));
  ASSERT_EQ(last.size(), 44 + kMono8000Minute);
  EXPECT_EQ(DifferenceOf(Bytes(last.begin() + 44, last.end()), PatternBytes(kMono8000Minute, 12)), "");
  EXPECT_EQ(RecordHead(dir.File("long-L-1.ini"))[0], std::to_string(c.loadsAudio - kMono8000Minute));

  // Edited, the clip goes back to its place beyond 4 GiB, and nothing around it changes.
  const Bytes edited = PatternBytes(kMono8000Minute, 13);
  Bytes editedClip = clipBytes;
  std::copy(edited.begin(), edited.end(), editedClip.begin() + 44);
  WriteFile(clip, editedClip);
  const int64_t at = source.dataStart + static_cast<int64_t>(kCutMinute * kMono8000Minute);
  const Bytes before = ReadRange(source.path, at - 4096, 4096);
  const Bytes after = ReadRange(source.path, at + static_cast<int64_t>(kMono8000Minute), 4096);
  ui.infos.clear();
  WriteBackClips({dir.File("long-8950-1.ini")}, ui);
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(DifferenceOf(ReadRange(source.path, at, kMono8000Minute), edited), "");
  EXPECT_EQ(ReadRange(source.path, at - 4096, 4096), before);
  EXPECT_EQ(ReadRange(source.path, at + static_cast<int64_t>(kMono8000Minute), 4096), after);
  EXPECT_EQ(ReadRange(source.path, 0, header.size()), header);
  EXPECT_EQ(fs::file_size(source.path), fileLength);
}

INSTANTIATE_TEST_SUITE_P(
    Sparse, BigWave,
    ::testing::Values(BigCase{"Rf64WithDs64Sizes", true, kAudio, kAudio},
                      // Power lost in the middle of a 2-byte frame: only whole frames are audio.
                      BigCase{"PlainRiffWithUnfilledSize", false, kAudio + 1, kAudio}),
    [](const ::testing::TestParamInfo<BigCase>& param) { return std::string(param.param.name); });

// A clip of 4 GiB or more cannot state its size in 32 bits: it is written as RF64 with ds64.
// This one writes 4.3 GB of clip, so it needs the room and takes some seconds.
TEST(BigClip, FourGibOrMoreOfAudioIsWrittenAsRf64) {
  ScratchDir dir;
  if (!HasRoomFor(dir.path(), kAudio + (uint64_t{1} << 30))) GTEST_SKIP() << "no room for a 4.3 GB clip";
  const Bytes header = MakeRf64(Mono8000(), {}, "RF64", static_cast<int64_t>(kAudio));
  const BigSource source = WriteBig(dir.File("long.wav"), header, kAudio, kAudio);
  RecordingUi ui;
  LoadedWave wave;
  LoadWave(source.path, wave);
  SaveClip(wave, std::to_string(kMinutes), "0", source.path, ClipMode::StartMinute, ui);
  ASSERT_EQ(ui.infos, std::vector<std::string>{Text(u8"終わりました")});
  const std::string clip = dir.File("long-0-8960.wav");
  const WalkedWave walked = WalkWave(clip);
  const Bytes head = ReadRange(clip, 0, 12);
  EXPECT_EQ(std::string(head.begin(), head.begin() + 4), "RF64");
  EXPECT_EQ(ReadU32(&head[4]), 0xFFFFFFFFu);
  EXPECT_EQ(std::string(head.begin() + 8, head.end()), "WAVE");
  const Bytes ds64 = ReadRange(clip, 12, 36);
  EXPECT_EQ(std::string(ds64.begin(), ds64.begin() + 4), "ds64");
  ASSERT_TRUE(walked.found);
  EXPECT_EQ(walked.audioSize, kAudio);
  EXPECT_EQ(walked.encoding, 1);
  EXPECT_EQ(walked.sampleRate, 8000u);
  EXPECT_EQ(ReadU32(&ReadRange(clip, walked.dataTagPos + 4, 4)[0]), 0xFFFFFFFFu);
  EXPECT_EQ(fs::file_size(clip), static_cast<uint64_t>(walked.dataStart) + kAudio);
  EXPECT_EQ(DifferenceOf(ReadRange(clip, walked.dataStart + static_cast<int64_t>(kAudio - kMono8000Minute), kMono8000Minute),
                         PatternBytes(kMono8000Minute, 12)),
            "");
  EXPECT_EQ(DifferenceOf(ReadRange(clip, walked.dataStart + static_cast<int64_t>(kCutMinute * kMono8000Minute), kMono8000Minute),
                         PatternBytes(kMono8000Minute, 11)),
            "");
  std::error_code ignored;
  fs::remove(clip, ignored);
}

}  // namespace
}  // namespace ostrevan::testing
