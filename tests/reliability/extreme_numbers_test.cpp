// Header numbers and typed texts at the ends of their ranges: sizes and positions never
// overflow, and nothing is written outside what the numbers allow.

#include <gtest/gtest.h>

#include "load_wave.h"
#include "source_with_clip.h"
#include "processes.h"
#include "save_clip.h"
#include "texts.h"

namespace ostrevan {
namespace {


// The largest sample rate and block align make a minute more bytes than any position holds:
// the largest start minute must still compute its position safely.
TEST(ExtremeNumbers, TheLargestStartMinuteOfTheLargestFormat) {
  testing::ScratchDir dir;
  testing::WaveShape shape = testing::Mono8000();
  shape.sampleRate = 0xFFFFFFFF;
  shape.blockAlign = 0xFFFF;
  const std::string source = dir.File("wide.wav");
  const testing::Bytes before = testing::MakeWave(shape, testing::PatternBytes(1000));
  testing::WriteFile(source, before);
  LoadedWave wave;
  LoadWave(source, wave);
  for (const char* length : {"1", "2147483647"}) {
    SCOPED_TRACE(length);
    testing::RecordingUi ui;
    EXPECT_EQ(testing::ErrorOf([&] { SaveClip(wave, length, "2147483647", source, ClipMode::StartMinute, ui); }),
              "(no error)");
    EXPECT_EQ(ui.infos, std::vector<std::string>{Text(texts::kStartBeyondEnd)});
    ui.infos.clear();
    EXPECT_EQ(testing::ErrorOf([&] { SaveClip(wave, length, "", source, ClipMode::FromEnd, ui); }), "(no error)");
  }
  EXPECT_EQ(testing::ReadFile(source), before);
}

}  // namespace
}  // namespace ostrevan
