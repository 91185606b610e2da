// Each minute's peak and RMS against sox's stats ("Overall"), on files that sox and ffmpeg
// write in every kind of sample the program loads. Every file holds the same 140 s: a silent
// minute, a full-scale square wave, and 20 s of quieter, different tones on each channel.
// Native only; skipped when a tool is missing.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "level_scan.h"
#include "load_wave.h"
#include "processes.h"
#include "tool_probes.h"

namespace ostrevan::testing {
namespace {

struct Minutes : LevelSink {
  std::vector<MinuteLevel> levels;
  void Scanned(int64_t, const MinuteLevel& level) override { levels.push_back(level); }
};

// Silence (minus infinity) compares as -999 dB.
double Clamped(double decibels) { return std::max(decibels, -999.0); }

TEST(RealToolsLevels, EveryMinuteAgreesWithSoxStats) {
  if (const std::string missing = MissingTool({"sox", "ffmpeg"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  ScratchDir dir;
  const std::string signal = ShellQuoted(dir.File("signal.wav"));
  const auto channel = [](const std::string& tone) {
    return "if(lt(t,60),0,if(lt(t,120),2*lt(mod(t*100,2),1)-1," + tone + "))";
  };
  ASSERT_TRUE(ShellSucceeds("ffmpeg -nostdin -v error -f lavfi -i \"aevalsrc=exprs='" + channel("0.3*sin(2*PI*440*t)") +
                            "|" + channel("0.1*sin(2*PI*300*t)") + "':s=8000:d=140\" -c:a pcm_f64le " + signal));
  const std::string ffmpeg = "ffmpeg -nostdin -v error -y -i " + signal + " ";
  const std::string sox = "sox -D " + signal + " ";  // no dither: silence stays silence
  const struct {
    const char* what;
    std::string command;  // writes take.wav
  } files[] = {
      {"ffmpeg 8-bit mono", ffmpeg + "-ac 1 -c:a pcm_u8"},
      {"sox 16-bit stereo", sox + "-b 16"},
      {"ffmpeg 16-bit 3 channels (extensible)", ffmpeg + "-af 'pan=3c|c0=c0|c1=c1|c2=0.5*c0' -c:a pcm_s16le"},
      {"ffmpeg 24-bit stereo (extensible)", ffmpeg + "-c:a pcm_s24le"},
      {"sox 32-bit stereo (extensible)", sox + "-b 32 -e signed-integer"},
      {"sox 32-bit float mono", sox + "-b 32 -e floating-point -c 1"},
      {"ffmpeg 64-bit float stereo", ffmpeg + "-c:a pcm_f64le"},
      {"ffmpeg 24-bit stereo RF64", ffmpeg + "-c:a pcm_s24le -rf64 always"},
      {"ffmpeg A-law mono", ffmpeg + "-ac 1 -c:a pcm_alaw"},
      {"sox mu-law mono", sox + "-e mu-law -c 1"},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    const std::string path = dir.File("take.wav");
    ASSERT_TRUE(ShellSucceeds(file.command + " " + ShellQuoted(path)));
    LoadedWave wave;
    LoadWave(path, wave);
    Minutes minutes;
    const ScanOutcome outcome = ScanLevelsOf(path, wave.layout, 0, MinuteCountOf(wave.layout), minutes);
    ASSERT_EQ(outcome.end, ScanEnd::Complete) << outcome.error;
    ASSERT_EQ(minutes.levels.size(), 3u);
    EXPECT_EQ(minutes.levels[1].seconds, 60.0);
    EXPECT_EQ(minutes.levels[2].seconds, 20.0);
    for (int minute = 0; minute < 3; ++minute) {
      SCOPED_TRACE("minute " + std::to_string(minute));
      const ToolLevels stats = SoxStats(path, 60.0 * minute, 60);
      EXPECT_NEAR(Clamped(minutes.levels[minute].PeakDbfs()), Clamped(stats.peakDb), 0.01) << "peak";
      EXPECT_NEAR(Clamped(minutes.levels[minute].RmsDbfs()), Clamped(stats.rmsDb), 0.01) << "RMS";
    }
  }
}

}  // namespace
}  // namespace ostrevan::testing

#endif
