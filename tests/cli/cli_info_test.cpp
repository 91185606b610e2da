#include <gtest/gtest.h>

#include "cli_process.h"
#include "ostrevan_version.h"
#include "test_files.h"

namespace ostrevan {
namespace {

using testing::MakeWave;
using testing::RunCli;
using testing::ScratchDir;
using testing::WaveShape;

TEST(CliInfo, PrintsBothLabelsForALongFile) {
  ScratchDir dir;
  WaveShape shape;
  shape.channels = 1;
  shape.sampleRate = 8000;
  shape.blockAlign = 1;
  shape.bitsPerSample = 8;
  const std::string path = dir.File("long.wav");
  testing::WriteFile(path, MakeWave(shape, testing::PatternBytes(8000 * 125 + 17)));
  const auto result = RunCli({"info", path});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, u8"演奏時間:2分5秒\nWAV属性:mono/8bit/8000Hz\n");
  EXPECT_EQ(result.err, "");
}

TEST(CliInfo, ShortFileAddsTheMessageAndExitsOne) {
  ScratchDir dir;
  const std::string path = dir.File("short.wav");
  testing::WriteFile(path, MakeWave({}, testing::PatternBytes(4 * 44100 * 59)));
  const auto result = RunCli({"info", path});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, u8"演奏時間:0分59秒\nWAV属性:stereo/16bit/44100Hz\n１分以下のWAVEは処理できません\n");
}

TEST(CliInfo, ErrorsGoToStandardErrorWithTheFinalDot) {
  ScratchDir dir;
  const std::string missing = dir.File("missing.wav");
  auto result = RunCli({"info", missing});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, u8"ファイル " + missing + u8" は開けません.\n");

  const std::string noData = dir.File("nodata.wav");
  testing::WriteFile(noData, std::string(100, 'x'));
  result = RunCli({"info", noData});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, u8"ファイル " + noData + u8" に data チャンクがありません.\n");

  WaveShape zeroAlign;
  zeroAlign.blockAlign = 0;
  const std::string bad = dir.File("bad.wav");
  testing::WriteFile(bad, MakeWave(zeroAlign, testing::PatternBytes(10)));
  result = RunCli({"info", bad});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, u8"0 による浮動小数点数除算.\n");
}

TEST(CliInfo, UsageErrorsExitSixtyFourWithAHint) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"info"}, {"info", "a.wav", "b.wav"}, {"frobnicate"}, {"--help", "x"}, {"writeback"}}) {
    const auto result = RunCli(args);
    EXPECT_EQ(result.status, 64);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("usage: ostrevan-cli", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
  }
}

TEST(CliInfo, HelpAndVersion) {
  auto result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("ostrevan-cli cut WAV --length TEXT (--start TEXT | --from-end)"), std::string::npos);
  result = RunCli({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "ostrevan-cli " OSTREVAN_VERSION "\n");
}

}  // namespace
}  // namespace ostrevan
