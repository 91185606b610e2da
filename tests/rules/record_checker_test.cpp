// The write-back list's tags: which tag each state shows, which entry a result goes to, and
// the checking thread giving way when asked.

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "block_copy.h"
#include "record_checker.h"

namespace ostrevan::rules {
namespace {

using Tag = RecordTag;
TEST(RecordTags, EachStateShowsItsTag) {
  const std::pair<RecordTag, const char*> cases[] = {
      {TagOf(RecordState::Ready, false), u8"置き換え前"},      {TagOf(RecordState::Same, true), u8"置き換え済み"},
      {TagOf(RecordState::Same, false), u8"変更なし"},         {TagOf(RecordState::Interrupted, false), u8"途中"},
      {TagOf(RecordState::Changed, false), u8"置き換えできません"}, {TagOf(RecordState::Missing, false), u8"ファイルがありません"},
      {TagOf(RecordState::Invalid, false), u8"記録が壊れています"}, {RecordTag::Checking, u8"確認中"},
  };
  for (const auto& [tag, text] : cases) EXPECT_EQ(std::string(TagText(tag)), text);
}

// Steps: "+p" adds p, "take" takes the next job, "-i" removes entry i, "*" marks all stale,
// "done" gives the job taken last the tag Ready.
TEST(RecordTags, AResultGoesOnlyToTheEntryItWasAskedFor) {
  const struct {
    const char* name;
    std::vector<std::string> steps;
    std::vector<Tag> tags;
    const char* next;  // "": nothing left to check
  } cases[] = {
      {"in list order", {"+a", "+b", "take", "done"}, {Tag::Ready, Tag::Checking}, "b"},
      {"removed while checked", {"+a", "+b", "take", "-0", "done"}, {Tag::Checking}, "b"},
      {"another removed meanwhile", {"+a", "+b", "take", "-1", "done"}, {Tag::Ready}, ""},
      {"removed and added again", {"+a", "take", "-0", "+a", "done"}, {Tag::Checking}, "a"},
      {"stale again while checked", {"+a", "take", "*", "done"}, {Tag::Checking}, "a"},
      {"stale again after", {"+a", "take", "done", "+b", "*"}, {Tag::Checking, Tag::Checking}, "a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordChecks checks;
    std::optional<RecordChecks::Job> job;
    for (const std::string& step : c.steps) {
      if (step[0] == '+') checks.Add(step.substr(1));
      if (step[0] == '-') checks.Remove(std::stoul(step.substr(1)));
      if (step == "*") checks.MarkAllStale();
      if (step == "take") job = checks.Next();
      if (step == "done") checks.Done(*job, Tag::Ready);
    }
    EXPECT_EQ(checks.Tags(), c.tags);
    const auto next = checks.Next();
    EXPECT_EQ(next ? next->path : "", c.next);
  }
}

template <typename Condition>
bool Within10s(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  return true;
}

// "hold" reads until told to stop, as a long check does; "throw" fails as nothing should.
TEST(RecordTags, TheCheckerRunsAwayFromTheCallerAndStopsWhenAsked) {
  std::atomic<bool> holding{false};
  std::atomic<bool> onCaller{false};
  const auto caller = std::this_thread::get_id();
  RecordChecker checker([] {}, [&](const std::string& path, EngineUi& ui) {
    onCaller = onCaller || std::this_thread::get_id() == caller;
    if (path == "throw") throw std::runtime_error("unreadable");
    for (holding = path == "hold"; holding; holding = ui.Progress(path, 0, 1)) {
    }
    if (path == "hold") throw StopRequested{};
    return RecordStatus{path, RecordState::Ready, false, std::nullopt, ""};
  });
  for (const char* path : {"hold", "throw", "ok"}) checker.Add(path);
  ASSERT_TRUE(Within10s([&] { return holding.load(); }));
  checker.Pause();  // as before a write-back: the check has ended when it returns
  EXPECT_FALSE(holding);
  EXPECT_EQ(checker.Tags(), std::vector<Tag>(3, Tag::Checking));
  checker.Resume();
  ASSERT_TRUE(Within10s([&] { return holding.load(); }));
  checker.Remove(0);
  EXPECT_TRUE(Within10s([&] { return checker.Tags() == std::vector<Tag>{Tag::Missing, Tag::Ready}; }));
  EXPECT_FALSE(onCaller);
}

}  // namespace
}  // namespace ostrevan::rules
