// ostrevan-cli cut, writeback and status end to end, through the process: what is printed
// where, the exit statuses, the usage errors, and the files left behind.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "clip_record.h"
#include "load_wave.h"
#include "pair_files.h"
#include "processes.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "test_waves.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

namespace fs = std::filesystem;

const char* const kFinished = u8"終わりました\n";

// A record's text up to its fingerprint line.
std::string FirstThreeLines(const std::string& recordPath) {
  const std::string text = ReadText(recordPath);
  return text.substr(0, text.find("xxh3-128:"));
}

struct CliCutWriteback : ::testing::Test {
  ScratchDir dir;
  std::string wav = dir.File("talk.wav");
  Bytes audio = PatternBytes(10 * kMinute);
  Bytes original;

  void SetUp() override {
    original = MakeWave(TestFormat(), audio);
    WriteFile(wav, original);
  }
};

TEST_F(CliCutWriteback, CutWritesTheClipAndRecordTheWindowWould) {
  auto result = RunCli({"cut", wav, "--length", "03", "--start", "5"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kFinished);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(FirstThreeLines(dir.File("talk-5-03.ini")), "120000\r\n72000\r\n" + wav + "\r\n");

  result = RunCli({"cut", wav, "--from-end", "--length", "2"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kFinished);

  // The same files as the engine writes for the same texts.
  ScratchDir other;
  const std::string copy = other.File("talk.wav");
  WriteFile(copy, original);
  LoadedWave wave;
  LoadWave(copy, wave);
  RecordingUi ui;
  SaveClip(wave, "03", "5", copy, ClipMode::StartMinute, ui);
  SaveClip(wave, "2", "0", copy, ClipMode::FromEnd, ui);
  for (const char* name : {"talk-5-03.wav", "talk-L-2.wav"}) EXPECT_EQ(ReadFile(dir.File(name)), ReadFile(other.File(name)));
  EXPECT_EQ(FirstThreeLines(dir.File("talk-L-2.ini")), "192000\r\n48000\r\n" + wav + "\r\n");
}

TEST_F(CliCutWriteback, RecordsKeepTheFullPathAndTheStartAsTheWindowWritesIt) {
  // Two recordings of the same name in two folders: the record cut in one names that one.
  fs::create_directories(dir.File("a"));
  fs::create_directories(dir.File("b"));
  WriteFile(dir.File("a/rec.wav"), original);
  WriteFile(dir.File("b/rec.wav"), original);
  ASSERT_EQ(RunCli({"cut", "rec.wav", "--length", "1", "--start", "1"}, RunOptions().In(dir.File("a"))).status, 0);
  EXPECT_EQ(FirstThreeLines(dir.File("a/rec-1-1.ini")), "24000\r\n24000\r\n" + dir.File("a/rec.wav") + "\r\n");
  const Bytes edited = PatternBytes(kMinute, 7);
  WriteFile(dir.File("a/rec-1-1.wav"), MakeWave(TestFormat(), edited));
  ASSERT_EQ(RunCli({"writeback", "../a/rec-1-1.ini"}, RunOptions().In(dir.File("b"))).status, 0);
  EXPECT_EQ(ReadFile(dir.File("b/rec.wav")), original);
  Bytes expected = original;
  std::copy(edited.begin(), edited.end(), expected.begin() + 44 + kMinute);
  EXPECT_EQ(ReadFile(dir.File("a/rec.wav")), expected);

  // Leading zeros are accepted and named as the window's start label would show the minute.
  EXPECT_EQ(RunCli({"cut", wav, "--length", "3", "--start", "05"}).status, 0);
  EXPECT_TRUE(Exists(dir.File("talk-5-3.wav")));
  EXPECT_EQ(RunCli({"cut", wav, "--length", "1", "--start", "0000000000000000000000009"}).status, 0);
  EXPECT_TRUE(Exists(dir.File("talk-9-1.wav")));
  EXPECT_EQ(RunCli({"cut", wav, "--length", "1", "--start", "00"}).status, 0);
  EXPECT_TRUE(Exists(dir.File("talk-0-1.wav")));
}

TEST_F(CliCutWriteback, CutMessagesAndErrors) {
  auto result = RunCli({"cut", wav, "--length", "11", "--from-end"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, u8"取り出し長さがWAVの長さを越えています\n");
  EXPECT_EQ(result.err, "");

  result = RunCli({"cut", wav, "--length", "abc", "--start", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, u8"'abc' は整数ではありません.\n");

  result = RunCli({"cut", wav, "--length", "-1", "--start", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, u8"範囲チェックエラー.\n");

  const std::string missing = dir.File("missing.wav");
  result = RunCli({"cut", missing, "--length", "1", "--start", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, u8"ファイル " + missing + u8" は開けません.\n");

  // A file under a minute is not cut.
  const std::string shortWav = dir.File("short.wav");
  WriteFile(shortWav, MakeWave(TestFormat(), PatternBytes(kMinute - 4)));
  result = RunCli({"cut", shortWav, "--length", "1", "--from-end"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, u8"１分以下のWAVEは処理できません\n");
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"short.wav", "talk.wav"}));
}

TEST_F(CliCutWriteback, CutUsageErrors) {
  const std::vector<std::vector<std::string>> usages = {
      {"cut"},
      {"cut", wav},
      {"cut", wav, "--start", "0"},
      {"cut", wav, "--length", "1"},
      {"cut", wav, "--length", "1", "--start", "0", "--from-end"},
      {"cut", wav, "--length"},
      {"cut", wav, "--length", "1", "--length", "2", "--start", "0"},
      {"cut", wav, "--length", "1", "--start", "0", "--start", "1"},
      {"cut", wav, "--length", "1", "--from-end", "--from-end"},
      {"cut", wav, "--length", "1", "--from-end", "extra"},
      // The start must be a minute the scroll bar could reach: 0 to 9 here.
      {"cut", wav, "--length", "1", "--start", "10"},
      {"cut", wav, "--length", "1", "--start", "-1"},
      {"cut", wav, "--length", "1", "--start", "1.5"},
      {"cut", wav, "--length", "1", "--start", " 3"},
      {"cut", wav, "--length", "1", "--start", "x"},
      {"cut", wav, "--length", "1", "--start", ""},
      {"cut", wav, "--length", "1", "--start", "99999999999999999999"},
  };
  for (const auto& args : usages) {
    const ProcessResult result = RunCli(args);
    std::string shown;
    for (const auto& a : args) shown += "[" + a + "]";
    EXPECT_EQ(result.status, 64) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_EQ(result.err.rfind("usage: ostrevan-cli", 0), 0u) << shown;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << shown;
  }
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"talk.wav"});

  // The last reachable minute is no usage error; the clip ends with the audio.
  EXPECT_EQ(RunCli({"cut", wav, "--length", "2", "--start", "9"}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("talk-9-2.wav")).size(), 44u + kMinute);
}

TEST_F(CliCutWriteback, WritebackRunsTheRecordsInOrder) {
  ASSERT_EQ(RunCli({"cut", wav, "--length", "1", "--start", "2"}).status, 0);
  const std::string record = dir.File("talk-2-1.ini");
  const std::string clip = dir.File("talk-2-1.wav");
  const WaveShape format = TestFormat();
  const Bytes edited = PatternBytes(kMinute, 42);
  WriteFile(clip, MakeWave(format, edited));

  auto result = RunCli({"writeback", record});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kFinished);
  EXPECT_EQ(result.err, "");
  Bytes expected = original;
  std::copy(edited.begin(), edited.end(), expected.begin() + 44 + 2 * kMinute);
  EXPECT_EQ(ReadFile(wav), expected);

  // A missing source: the message with its path, exit 1, nothing after it handled.
  const std::string lost = dir.File("lost.ini");
  WriteFile(lost, "0\r\n" + std::to_string(kMinute) + "\r\n" + dir.File("gone.wav") + "\r\n");
  WriteFile(clip, MakeWave(format, PatternBytes(kMinute, 43)));
  result = RunCli({"writeback", lost, record});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, u8"取り出し元ファイルがありません" + dir.File("gone.wav") + "\n");
  EXPECT_EQ(ReadFile(wav), expected);

  // The same record by a relative name and by its full one: nothing is written.
  result = RunCli({"writeback", "talk-2-1.ini", record}, RunOptions().In(dir.path()));
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, FormatText(texts::kRecordListedTwice, {"talk-2-1.ini", record}) + ".\n");
  EXPECT_EQ(ReadFile(wav), expected);

  // An error: the error box's text on standard error, exit 2; the records before it stay written.
  const std::string missing = dir.File("missing.ini");
  result = RunCli({"writeback", record, missing});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, u8"ファイル " + missing + u8" は開けません.\n");

  WaveShape mono = format;
  mono.channels = 1;
  mono.blockAlign = 2;
  WriteFile(clip, MakeWave(mono, PatternBytes(kMinute, 44)));
  result = RunCli({"writeback", record});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, u8"ファイル " + clip + u8" の形式が取り出し元と違います.\n");

  result = RunCli({"writeback"});
  EXPECT_EQ(result.status, 64);
  EXPECT_EQ(result.err.rfind("usage: ostrevan-cli", 0), 0u);
}

