// The write-back list's tags in the real window: a record in each state shows its tag once
// checked, and "実行" then does with it what the tag says.

#include <gtest/gtest.h>

#include "program_driver.h"
#include "source_with_clip.h"
#include "window_texts.h"
#include "write_back.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

TEST(RecordTags, EachRecordShowsWhatWriteBackDoesWithIt) {
  SourceWithClip fresh, edited, changed, missing, garbage, written;
  edited.EditClip();
  changed.EditClip();
  PutBytes(changed.source, changed.DataStart(), PatternBytes(kMinute, 9));
  DeleteFileW(Wide(missing.source).c_str());
  WriteFile(garbage.dir.File("junk.ini"), std::string("x\r\n"));
  written.EditClip();
  RecordingUi ui;
  WriteBackClips({written.record}, ui);
  const struct {
    const char* name;
    const SourceWithClip& pair;
    std::string record;
    const char* tag;
    const char* outcome;   // of "実行" with the record alone in the list
    const char* tagAfter;  // checked again after it
  } cases[] = {
      {"fresh cut", fresh, fresh.record, texts::kTagUnchanged, "nothing to do", texts::kTagUnchanged},
      {"edited clip", edited, edited.record, texts::kTagReady, "written", texts::kTagWrittenBack},
      {"source changed", changed, changed.record, texts::kTagRefused, "refused", texts::kTagRefused},
      {"source missing", missing, missing.record, texts::kTagMissing, "refused", texts::kTagMissing},
      {"garbage record", garbage, garbage.dir.File("junk.ini"), texts::kTagInvalid, "refused", texts::kTagInvalid},
      {"written back", written, written.record, texts::kTagWrittenBack, "nothing to do", texts::kTagWrittenBack},
  };
  std::vector<std::string> records, tags;
  for (const auto& c : cases) {
    records.push_back(c.record);
    tags.push_back(c.tag);
  }
  Program program;
  const HWND list = program.Control("ListBox1");
  program.Drop(records);
  ASSERT_TRUE(Lists(list, records));
  // Until then some read "確認中".
  EXPECT_TRUE(Eventually([&] { return RecordTags(list); }, tags));

  const auto sourceBytes = [](const std::string& path) { return Exists(path) ? ReadFile(path) : Bytes{}; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes before = sourceBytes(c.pair.source);
    program.Click(program.Control("Button4"));
    program.Drop({c.record});
    ASSERT_TRUE(Lists(list, {c.record}));
    program.Click(program.Control("Button3"));
    const std::vector<std::string> box = program.AnswerBox().texts;
    const bool wrote = sourceBytes(c.pair.source) != before;
    const bool finished = box == std::vector<std::string>{Text(u8"終わりました")};
    const char* outcome = box.empty()  ? "no box"
                          : finished   ? (wrote ? "written" : "nothing to do")
                          : !wrote     ? "refused"
                                       : "refused after writing";
    EXPECT_STREQ(outcome, c.outcome);
    EXPECT_TRUE(Eventually([&] { return RecordTags(list); }, {c.tagAfter}));
  }
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
