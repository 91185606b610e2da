// Broken and unusual WAV files, each with the text it must give and within a time limit.

#include <gtest/gtest.h>

#include <cstring>

#include "engine_error.h"
#include "load_wave.h"
#include "processes.h"
#include "test_waves.h"
#include "texts.h"

#ifndef _WIN32
#include "cli_run.h"
#endif

namespace ostrevan {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::MakeWave;
using testing::PatternBytes;
using testing::ScratchDir;
using testing::Mono8000;
using testing::WaveShape;

constexpr uint64_t kTwoMinutesThree = 123 * 8000;

struct Hostile {
  const char* name;
  Bytes bytes;
  // The message of the load's error, with %s for the path; or empty when it loads.
  const char* error;
  const char* playTime;  // when it loads
  bool shortFile;
};

Bytes Prefix(const Bytes& bytes, size_t count) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(count)); }

std::vector<Hostile> HostileWaves() {
  const Bytes canonical = MakeWave(Mono8000(), PatternBytes(kTwoMinutesThree));
  std::vector<Hostile> files;
  files.push_back({"empty", {}, texts::kNoDataChunk, nullptr, false});
  files.push_back({"three-bytes", Prefix(canonical, 3), texts::kNoDataChunk, nullptr, false});
  files.push_back({"thirty-five-bytes", Prefix(canonical, 35), texts::kNoDataChunk, nullptr, false});
  files.push_back({"header-only", Prefix(canonical, 44), nullptr, u8"演奏時間:0分0秒", true});

  // "data" in the last 7 bytes: the tag is there, its size field is not.
  Bytes lastSeven = Prefix(canonical, 36);
  lastSeven.insert(lastSeven.end(), 50, 0);
  for (char c : std::string("data\x01\x02\x03")) lastSeven.push_back(static_cast<unsigned char>(c));
  files.push_back({"tag-in-last-7-bytes", lastSeven, texts::kNoDataChunk, nullptr, false});

  WaveShape shape = Mono8000();
  shape.blockAlign = 0;
  files.push_back({"block-align-0", MakeWave(shape, PatternBytes(1000)), texts::kFloatDivideByZero, nullptr, false});
  files.push_back({"block-align-0-no-audio", MakeWave(shape, {}), texts::kInvalidFloatOperation, nullptr, false});
  shape = Mono8000();
  shape.sampleRate = 0;
  files.push_back({"sample-rate-0", MakeWave(shape, PatternBytes(1000)), texts::kIntegerDivideByZero, nullptr, false});
  shape.blockAlign = 0;
  files.push_back({"both-0", MakeWave(shape, PatternBytes(1000)), texts::kFloatDivideByZero, nullptr, false});

  shape = Mono8000();
  shape.statedSizeOverride = true;
  shape.statedSize = 0;
  // Unfinished recordings: the audio ends where the file ends.
  files.push_back({"data-size-0", MakeWave(shape, PatternBytes(kTwoMinutesThree)), nullptr, u8"演奏時間:2分3秒", false});
  shape.statedSize = 0xFFFFFFFF;
  files.push_back({"data-size-ffffffff", MakeWave(shape, PatternBytes(kTwoMinutesThree)), nullptr,
                   u8"演奏時間:2分3秒", false});
  shape.statedSize = 3 * testing::kMono8000Minute;
  files.push_back({"data-size-past-the-end", MakeWave(shape, PatternBytes(kTwoMinutesThree)), nullptr,
                   u8"演奏時間:2分3秒", false});

  // Chunk sizes are never followed: a size pointing far past the end changes nothing.
  shape = Mono8000();
  Bytes liar = Chunk("LIST", PatternBytes(10));
  liar[4] = liar[5] = liar[6] = 0xF0;
  liar[7] = 0x7F;
  shape.chunksBeforeData = liar;
  files.push_back({"chunk-size-past-the-end", MakeWave(shape, PatternBytes(kTwoMinutesThree)), nullptr,
                   u8"演奏時間:2分3秒", false});
  Bytes liarOnly = Prefix(canonical, 36);
  liarOnly.insert(liarOnly.end(), liar.begin(), liar.end());
  files.push_back({"chunk-size-past-the-end-no-data", liarOnly, texts::kNoDataChunk, nullptr, false});

  shape = Mono8000();
  for (int i = 0; i < 100000; ++i) {
    const Bytes chunk = Chunk("junk", Bytes{static_cast<unsigned char>(i), 0, 0, 0});
    shape.chunksBeforeData.insert(shape.chunksBeforeData.end(), chunk.begin(), chunk.end());
  }
  files.push_back({"100000-chunks-before-the-data", MakeWave(shape, PatternBytes(kTwoMinutesThree)), nullptr,
                   u8"演奏時間:2分3秒", false});
  return files;
}

