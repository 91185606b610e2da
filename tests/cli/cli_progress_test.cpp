// ostrevan-cli's progress line on a terminal, its absence in a pipe, and Ctrl+C stopping a
// write-back the safe way and a level scan after the minutes it measured. The copies are slowed down so that there is time to watch.

#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "pair_files.h"
#include "processes.h"
#include "source_with_clip.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

struct Terminal {
  int pid = -1;
  int master = -1;
  std::string seen;

  // Starts the command line in a new pseudo-terminal: standard output and error are the terminal.
  explicit Terminal(const std::vector<std::string>& args) {
    pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(OSTREVAN_CLI_PATH)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(OSTREVAN_CLI_PATH, argv.data());
      _exit(127);
    }
  }
  // Reads what the terminal shows until `done` holds for it, or the program ends, or 60 s pass.
  bool ReadUntil(const std::function<bool(const std::string&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buffer[4096];
    while (!done(seen) && std::chrono::steady_clock::now() < deadline) {
      const ssize_t got = read(master, buffer, sizeof buffer);
      if (got <= 0) break;  // the program ended and the terminal closed
      seen.append(buffer, static_cast<size_t>(got));
    }
    return done(seen);
  }
  int Wait() {
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// Blocks of more than 64 KiB, which the slowing applies to: 480,000 bytes a minute.
struct CliProgress : ::testing::Test {
  WaveShape shape = SampleShape(1, 1, 8000, 8);
  ScratchDir dir;
  std::string source = dir.File("take.wav");
  std::string record;
  Bytes original = MakeWave(shape, PatternBytes(3 * BytesPerMinute(shape), 3));
  void SetUp() override {
    WriteFile(source, original);
    record = CutClip(source, "1", "1");
    WriteFile(ClipPathOfRecord(record), MakeWave(shape, PatternBytes(BytesPerMinute(shape), 5)));
    setenv("OSTREVAN_SLOW_BLOCK_MS", "300", 1);
  }
  void TearDown() override { unsetenv("OSTREVAN_SLOW_BLOCK_MS"); }
};

TEST_F(CliProgress, ATerminalSeesTheBytesGoByAPipeSeesNothing) {
  Terminal terminal({"writeback", record});
  EXPECT_TRUE(terminal.ReadUntil([](const std::string& seen) { return seen.find("終わりました") != std::string::npos; }));
  EXPECT_EQ(terminal.Wait(), 0);
  EXPECT_NE(terminal.seen.find("\rtake.wav: 480 / 1,920 KB"), std::string::npos) << terminal.seen;
  EXPECT_NE(terminal.seen.find("\rtake.wav: 1,920 / 1,920 KB"), std::string::npos) << terminal.seen;

  const ProcessResult piped = RunCli({"writeback", UndoRecordPathOf(record)});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, Text(texts::kFinished) + "\n");
  EXPECT_EQ(piped.err, "");
}

TEST_F(CliProgress, CtrlCStopsAWriteBackAndPutsTheSourceBack) {
  Terminal terminal({"writeback", record});
  ASSERT_TRUE(terminal.ReadUntil([](const std::string& seen) { return seen.find(" KB") != std::string::npos; }));
  kill(terminal.pid, SIGINT);
  terminal.ReadUntil([](const std::string&) { return false; });
  EXPECT_EQ(terminal.Wait(), 1);
  EXPECT_NE(terminal.seen.find(FormatText(texts::kWriteBackStopped, source)), std::string::npos) << terminal.seen;
  EXPECT_EQ(ReadFile(source), original);
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"take-1-1.ini", "take-1-1.wav", "take.wav"}));
}

// Ten blocks of 480,000 bytes, two read at a time: Ctrl+C comes long before the last.
TEST_F(CliProgress, CtrlCStopsALevelScanAfterTheMinutesMeasured) {
  const std::string longer = dir.File("long.wav");
  WriteFile(longer, MakeWave(shape, PatternBytes(10 * BytesPerMinute(shape))));
  Terminal terminal({"levels", longer});
  const auto progress = [](const std::string& seen) { return seen.find(" / 4,800 KB") != std::string::npos; };
  ASSERT_TRUE(terminal.ReadUntil(progress)) << terminal.seen;
  kill(terminal.pid, SIGINT);
  terminal.ReadUntil([](const std::string&) { return false; });
  EXPECT_EQ(terminal.Wait(), 1);
  EXPECT_NE(terminal.seen.find("\rlong.wav: 480 / 4,800 KB"), std::string::npos) << terminal.seen;
  // The minutes measured, each on a line of its own (the progress blanked first), then the
  // message.
  EXPECT_EQ(terminal.seen.rfind("0 ", 0), 0u) << terminal.seen;
  EXPECT_EQ(terminal.seen.find("\r9 "), std::string::npos) << terminal.seen;
  EXPECT_NE(terminal.seen.find(u8"音量の測定を中止しました\r\n"), std::string::npos) << terminal.seen;
}

}  // namespace
}  // namespace ostrevan::testing
