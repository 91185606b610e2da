// Inputs the fuzz targets found, kept as ordinary tests.

#include <gtest/gtest.h>

#include "reliability_sources.h"
#include "reliability_support.h"
#include "texts.h"
#include "write_back.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace ostrevan {
namespace {

using testing::Sys;

// A record of 0 bytes whose offset lies beyond the end of the audio data writes nothing.
// (It once wrote zero bytes past the end of the source without end, growing the file until
// the disk was full; natively the run is fenced by a file size limit so a relapse fails fast.)
TEST(FuzzFindings, AnEmptyRangeBeyondTheAudioWritesNothing) {
  testing::SourceWithClip files;
  for (const char* offset : {"960000", "960001", "5526345", "9223372036854775807"}) {
    SCOPED_TRACE(offset);
    testing::WriteFile(files.record, std::string(offset) + "\r\n0\r\n" + files.source + "\r\n");
    std::string outcome;
    auto writeBack = [&] {
      testing::RecordingUi ui;
      const std::string error = testing::ErrorOf([&] { WriteBackClips({files.record}, ui); });
      return error + "|" + (ui.infos.empty() ? "" : ui.infos.back());
    };
#ifdef _WIN32
    outcome = testing::WithinSeconds(20, writeBack);
#else
    const auto child = testing::RunInChild([&](int pipe) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlim_t most = files.sourceBytes.size();
      rlimit limit{most, most};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      testing::WriteAll(pipe, writeBack());
      return 0;
    });
    ASSERT_EQ(child.status, 0);
    outcome = child.out;
#endif
    EXPECT_EQ(outcome, "(no error)|" + Sys(texts::kFinished));
    EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
  }
}

}  // namespace
}  // namespace ostrevan
