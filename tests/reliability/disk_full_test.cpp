// The disk fills while a clip or a write-back is written: a file size limit in a child
// process makes every write past it short, as a full disk does. (POSIX only.)
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "cli_run.h"
#include "engine_error.h"
#include "error_text.h"
#include "load_wave.h"
#include "reliability_sources.h"
#include "reliability_support.h"
#include "save_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan {
namespace {

using testing::Sys;

void LimitFileSize(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);  // a short write instead of the signal, as the program does
  rlimit limit{bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

TEST(DiskFull, AClipThatDoesNotFitIsAWriteErrorAndTheSourceIsUntouched) {
  testing::SourceWithClip files(3);
  std::remove(files.clip.c_str());
  std::remove(files.record.c_str());
  const testing::ChildResult child = testing::RunInChild([&](int pipe) {
    LimitFileSize(100000);
    testing::RecordingUi ui;
    LoadedWave wave;
    LoadWave(files.source, wave);
    testing::WriteAll(pipe, testing::ErrorOf([&] {
      SaveClip(wave, "1", "1", files.source, ClipMode::StartMinute, ui);
    }));
    for (const auto& info : ui.infos) testing::WriteAll(pipe, "\n" + info);
    return 0;
  });
  ASSERT_EQ(child.status, 0);
  EXPECT_EQ(child.out, Sys(texts::kWriteError));  // and no "終わりました"
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
  EXPECT_FALSE(testing::Exists(RecordPathFor(ClipPathFor(files.source, "1", "1", ClipMode::StartMinute))));
}

TEST(DiskFull, TheCommandLineCutReportsTheWriteError) {
  testing::SourceWithClip files(3);
  const auto run = testing::RunProgram(OSTREVAN_CLI_PATH, {"cut", files.source, "--length", "1", "--start", "1"},
                                       [] { LimitFileSize(100000); });
  EXPECT_EQ(run.status, cli::kExitError);
  EXPECT_EQ(run.err, rules::ErrorBoxText(Sys(texts::kWriteError)) + "\n");
  EXPECT_EQ(run.out.find(Sys(texts::kFinished)), std::string::npos);
  EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
}

TEST(DiskFull, AWriteBackCutShortIsAnErrorAndStaysInItsRange) {
  testing::SourceWithClip files(3, "take.wav", 1);
  files.EditClip();
  // Writes stop part of the way into the clip's range.
  const rlim_t limit = static_cast<rlim_t>(files.DataStart() + files.ClipOffset() + 1000);
  const auto run = testing::RunProgram(OSTREVAN_CLI_PATH, {"writeback", files.record}, [=] { LimitFileSize(limit); });
  EXPECT_EQ(run.status, cli::kExitError);
  EXPECT_EQ(run.err, rules::ErrorBoxText(Sys(texts::kWriteError)) + "\n");
  EXPECT_EQ(run.out.find(Sys(texts::kFinished)), std::string::npos);
  const int64_t from = files.DataStart() + files.ClipOffset();
  EXPECT_TRUE(testing::SameOutside(files.sourceBytes, testing::ReadFile(files.source), from, from + testing::kMinute));
}

}  // namespace
}  // namespace ostrevan

#endif
