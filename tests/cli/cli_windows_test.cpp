// ostrevan-cli.exe under Wine (code page 932) with names beyond the code page: its arguments
// arrive in UTF-16, a pipe gets code page 932 ("?" for what it lacks) and a console gets
// every character, and JSON comes as UTF-8. Files held a moment by a scanner, and paths
// beyond MAX_PATH.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "clip_record.h"
#include "codepage.h"
#include "file.h"
#include "pair_files.h"
#include "processes.h"
#include "source_with_clip.h"

namespace ostrevan::testing {
namespace {

// Code page 932 bytes; the CRT's text mode makes "\n" a CR LF.
const std::string kFinished932 = "\x8F\x49\x82\xED\x82\xE8\x82\xDC\x82\xB5\x82\xBD\r\n";
const std::string kCannotOpen932Before = "\x83\x74\x83\x40\x83\x43\x83\x8B ";
const std::string kCannotOpen932After = " \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1.\r\n";

struct CliWindows : ::testing::Test {
  ScratchDir dir;
  std::string source = dir.File(u8"録音🎙.wav");
  Bytes original = MakeWave(TestFormat(), PatternBytes(10 * kMinute));
  void SetUp() override { WriteFile(source, original); }

  // Cuts minutes 5 to 8 of `wave`, edits the clip, writes it back and undoes that, checking
  // the source after each.
  void CutWriteBackAndUndo(const std::string& wave) {
    const std::string record = wave.substr(0, wave.size() - 4) + "-5-3.ini";
    const Bytes edited = PatternBytes(3 * kMinute, 7);
    ProcessResult result = RunCli({"cut", wave, "--length", "3", "--start", "5"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kFinished932);
    // Saved as an editor would, waiting for a file held a moment.
    const Bytes clip = MakeWave(TestFormat(), edited);
    File file;
    ASSERT_TRUE(file.Open(ClipOf(record), FileMode::CreateEmpty));
    ASSERT_EQ(file.WriteAt(0, clip.data(), clip.size()), clip.size());
    file.Close();
    for (const std::string& run : {record, UndoRecordPathOf(record)}) {
      result = RunCli({"writeback", run});
      EXPECT_EQ(result.status, 0) << run << ": " << result.err;
      EXPECT_EQ(result.out, kFinished932) << run;
      const Bytes expected = run == record ? With(original, 44 + 5 * kMinute, edited) : original;
      EXPECT_EQ(DifferenceOf(ReadFile(wave), expected), "") << run;
    }
  }
};

TEST_F(CliWindows, APipeGetsTheCodePageAndTheWorkIsDone) {
  ProcessResult result = RunCli({"cut", source, "--length", "3", "--start", "5"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, kFinished932);
  const std::string record = dir.File(u8"録音🎙-5-3.ini");
  ASSERT_TRUE(Exists(record));
  EXPECT_EQ(ReadRecordLines(record).lines[2], source);

  const Bytes edited = PatternBytes(3 * kMinute, 7);
  WriteFile(ClipOf(record), MakeWave(TestFormat(), edited));
  result = RunCli({"writeback", record});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, kFinished932);
  EXPECT_EQ(DifferenceOf(ReadFile(source), With(original, 44 + 5 * kMinute, edited)), "");

  // What 932 lacks comes out as "?", never as a look-alike that names another file ("e").
  result = RunCli({"info", dir.File(u8"녹음café.wav")});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, kCannotOpen932Before + dir.File("??caf?.wav") + kCannotOpen932After);
}

// JSON is UTF-8 by definition: a pipe gets it so, whatever the code page.
TEST_F(CliWindows, JsonOnAPipeIsUtf8) {
  for (const char* command : {"info", "levels"}) {
    const ProcessResult result = RunCli({command, source, "--json"});
    EXPECT_EQ(result.status, 0) << command << ": " << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["file"], source) << result.out;
  }
}

TEST_F(CliWindows, AConsoleShowsEveryCharacter) {
  ProcessResult result = RunInConsole(OSTREVAN_CLI_PATH, {"cut", source, "--length", "3", "--from-end"});
  if (result.status == -1 && !result.timedOut) GTEST_SKIP() << "no console could be made here";
  EXPECT_EQ(result.status, 0);
  // The progress line, shown on a console, is blanked before the message.
  EXPECT_EQ(result.out, u8"終わりました");
  EXPECT_TRUE(Exists(dir.File(u8"録音🎙-L-3.wav")));

  const std::string missing = dir.File(u8"녹음🎙.wav");
  result = RunInConsole(OSTREVAN_CLI_PATH, {"info", missing});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, u8"ファイル " + missing + u8" は開けません.");
}

// A virus scanner opens every file of the folder in turn, for a moment each, sharing neither
// writing nor deletion: the cut, the write-back and the undo wait their turns and go through.
TEST_F(CliWindows, FilesHeldAMomentByAScannerAreWaitedFor) {
  ScratchDir control;
  const std::string ready = control.File("ready");
  const std::string release = control.File("release");
  const int scanner = StartProgram(OSTREVAN_FILE_HOLDER_PATH, {"--every-file", dir.path(), ready, release});
  ASSERT_NE(scanner, -1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Exists(ready) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(Exists(ready)) << "the scanner held no file";
  CutWriteBackAndUndo(source);
  WriteFile(release, std::string("go"));
  EXPECT_EQ(WaitProgram(scanner, 30).status, 0);
  std::printf("the scanner held a file %s times\n", ReadText(ready).c_str());
}

TEST_F(CliWindows, ASourceBeyondMaxPathIsCutWrittenBackAndUndone) {
  std::string folder = dir.path();
  while (Widen(folder).size() < 300) folder += "\\" + std::string(60, 'd') + std::to_string(folder.size());
  std::filesystem::create_directories(PathOf(folder));
  const std::string deep = folder + u8"\\録音🎙.wav";
  WriteFile(deep, original);
  ASSERT_EQ(ReadFile(deep), original);
  CutWriteBackAndUndo(deep);
}

}  // namespace
}  // namespace ostrevan::testing
