// ostrevan-cli status on pairs brought into each state by real runs: the words in order, the
// JSON's fields, and not a byte of any file changed by asking.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "pair_files.h"
#include "processes.h"
#include "source_with_clip.h"

namespace ostrevan::testing {
namespace {

using Json = nlohmann::ordered_json;

// Every file and folder under `folder`, a file with a hash of its bytes: a failure names the files, not megabytes.
std::map<std::string, size_t> Snapshot(const std::string& folder) {
  std::map<std::string, size_t> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(PathOf(folder))) {
    const std::string path = entry.path().u8string();
    files[path] = entry.is_directory() ? 0 : std::hash<std::string>()(ReadText(path));
  }
  return files;
}

void WriteBack(const std::string& record) { EXPECT_EQ(RunCli({"writeback", record}).status, 0) << record; }

// A first write-back of a clip two copy blocks long, slowed, killed once its first block is in
// the source; "" when it finished before the kill.
std::string KilledWriteBack(SourceWithClip& pair) {
  const WaveShape shape = SampleShape(1, 1, 8000, 8);
  const std::string source = pair.dir.File("long.wav");
  WriteFile(source, MakeWave(shape, PatternBytes(10 * BytesPerMinute(shape), 3)));
  const std::string record = CutClip(source, "9", "1");
  const Bytes edited = PatternBytes(9 * BytesPerMinute(shape), 4);
  WriteFile(ClipOf(record), MakeWave(shape, edited));
  setenv("OSTREVAN_SLOW_BLOCK_MS", "200", 1);
  const int pid = StartProgram(OSTREVAN_CLI_PATH, {"writeback", record});
  unsetenv("OSTREVAN_SLOW_BLOCK_MS");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ReadRange(source, 44 + BytesPerMinute(shape), 64) != Slice(edited, 0, 64) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGKILL);
  return WaitProgram(pid).signal == SIGKILL ? record : "";
}

enum class Names { Nothing, Source, Record };  // what the message must name

TEST(CliStatus, EachStateReadWithoutChangingAByte) {
  const struct Row {
    const char* name;
    std::function<std::string(SourceWithClip&)> make;  // brings the pair to the state; the record to ask
    const char* state;
    bool undo;
    Names message;
  } rows[] = {
      {"a fresh cut", [](SourceWithClip& p) { return p.record; }, "same", false, Names::Nothing},
      {"an edited clip", [](SourceWithClip& p) { return p.EditClip(), p.record; }, "ready", false, Names::Nothing},
      {"written back", [](SourceWithClip& p) { return p.EditClip(), WriteBack(p.record), p.record; }, "same", true,
       Names::Nothing},
      {"undone",
       [](SourceWithClip& p) {
         return p.EditClip(), WriteBack(p.record), WriteBack(UndoRecordPathOf(p.record)), p.record;
       },
       "ready", false, Names::Nothing},
      {"source changed",
       [](SourceWithClip& p) {
         return PutBytes(p.source, p.DataStart() + p.ClipOffset(), PatternBytes(16, 9)), p.record;
       },
       "changed", false, Names::Source},
      {"source deleted", [](SourceWithClip& p) { return std::filesystem::remove(PathOf(p.source)), p.record; },
       "missing", false, Names::Source},
      {"desktop.ini",
       [](SourceWithClip& p) {
         WriteFile(p.dir.File("desktop.ini"), std::string("[.ShellClassInfo]\r\nIconResource=a.dll,3\r\n"));
         return p.dir.File("desktop.ini");
       },
       "invalid", false, Names::Record},
      {"a write-back killed", KilledWriteBack, "interrupted", true, Names::Nothing},
  };
  ScratchDir top;
  std::vector<std::unique_ptr<SourceWithClip>> pairs;
  std::vector<const Row*> asked;
  std::vector<std::string> args = {"status"};
  for (const Row& row : rows) {
    pairs.push_back(std::make_unique<SourceWithClip>(3, "take.wav", 2, top.path()));
    const std::string record = row.make(*pairs.back());
    if (record.empty()) continue;
    asked.push_back(&row);
    args.push_back(record);
  }

  const auto before = Snapshot(top.path());
  const ProcessResult text = RunCli(args);
  args.push_back("--json");
  const ProcessResult json = RunCli(args);
  EXPECT_EQ(Snapshot(top.path()), before);
  EXPECT_EQ(text.status + json.status, 0);
  EXPECT_EQ(text.err + json.err, "");
  const Json records = Json::parse(json.out).at("records");
  ASSERT_EQ(records.size(), asked.size()) << json.out;
  std::string lines;
  for (size_t i = 0; i < asked.size(); ++i) {
    const Row& row = *asked[i];
    const std::string& record = args[i + 1];
    const Json& got = records[i];
    SCOPED_TRACE(row.name);
    lines += std::string(row.state) + " " + record + "\n";
    // The keys in this order.
    EXPECT_EQ(got, Json({{"record", record}, {"state", row.state}, {"undo", row.undo}, {"source", got["source"]},
                         {"offset", got["offset"]}, {"bytes", got["bytes"]}, {"message", got["message"]}}));
    const std::string message = got["message"];
    if (row.message == Names::Record) {
      EXPECT_EQ(Json({got["source"], got["offset"], got["bytes"]}), Json({nullptr, nullptr, nullptr}));
      EXPECT_NE(message.find(record), std::string::npos) << message;
      continue;
    }
    const std::vector<std::string> head = RecordHead(record);
    EXPECT_EQ(Json({got["source"], got["offset"], got["bytes"]}),
              Json({head[2], std::stoll(head[0]), std::stoll(head[1])}));
    EXPECT_TRUE(row.message == Names::Source ? message.find(head[2]) != std::string::npos : message.empty())
        << message;
  }
  EXPECT_EQ(text.out, lines);
  if (asked.size() < std::size(rows)) GTEST_SKIP() << "the write-back finished before it could be killed";
}

}  // namespace
}  // namespace ostrevan::testing
