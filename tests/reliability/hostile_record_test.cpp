// Broken and unusual clip record files given to the write-back: each ends with its message,
// within a time limit, and the files it names are left as they were.

#include <gtest/gtest.h>

#include "processes.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan {
namespace {

using testing::Bytes;
using testing::ScratchDir;

// A record's first two lines for the clip of the first minute.
const std::string kFirstMinute = "0\r\n" + std::to_string(testing::kMinute) + "\r\n";

struct Outcome {
  std::string error;
  std::vector<std::string> infos;
};

Outcome WriteBack(const std::string& record) {
  Outcome outcome;
  testing::RecordingUi ui;
  testing::WithinSeconds(20, [&] {
    outcome.error = testing::ErrorOf([&] { WriteBackClips({record}, ui); });
  });
  outcome.infos = ui.infos;
  return outcome;
}

TEST(HostileRecord, TenMegabytesIsRefusedAsTooLarge) {
  testing::SourceWithClip cut;
  testing::WriteFile(cut.record, kFirstMinute + cut.source + "\r\n" + std::string(10 << 20, ' '));
  EXPECT_EQ(WriteBack(cut.record).error,
            FormatText(texts::kRecordUnreadable, {cut.record, Text(texts::kTextTooLarge)}));
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);
}

TEST(HostileRecord, NulEndsTheText) {
  testing::SourceWithClip cut;
  // After the NUL nothing counts, not even the line breaks.
  testing::WriteFile(cut.record, kFirstMinute + cut.source + std::string("\0\r\n\r\nrubbish\r\n", 14));
  EXPECT_EQ(WriteBack(cut.record).infos, std::vector<std::string>{Text(texts::kFinished)});
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);

  testing::WriteFile(cut.record, std::string("0\0\r\n", 4) + std::to_string(testing::kMinute) + "\r\n" + cut.source + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, FormatText(texts::kRecordUnreadable, {cut.record, FormatText(texts::kNotAnInteger, "")}));
  EXPECT_TRUE(outcome.infos.empty());
}

TEST(HostileRecord, LinesOf5000BytesAreCutAt4096) {
  testing::SourceWithClip cut;
  testing::WriteFile(cut.record, "0\r\n" + std::string(5000, '9') + "\r\n" + cut.source + "\r\n");
  const std::string notAnInteger = FormatText(texts::kNotAnInteger, std::string(4096, '9'));
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kRecordUnreadable, {cut.record, notAnInteger}));

  const std::string longPath = cut.dir.File(std::string(5000, 'p'));
  testing::WriteFile(cut.record, kFirstMinute + longPath + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, "(no error)");
  EXPECT_EQ(outcome.infos, std::vector<std::string>{Text(texts::kSourceMissing) + longPath.substr(0, 4096)});
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);
}

TEST(HostileRecord, AFolderAsTheSourceIsAMissingSource) {
  testing::SourceWithClip cut;
  testing::WriteFile(cut.record, kFirstMinute + cut.dir.path() + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, "(no error)");
  EXPECT_EQ(outcome.infos, std::vector<std::string>{Text(texts::kSourceMissing) + cut.dir.path()});
}

TEST(HostileRecord, ARecordNamingItselfOrItsClipChangesNothing) {
  testing::SourceWithClip cut;
  // No "data" in the record's own text, so it has no data chunk.
  ASSERT_EQ(cut.record.find("data"), std::string::npos);
  const std::string itself = "0\r\n8\r\n" + cut.record + "\r\n";
  testing::WriteFile(cut.record, itself);
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kNoDataChunk, cut.record));
  EXPECT_EQ(testing::ReadFile(cut.record), Bytes(itself.begin(), itself.end()));

  // Its own clip as the source: the clip is held for writing, so it cannot also be read.
  const Bytes clipBytes = testing::ReadFile(cut.clip);
  testing::WriteFile(cut.record, kFirstMinute + cut.clip + "\r\n");
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kCannotOpen, cut.clip));
  EXPECT_EQ(testing::ReadFile(cut.clip), clipBytes);
}

}  // namespace
}  // namespace ostrevan
