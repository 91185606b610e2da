#include <gtest/gtest.h>

#include <cstdio>

#include "texts.h"
#include "engine_error.h"
#include "play_time.h"
#include "test_files.h"

namespace ostrevan {
namespace {


// Hours, minutes, seconds and leftover frames as one code ("%.2d%.2d%.2d%.5d"): a compact
// way to state every part of a worked example at once.
std::string CodeOf(const PlayTime& time) {
  char code[96];
  std::snprintf(code, sizeof code, "%.2llu%.2llu%.2llu%.5llu", static_cast<unsigned long long>(time.hours),
                static_cast<unsigned long long>(time.minutes), static_cast<unsigned long long>(time.seconds),
                static_cast<unsigned long long>(time.leftoverFrames));
  return code;
}

struct Example {
  uint64_t dataSize;
  uint32_t blockAlign;
  uint32_t sampleRate;
  const char* code;
  uint64_t wholeMinutes;
  uint64_t seconds;
};

TEST(ComputePlayTime, WorkedExamples) {
  const Example examples[] = {
      {111220200, 4, 44100, "00103022050", 10, 30},
      {1072224000, 6, 48000, "01020300000", 62, 3},
      {10584000, 4, 44100, "00010000000", 1, 0},
      {5283180, 2, 44100, "00005939690", 0, 59},
      {10, 4, 44100, "00000000002", 0, 0},
      {3, 4, 44100, "00000000000", 0, 0},
      {2147483647, 1, 8000, "74335503647", 4473, 55},
      {12420000, 6, 192000, "000010150000", 0, 10},  // six digits of leftover frames
      {3600ull * 44100 * 4, 4, 44100, "01000000000", 60, 0},
      // Sizes of 2 GiB and more are ordinary long recordings.
      {2147483648ull, 4, 44100, "03225341612", 202, 53},
      {4294967295ull, 4, 44100, "06454739123", 405, 47},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.code);
    const PlayTime time = ComputePlayTime(e.dataSize, e.blockAlign, e.sampleRate);
    EXPECT_EQ(CodeOf(time), e.code);
    EXPECT_EQ(time.WholeMinutes(), e.wholeMinutes);
    EXPECT_EQ(time.seconds, e.seconds);
  }
}

TEST(ComputePlayTime, HundredHoursAndMoreKeepMinutesAndSecondsRight) {
  // The code grows a digit, but minutes and seconds are not read back out of it.
  const PlayTime time = ComputePlayTime(400000000, 1, 1000);
  EXPECT_EQ(CodeOf(time), "111064000000");
  EXPECT_EQ(time.WholeMinutes(), 6666u);
  EXPECT_EQ(time.seconds, 40u);
}

TEST(ComputePlayTime, ZeroDivisorsRaiseInDivisionOrder) {
  auto messageOf = [](uint64_t size, uint32_t align, uint32_t rate) {
    return testing::ErrorOf([&] { ComputePlayTime(size, align, rate); });
  };
  EXPECT_EQ(messageOf(100, 0, 44100), Text(u8"0 による浮動小数点数除算"));
  EXPECT_EQ(messageOf(0, 0, 44100), Text(u8"不正な浮動小数点数演算命令"));
  EXPECT_EQ(messageOf(100, 4, 0), Text(u8"ゼロによる除算"));
  EXPECT_EQ(messageOf(100, 0, 0), Text(u8"0 による浮動小数点数除算"));
  EXPECT_EQ(messageOf(0, 0, 0), Text(u8"不正な浮動小数点数演算命令"));
}

}  // namespace
}  // namespace ostrevan
