// Inputs the fuzz targets found, kept as ordinary tests.

#include <gtest/gtest.h>

#include <cstdint>

#include "source_with_clip.h"
#include "processes.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan {
namespace {


// A record of 0 bytes whose offset lies beyond the end of the audio data writes nothing.
// (It once wrote zero bytes past the end of the source without end, growing the file until
// the disk was full; natively the run is fenced by a file size limit so a relapse fails fast.)
TEST(FuzzFindings, AnEmptyRangeBeyondTheAudioWritesNothing) {
  testing::SourceWithClip files;
  // Whole frames (an offset between frames is refused before anything else): the end of the
  // two minutes of audio, a frame past it, far past it, and the largest offset there is.
  const int64_t frame = testing::TestFormat().blockAlign;
  const int64_t end = 2 * testing::kMinute;
  testing::WriteFile(files.clip, testing::MakeWave(testing::TestFormat(), {}));
  for (const int64_t offset : {end, end + frame, int64_t{5526344}, INT64_MAX / frame * frame}) {
    SCOPED_TRACE(offset);
    testing::WriteFile(files.record, std::to_string(offset) + "\r\n0\r\n" + files.source + "\r\n");
    std::string outcome;
    auto writeBack = [&] {
      testing::RecordingUi ui;
      const std::string error = testing::ErrorOf([&] { WriteBackClips({files.record}, ui); });
      return error + "|" + (ui.infos.empty() ? "" : ui.infos.back());
    };
#ifdef _WIN32
    outcome = testing::WithinSeconds(20, writeBack);
#else
    const auto child = testing::RunInChild(
        [&](int pipe) {
          testing::WriteAll(pipe, writeBack());
          return 0;
        },
        testing::RunOptions().FileSizeLimit(static_cast<int64_t>(files.sourceBytes.size())));
    ASSERT_EQ(child.status, 0);
    outcome = child.out;
#endif
    EXPECT_EQ(outcome, "(no error)|" + Text(texts::kFinished));
    EXPECT_EQ(testing::ReadFile(files.source), files.sourceBytes);
  }
}

}  // namespace
}  // namespace ostrevan
