// The level scan ending early: a read error, a file cut short since its layout was read, a
// sink that stops. The minutes before are given in order, as a clean scan gives them, and the
// outcome says why it ended. Then the AVX2 loops against the portable ones. (Each minute's
// values against sox: tests/engine/real_tools_levels_test.cpp.)

#include <gtest/gtest.h>

#include "cpu_features.h"
#include "file_faults.h"
#include "level_kernels.h"
#include "level_scan.h"
#include "test_waves.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

// The minutes as they come, which must be in order.
struct Recorded : LevelSink {
  std::vector<MinuteLevel> levels;
  size_t stopAfter = SIZE_MAX;
  void Scanned(int64_t minute, const MinuteLevel& level) override {
    EXPECT_EQ(minute, static_cast<int64_t>(levels.size()));
    levels.push_back(level);
  }
  bool KeepGoing() override { return levels.size() < stopAfter; }
};

struct FailingReads : FileFaults {
  int64_t from = 0;
  bool ReadFails(const std::string&, int64_t position) override { return position >= from; }
};

TEST(LevelScan, AnEarlyEndKeepsTheMinutesBefore) {
  // 16-bit stereo at 8,000 Hz: 1,920,000 bytes a minute, read in two blocks.
  const WaveShape shape = SampleShape(1, 2, 8000, 16);
  const Bytes wave = MakeWave(shape, PatternBytes(5 * BytesPerMinute(shape)));
  const int64_t inMinute3 = 44 + 3 * static_cast<int64_t>(BytesPerMinute(shape)) + 1'000'000;
  ScratchDir dir;
  const std::string path = dir.File("take.wav");
  WriteFile(path, wave);
  File file;
  ASSERT_TRUE(file.Open(path, FileMode::ReadShared));
  const AudioLayout layout = *ReadAudioLayout(file);
  file.Close();
  Recorded clean;
  ASSERT_EQ(ScanLevelsOf(path, layout, 0, 5, clean).end, ScanEnd::Complete);

  const struct {
    const char* what;
    bool failReads, cutShort;
    size_t stopAfter;
    std::string error;  // none: stopped
    int64_t nextMinute;
  } cases[] = {
      {"a read error in minute 3", true, false, SIZE_MAX, Text(texts::kReadError), 3},
      {"the file cut in minute 3", false, true, SIZE_MAX, FormatText(texts::kAudioEndsEarly, path), 3},
      {"the sink stops after minute 1", false, false, 2, "", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(path, wave);
    if (c.cutShort) ResizeFile(path, static_cast<uint64_t>(inMinute3));
    ASSERT_TRUE(file.Open(path, FileMode::ReadShared));
    FailingReads faults;
    faults.from = inMinute3;
    if (c.failReads) SetFileFaults(&faults);
    Recorded sink;
    sink.stopAfter = c.stopAfter;
    const ScanOutcome outcome = ScanLevels(file, path, layout, 0, 5, sink);
    SetFileFaults(nullptr);
    file.Close();
    EXPECT_EQ(outcome.end, c.error.empty() ? ScanEnd::Stopped : ScanEnd::Failed);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.nextMinute, c.nextMinute);
    ASSERT_EQ(sink.levels.size(), static_cast<size_t>(c.nextMinute));
    EXPECT_EQ(sink.levels.back().meanSquare, clean.levels[sink.levels.size() - 1].meanSquare);
  }
}

TEST(LevelKernels, Avx2LoopsGiveWhatThePortableOnesGive) {
#if OSTREVAN_LEVELS_AVX2
  if (!HasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  // Full scale, negative: 16-bit samples 37 and 38 (a pair whose squares add up to 2^31) and
  // 24-bit sample 37.
  const Bytes bytes = With(With(PatternBytes(3 * 200'003), 74, {0, 0x80, 0, 0x80}), 111, {0, 0, 0x80});
  using namespace level_kernels;
  using Loop = RunLevel (*)(const unsigned char*, size_t);
  for (const auto& [avx2, portable] :
       {std::pair<Loop, Loop>{Signed16Avx2, Signed16}, std::pair<Loop, Loop>{Signed24Avx2, Signed24}}) {
    for (size_t count : {0, 1, 15, 16, 17, 39, 100, 65536 + 9, 200'003}) {
      SCOPED_TRACE(std::to_string(count) + " samples");
      EXPECT_EQ(avx2(bytes.data(), count).peak, portable(bytes.data(), count).peak);
      EXPECT_EQ(avx2(bytes.data(), count).sumSquares, portable(bytes.data(), count).sumSquares);
    }
  }
#endif
}

}  // namespace
}  // namespace ostrevan::testing
