#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "fake_form.h"
#include "file.h"
#include "level_scanner.h"
#include "minute_map_rule.h"
#include "test_waves.h"

namespace ostrevan::rules {
namespace {

using namespace ostrevan::testing;

// The columns show the minutes in order, each minute once, up to the end of the audio; the
// thumb of each start minute stands over that minute (within the minutes a pixel holds), or
// for a few wide minutes at most beside it: for fewer, as many and more minutes than pixels,
// with and without a shorter last minute, and a map too small to follow the thumb.
TEST(MinuteMap, EachStartMinuteLiesUnderItsThumbAndTheColumnsShowEveryMinuteInOrder) {
  struct Case {
    int width, thumb;
    double length;
  };
  for (const Case& c : std::vector<Case>{{207, 17, 12.5}, {207, 17, 3}, {207, 17, 180.5}, {207, 17, 6000}, {207, 17, 1.5},
                                         {7, 17, 600}}) {
    SCOPED_TRACE(std::to_string(c.width) + " px, " + std::to_string(c.length) + " min");
    const auto minutes = static_cast<int64_t>(std::ceil(c.length));
    const auto whole = static_cast<int64_t>(c.length);
    const MapScale scale(c.width, c.thumb, minutes, c.length);
    int64_t next = -1;
    for (int x = 0; x < c.width; ++x) {
      const MinuteRange shown = scale.MinutesInColumn(x);
      if (shown.first >= shown.end) continue;  // beside the minutes
      if (next >= 0) {
        EXPECT_TRUE(shown.first == next || shown.first == next - 1) << x;
      }
      EXPECT_EQ(scale.MinuteAt(x), shown.first);
      next = shown.end;
    }
    EXPECT_EQ(next, minutes);
    if (whole < 2 || c.thumb >= c.width) continue;
    const double perPixel = double(whole - 1) / double(c.width - c.thumb);
    const double slack = perPixel > 0.5 ? std::ceil(perPixel) : whole * c.thumb < c.width ? 1 : 0;
    for (int64_t start = 0; start < whole; ++start) {
      const double thumbMiddle = c.thumb / 2.0 + double(start) / double(whole - 1) * (c.width - c.thumb);
      EXPECT_NEAR(double(scale.MinuteAt(static_cast<int>(thumbMiddle))), double(start), slack) << start;
    }
  }
}

// The highlight is what the cut plans: whole minutes from the start minute, the last minutes
// up to the end of the audio (which need not end on a minute), none for a refused cut.
TEST(MinuteMap, TheClipHighlightedIsWhatTheCutWouldTake) {
  ScratchDir dir;
  LoadedWave wave;
  LoadWave(WriteMinutes(dir, "ten.wav", 630), wave);  // 10.5 minutes
  const auto stretch = [&](const char* length, const char* start, ClipMode mode) {
    const auto clip = ClipOnMap(wave, length, start, mode);
    return clip ? std::to_string(clip->from) + "-" + std::to_string(clip->to) : "none";
  };
  EXPECT_EQ(stretch("3", "2", ClipMode::StartMinute), "2.000000-5.000000");
  EXPECT_EQ(stretch("2", "0", ClipMode::FromEnd), "8.500000-10.500000");
  EXPECT_EQ(stretch("3", "9", ClipMode::StartMinute), "9.000000-10.500000");  // up to the end at most
  EXPECT_EQ(stretch("3", "11", ClipMode::StartMinute), "none");  // refused
  EXPECT_EQ(stretch("x", "2", ClipMode::StartMinute), "none");
  const MapScale shared(220, 0, 11, 10.5);  // no thumb to follow: the minutes share the width
  EXPECT_EQ(shared.ColumnsOf({8.5, 10.5}).left, 178);
  EXPECT_EQ(shared.ColumnsOf({8.5, 10.5}).right, 220);
}

TEST(MinuteMap, BarsAndTipsSayWhatWasMeasured) {
  EXPECT_EQ(BarHeight(-std::numeric_limits<double>::infinity(), 40), 0);
  EXPECT_EQ(BarHeight(-60, 40), 0);
  EXPECT_EQ(BarHeight(-30, 40), 20);
  EXPECT_EQ(BarHeight(-59.9, 40), 1);  // anything above the floor shows
  EXPECT_EQ(BarHeight(3, 40), 40);     // float audio over full scale
  MinuteLevel level;
  level.seconds = 60;
  level.peak = 0.5;          // -6.02 dB
  level.meanSquare = 0.01;   // -20 dB
  EXPECT_EQ(MinuteTip(47, level), Text(u8"47分: ピーク -6.0 dB / 平均 -20.0 dB"));
  EXPECT_EQ(MinuteTip(3, MinuteLevel{60, 0, 0}), Text(u8"3分: 無音"));
  EXPECT_EQ(MinuteTip(3, std::nullopt), Text(u8"3分: まだ測っていません"));
}

// Waits, for at most ten seconds, until the scanner's map is complete or has a note.
bool Settled(const LevelScanner& scanner) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const MapLevels levels = scanner.Levels();
    bool all = levels.Count() > 0;
    for (const auto& minute : levels.minutes) all = all && minute.has_value();
    if (all || !levels.note.empty()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Paused, the scan has let go of the file, which can then be opened exclusively; it goes on
// afterwards; minutes written meanwhile are measured again; a new load starts afresh.
TEST(MinuteMap, TheScanLetsGoOfTheFileAndMeasuresWhatWasWrittenAgain) {
  ScratchDir dir;
  const std::string path = WriteMinutes(dir, "three.wav", 150);
  LoadedWave wave;
  LoadWave(path, wave);
  LevelScanner scanner([] {});
  scanner.Begin(path, wave.layout);
  scanner.Pause();
  File exclusive;
  EXPECT_TRUE(exclusive.Open(path, FileMode::ReadWriteExclusive));
  exclusive.Close();
  scanner.Resume();
  ASSERT_TRUE(Settled(scanner));
  EXPECT_GT(scanner.Levels().minutes[1]->peak, 0);
  EXPECT_DOUBLE_EQ(scanner.Levels().minutes[2]->seconds, 30);
  EXPECT_EQ(MapStatus(scanner.Levels()), Text(u8"3分中3分を測りました"));

  scanner.Pause();  // as before a write-back: on Windows a reader keeps writers out
  PutBytes(path, wave.layout.DataStart() + kMinute, Bytes(kMinute, 0));  // minute 1 silenced
  scanner.Remeasure(kMinute + 10, 4);
  ASSERT_TRUE(Settled(scanner));
  EXPECT_EQ(scanner.Levels().minutes[1]->peak, 0);
  EXPECT_GT(scanner.Levels().minutes[2]->peak, 0);

  scanner.Pause();
  ResizeFile(path, wave.layout.DataStart() + kMinute + 100);  // cut short behind the load's back
  scanner.Begin(path, wave.layout);
  ASSERT_TRUE(Settled(scanner));
  EXPECT_EQ(MapStatus(scanner.Levels()), Text(u8"3分中0分を測りました（0分目から先は読めませんでした）"));
}

// A load tells the form before and after: the map forgets the old file, then measures the new,
// which the window keeps in place of the old.
TEST(MinuteMap, ALoadTellsTheFormBeforeAndAfterAndAFailedOneOnlyBefore) {
  struct Form : testing::FakeForm {
    std::vector<std::string> told;
    void LoadingWave(const std::string& path) override { told.push_back("loading " + path); }
    void WaveLoaded(const LoadedWave& wave) override {
      told.push_back("loaded " + wave.path);
      FakeForm::WaveLoaded(wave);
    }
  };
  ScratchDir dir;
  Form form;
  RecordingUi ui;
  const std::string good = WriteMinutes(dir, "good.wav", 60);
  OpenDialogChosen(good, form, ui);
  EXPECT_THROW(OpenDialogChosen(dir.File("missing.wav"), form, ui), EngineError);
  EXPECT_EQ(form.told, (std::vector<std::string>{"loading " + good, "loaded " + good, "loading " + dir.File("missing.wav")}));
  EXPECT_EQ(form.Loaded().path, good);  // the window keeps what it loaded last
}

}  // namespace
}  // namespace ostrevan::rules
