#include <gtest/gtest.h>

#include <algorithm>

#include "ostrevan_version.h"
#include "processes.h"
#include "test_waves.h"

namespace ostrevan {
namespace {

using testing::MakeWave;
using testing::RunCli;
using testing::ScratchDir;
using testing::WaveShape;

TEST(CliInfo, PrintsBothLabelsForALongFile) {
  ScratchDir dir;
  const std::string path = dir.File("long.wav");
  testing::WriteFile(path, MakeWave(testing::Mono8000(), testing::PatternBytes(8000 * 125 + 17)));
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
           {}, {"info"}, {"info", "a.wav", "b.wav"}, {"frobnicate"}, {"--help", "x"}, {"writeback"}, {"status"},
           {"status", "--json"}, {"status", "a.ini", "--jsn"}, {"status", "a.ini", "--json", "--json"}}) {
    const auto result = RunCli(args);
    EXPECT_EQ(result.status, 64);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("usage: ostrevan-cli", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
  }
}

// Display columns of a UTF-8 line: a multi-byte character (Japanese here) takes two.
size_t Columns(const std::string& line) {
  size_t columns = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (byte < 0x80) {
      ++columns;
    } else if (byte >= 0xC0) {
      columns += 2;
    }
  }
  return columns;
}

TEST(CliInfo, HelpNamesEveryCommandOptionAndExitStatus) {
  const auto result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string& help = result.out;
  EXPECT_EQ(help.rfind("usage: ostrevan-cli info WAV [--json]\n", 0), 0u) << help;

  std::vector<std::string> lines;
  for (size_t at = 0; at < help.size();) {
    const size_t end = help.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "the help ends without a line break";
    lines.push_back(help.substr(at, end - at));
    at = end + 1;
  }
  // One line each, indented two blanks, for the commands, the options and the statuses.
  const auto described = [&](const std::string& lead) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.rfind("  " + lead + " ", 0) == 0; });
  };
  for (const char* item : {"info", "levels", "cut", "writeback", "status", "--help", "--version", "--json",
                           "--length TEXT", "--start TEXT", "--from-end", "0", "1", "2", "64"}) {
    EXPECT_EQ(described(item), 1) << item << "\n" << help;
  }
  // Status 0 is told by the message that ends a run, as the program prints it.
  EXPECT_NE(help.find(u8"\"終わりました\""), std::string::npos) << help;
  for (const std::string& line : lines) EXPECT_LE(Columns(line), 80u) << line;
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
