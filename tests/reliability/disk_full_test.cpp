// The disk fills while a clip or a write-back is written: a file size limit in a child
// process makes every write past it short, as a full disk does. (POSIX only.)
#ifndef _WIN32

#include <gtest/gtest.h>

#include "cli_run.h"
#include "engine_error.h"
#include "processes.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan {
namespace {


// Room for a fifth of a clip.
constexpr int64_t kRoom = testing::kMinute / 5;

TEST(DiskFull, AClipThatDoesNotFitIsAWriteErrorAndTheSourceIsUntouched) {
  testing::SourceWithClip files(3);
  std::remove(files.clip.c_str());
  std::remove(files.record.c_str());
  const testing::ProcessResult child = testing::RunInChild(
      [&](int pipe) {
        testing::RecordingUi ui;
        testing::WriteAll(pipe, testing::ErrorOf([&] { testing::CutClip(files.source, "1", "1", ui); }));
        for (const auto& info : ui.infos) testing::WriteAll(pipe, "\n" + info);
        return 0;
      },
      testing::RunOptions().FileSizeLimit(kRoom));
  ASSERT_EQ(child.status, 0);
  EXPECT_EQ(child.out, Text(texts::kWriteError));  // and no "終わりました"
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
  EXPECT_FALSE(testing::Exists(RecordPathFor(ClipPathFor(files.source, "1", "1", ClipMode::StartMinute))));
}

TEST(DiskFull, TheCommandLineCutReportsTheWriteError) {
  testing::SourceWithClip files(3);
  const auto run = testing::RunCli({"cut", files.source, "--length", "1", "--start", "1"},
                                   testing::RunOptions().FileSizeLimit(kRoom));
  EXPECT_EQ(run.status, cli::kExitError);
  EXPECT_EQ(run.err, ErrorText(Text(texts::kWriteError)) + "\n");
  EXPECT_EQ(run.out.find(Text(texts::kFinished)), std::string::npos);
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
}

TEST(DiskFull, AWriteBackCutShortIsAnErrorAndStaysInItsRange) {
  testing::SourceWithClip files(3, "take.wav", 1);
  files.EditClip();
  // Writes stop part of the way into the clip's range.
  const int64_t limit = files.DataStart() + files.ClipOffset() + 1000;
  const auto run = testing::RunCli({"writeback", files.record}, testing::RunOptions().FileSizeLimit(limit));
  EXPECT_EQ(run.status, cli::kExitError);
  EXPECT_EQ(run.err, ErrorText(Text(texts::kWriteError)) + "\n");
  EXPECT_EQ(run.out.find(Text(texts::kFinished)), std::string::npos);
  const int64_t from = files.DataStart() + files.ClipOffset();
  EXPECT_TRUE(testing::SameOutside(files.sourceBytes, testing::ReadFile(files.source), from, from + testing::kMinute));
}

}  // namespace
}  // namespace ostrevan

#endif