std::string ExpectedError(const Hostile& file, const std::string& path) {
  return std::strstr(file.error, "%s") ? FormatText(file.error, path) : Text(file.error);
}

TEST(HostileWave, EachGivesItsMessageWithoutHanging) {
  ScratchDir dir;
  for (const Hostile& file : HostileWaves()) {
    SCOPED_TRACE(file.name);
    const std::string path = dir.File(std::string(file.name) + ".wav");
    testing::WriteFile(path, file.bytes);
    LoadedWave wave;
    std::string message;
    LoadOutcome outcome;
    testing::WithinSeconds(20, [&] { message = testing::ErrorOf([&] { outcome = LoadWave(path, wave); }); });
    if (file.error) {
      EXPECT_EQ(message, ExpectedError(file, path));
    } else {
      ASSERT_EQ(message, "(no error)");
      EXPECT_EQ(outcome.playTimeText, Text(file.playTime));
      EXPECT_EQ(outcome.IsShortFile(), file.shortFile);
    }
  }
}

TEST(HostileWave, AFailedLoadLeavesTheLoadedFileAsItWas) {
  ScratchDir dir;
  const std::string good = dir.File("good.wav");
  testing::WriteFile(good, MakeWave(Mono8000(), PatternBytes(kTwoMinutesThree)));
  LoadedWave wave;
  LoadWave(good, wave);
  const LoadedWave before = wave;
  for (const Hostile& file : HostileWaves()) {
    if (!file.error || std::strstr(file.error, "%s") == nullptr) continue;
    SCOPED_TRACE(file.name);
    const std::string path = dir.File(std::string(file.name) + ".wav");
    testing::WriteFile(path, file.bytes);
    EXPECT_EQ(testing::ErrorOf([&] { LoadWave(path, wave); }), ExpectedError(file, path));
    EXPECT_EQ(wave.layout.dataTagPos, before.layout.dataTagPos);
    EXPECT_EQ(wave.layout.AudioSize(), before.layout.AudioSize());
    EXPECT_EQ(wave.playTime.wholeMinutes, before.playTime.wholeMinutes);
    EXPECT_EQ(wave.layout.fmt.sampleRate, before.layout.fmt.sampleRate);
  }
}

#ifndef _WIN32
// The command line program on the same files: the error box's text on standard error and
// status 2, the short-file message and status 1, or the labels and status 0.
TEST(HostileWave, TheCommandLineGivesTheSameTexts) {
  ScratchDir dir;
  for (const Hostile& file : HostileWaves()) {
    SCOPED_TRACE(file.name);
    const std::string path = dir.File(std::string(file.name) + ".wav");
    testing::WriteFile(path, file.bytes);
    const testing::ProcessResult run = testing::RunCli({"info", path}, testing::RunOptions().Within(30));
    ASSERT_FALSE(run.timedOut);
    if (file.error) {
      EXPECT_EQ(run.status, cli::kExitError);
      EXPECT_EQ(run.err, ErrorText(ExpectedError(file, path)) + "\n");
      EXPECT_EQ(run.out, "");
    } else {
      EXPECT_EQ(run.status, file.shortFile ? cli::kExitMessage : cli::kExitFinished);
      EXPECT_EQ(run.out.substr(0, run.out.find('\n')), Text(file.playTime));
      EXPECT_EQ(run.err, "");
    }
  }
}
#endif

}  // namespace
}  // namespace ostrevan