// The first write-back of a clip of two copy blocks into `source`, slowed, killed once its first
// block is in the source; its record, or "" when it ended first.
std::string KilledWriteBack(const std::string& source, const std::string&) {
  WriteFile(source, MakeWave(Mono8000(), PatternBytes(10 * kMono8000Minute, 3)));
  const std::string record = CutClip(source, "9", "1");
  WriteFile(ClipOf(record), MakeWave(Mono8000(), PatternBytes(9 * kMono8000Minute, 4)));
  setenv("OSTREVAN_SLOW_BLOCK_MS", "200", 1);
  const int pid = StartProgram(OSTREVAN_CLI_PATH, {"writeback", record});
  unsetenv("OSTREVAN_SLOW_BLOCK_MS");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ReadRange(source, 44 + kMono8000Minute, 64) != PatternBytes(64, 4) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGKILL);
  return WaitProgram(pid).signal == SIGKILL ? record : "";
}

TEST_F(CliCutWriteback, StatusTellsEachStateAndChangesNoByte) {
  using Path = const std::string&;
  const auto edited = [](Path r) { return WriteFile(ClipOf(r), MakeWave(TestFormat(), Bytes(kMinute))), r; };
  const auto writtenBack = [](Path r) { EXPECT_EQ(RunCli({"writeback", r}).status, 0); return r; };
  const struct Row {
    const char* state;
    bool undo, message;  // a message naming the source, or the file when it holds no record
    std::function<std::string(Path source, Path record)> make;  // gives the record to ask
  } rows[] = {
      {"same", false, false, [](Path, Path r) { return r; }},
      {"ready", false, false, [&](Path, Path r) { return edited(r); }},
      {"same", true, false, [&](Path, Path r) { return writtenBack(edited(r)); }},
      {"ready", false, false, [&](Path, Path r) { return writtenBack(UndoRecordPathOf(writtenBack(edited(r)))), r; }},
      {"changed", false, true, [](Path s, Path r) { return PutBytes(s, 44 + 2 * kMinute, Bytes(16)), r; }},
      {"missing", false, true, [](Path s, Path r) { return std::remove(s.c_str()), r; }},
      {"invalid", false, true,
       [&](Path, Path) { return WriteFile(dir.File("d.ini"), "[.ShellClassInfo]"), dir.File("d.ini"); }},
      {"interrupted", true, false, KilledWriteBack},
  };
  std::vector<std::string> args = {"status"};  // the records, in the rows' order; the last may be left out
  for (const Row& row : rows) {
    const std::string source = dir.File("s" + std::to_string(&row - rows) + ".wav");
    WriteFile(source, MakeWave(TestFormat(), PatternBytes(3 * kMinute, 5)));
    const std::string record = row.make(source, CutClip(source, "1", "2"));
    if (!record.empty()) args.push_back(record);
  }
  const size_t asked = args.size() - 1;
  const auto snapshot = [&] {  // every name and byte in the folder
    std::string all;
    for (const std::string& name : NamesIn(dir.path())) all += name + "\n" + ReadText(dir.File(name));
    return all;
  };
  const auto before = snapshot();
  const ProcessResult text = RunCli(args);
  args.push_back("--json");
  const ProcessResult json = RunCli(args);
  EXPECT_TRUE(snapshot() == before) << "a file changed";
  EXPECT_EQ(text.status + json.status, 0);
  EXPECT_EQ(text.err + json.err, "");
  const nlohmann::ordered_json records = nlohmann::ordered_json::parse(json.out).at("records");
  ASSERT_EQ(records.size(), asked) << json.out;
  std::string lines;
  for (size_t i = 0; i < asked; ++i) {
    using Json = nlohmann::ordered_json;
    const Row& row = rows[i];
    const std::string& record = args[i + 1];
    const std::string message = records[i]["message"];
    const std::vector<std::string> head = RecordHead(record);
    const bool holds = row.state != std::string("invalid");  // d.ini holds no record
    lines += std::string(row.state) + " " + record + "\n";
    EXPECT_EQ(records[i], Json({{"record", record}, {"state", row.state}, {"undo", row.undo},
                                {"source", holds ? Json(head[2]) : Json()},
                                {"offset", holds ? Json(std::stoll(head[0])) : Json()},
                                {"bytes", holds ? Json(std::stoll(head[1])) : Json()}, {"message", message}}));
    const std::string& named = holds ? head[2] : record;
    EXPECT_TRUE(row.message ? message.find(named) != std::string::npos : message.empty()) << record << message;
  }
  EXPECT_EQ(text.out, lines);
  if (asked < std::size(rows)) GTEST_SKIP() << "the write-back finished before it could be killed";
}

}  // namespace
}  // namespace ostrevan::testing
