// The write-back list's tags in the real window: a record in each state shows its tag once
// checked, and "実行" then does with it what the tag says.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "program_driver.h"
#include "source_with_clip.h"
#include "window_texts.h"
#include "write_back.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

TEST(RecordTags, EachRecordShowsWhatWriteBackDoesWithIt) {
  using Make = std::function<std::string(SourceWithClip&)>;
  const struct {
    const char* name;
    Make make;  // gives the record to list
    const char* tag;
    const char* outcome;   // of "実行" with the record alone in the list
    const char* tagAfter;  // checked again after it
  } cases[] = {
      {"fresh cut", [](SourceWithClip& s) { return s.record; }, texts::kTagUnchanged, "nothing to do",
       texts::kTagUnchanged},
      {"edited clip", [](SourceWithClip& s) { s.EditClip(); return s.record; }, texts::kTagReady, "written",
       texts::kTagWrittenBack},
      {"source changed",
       [](SourceWithClip& s) {
         s.EditClip();
         PutBytes(s.source, s.DataStart(), PatternBytes(kMinute, 9));
         return s.record;
       },
       texts::kTagRefused, "refused", texts::kTagRefused},
      {"source missing", [](SourceWithClip& s) { DeleteFileW(Wide(s.source).c_str()); return s.record; },
       texts::kTagMissing, "refused", texts::kTagMissing},
      {"garbage record",
       [](SourceWithClip& s) {
         WriteFile(s.dir.File("junk.ini"), std::string("x\r\n"));
         return s.dir.File("junk.ini");
       },
       texts::kTagInvalid, "refused", texts::kTagInvalid},
      {"written back",
       [](SourceWithClip& s) {
         RecordingUi ui;
         s.EditClip();
         WriteBackClips({s.record}, ui);
         return s.record;
       },
       texts::kTagWrittenBack, "nothing to do", texts::kTagWrittenBack},
  };
  std::vector<std::unique_ptr<SourceWithClip>> pairs;
  std::vector<std::string> records, tags;
  for (const auto& c : cases) {
    pairs.push_back(std::make_unique<SourceWithClip>());
    records.push_back(c.make(*pairs.back()));
    tags.push_back(c.tag);
  }
  Program program;
  const HWND list = program.Control("ListBox1");
  program.Drop(records);
  ASSERT_TRUE(Lists(list, records));
  // Until then some read "確認中".
  EXPECT_TRUE(Eventually([&] { return RecordTags(list); }, tags));

  const auto sourceBytes = [](const std::string& path) { return Exists(path) ? ReadFile(path) : Bytes{}; };
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const Bytes before = sourceBytes(pairs[i]->source);
    program.Click(program.Control("Button4"));
    program.Drop({records[i]});
    ASSERT_TRUE(Lists(list, {records[i]}));
    program.Click(program.Control("Button3"));
    const std::vector<std::string> box = program.AnswerBox().texts;
    const bool written = sourceBytes(pairs[i]->source) != before;
    const bool finished = box == std::vector<std::string>{Text(u8"終わりました")};
    const char* outcome = box.empty()  ? "no box"
                          : finished   ? (written ? "written" : "nothing to do")
                          : !written   ? "refused"
                                       : "refused after writing";
    EXPECT_STREQ(outcome, cases[i].outcome);
    EXPECT_TRUE(Eventually([&] { return RecordTags(list); }, {cases[i].tagAfter}));
  }
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
