// Loading a WAV file: the play time and attributes it shows, sizes past 2 GiB, and the errors
// with what a failed load leaves. Where the audio lies in each layout: the table in
// tests/support/layouts.h (walked_layout_test.cpp).

#include <gtest/gtest.h>

#include "engine_error.h"
#include "file.h"
#include "load_wave.h"
#include "save_clip.h"
#include "texts.h"
#include "test_waves.h"

namespace ostrevan {
namespace {

using testing::Bytes;
using testing::ErrorOf;
using testing::MakeWave;
using testing::SampleShape;
using testing::ScratchDir;
using testing::WaveShape;

// A WAV whose audio is `dataSize` bytes, made sparse so large sizes cost nothing.
std::string BigWave(const ScratchDir& dir, const std::string& name, const WaveShape& shape, uint64_t dataSize) {
  WaveShape stated = shape;
  stated.statedSizeOverride = true;
  stated.statedSize = static_cast<uint32_t>(dataSize);
  const std::string path = dir.File(name);
  const Bytes header = MakeWave(stated, {});
  testing::WriteFile(path, header);
  testing::ResizeFile(path, header.size() + dataSize);
  return path;
}

TEST(LoadWave, WorkedExamples) {
  ScratchDir dir;
  struct Row {
    WaveShape shape;
    uint64_t dataSize;
    const char* playTime;
    const char* attributes;
    int64_t maximum;  // -1: the short-file message instead
  };
  const WaveShape stereo16 = SampleShape(1, 2, 44100, 16);
  const WaveShape stereo24 = SampleShape(1, 2, 48000, 24);
  const WaveShape mono16 = SampleShape(1, 1, 44100, 16);
  const Row rows[] = {
      {stereo16, 111220200, u8"演奏時間:10分30秒", u8"WAV属性:stereo/16bit/44100Hz", 9},
      {stereo24, 1072224000, u8"演奏時間:62分3秒", u8"WAV属性:stereo/24bit/48000Hz", 61},
      {mono16, 5283180, u8"演奏時間:0分59秒", u8"WAV属性:mono/16bit/44100Hz", -1},
      {stereo16, 10584000, u8"演奏時間:1分0秒", u8"WAV属性:stereo/16bit/44100Hz", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.playTime);
    LoadedWave wave;
    const LoadOutcome outcome = LoadWave(BigWave(dir, "w.wav", row.shape, row.dataSize), wave);
    EXPECT_EQ(outcome.playTimeText, Text(row.playTime));
    EXPECT_EQ(outcome.attributesText, Text(row.attributes));
    if (row.maximum < 0) {
      EXPECT_EQ(outcome.shortFileMessage, Text(u8"１分以下のWAVEは処理できません"));
      EXPECT_EQ(outcome.wholeMinutes, 0);
    } else {
      EXPECT_FALSE(outcome.IsShortFile());
      EXPECT_EQ(outcome.wholeMinutes, row.maximum + 1);
    }
    EXPECT_EQ(wave.layout.dataTagPos, 36);
    EXPECT_EQ(wave.layout.AudioSize(), row.dataSize);
    EXPECT_EQ(wave.layout.format.sampleRate, row.shape.sampleRate);
    EXPECT_EQ(wave.layout.format.blockAlign, row.shape.blockAlign);
    EXPECT_EQ(wave.layout.format.channels, row.shape.channels);
  }
}

TEST(LoadWave, OtherChannelCountsShowTheCount) {
  ScratchDir dir;
  const WaveShape six = SampleShape(1, 6, 48000, 16);
  LoadedWave wave;
  const LoadOutcome outcome = LoadWave(BigWave(dir, "six.wav", six, 12ull * 48000 * 61), wave);
  EXPECT_EQ(outcome.attributesText, Text(u8"WAV属性:6ch/16bit/48000Hz"));
  EXPECT_EQ(ChannelName(0), "0ch");
}

TEST(LoadWave, NoUsableDataTagIsAnErrorAndChangesNothing) {
  ScratchDir dir;
  LoadedWave wave;
  const std::string good = dir.File("good.wav");
  testing::WriteFile(good, MakeWave({}, testing::PatternBytes(10584000 / 100)));
  LoadWave(good, wave);
  const LoadedWave before = wave;

  Bytes noTag = MakeWave({}, testing::PatternBytes(100));
  noTag[36] = 'D';  // "Data" is not "data"
  Bytes tagAtEnd(40, 0);
  for (char c : std::string("data123")) tagAtEnd.push_back(static_cast<unsigned char>(c));  // 3 bytes after the tag
  const Bytes tiny = {'R', 'I', 'F'};
  const Bytes shortHeader(35, 'd');
  for (const Bytes& bytes : {noTag, tagAtEnd, tiny, shortHeader, Bytes{}}) {
    const std::string path = dir.File("bad.wav");
    testing::WriteFile(path, bytes);
    EXPECT_EQ(ErrorOf([&] { LoadWave(path, wave); }),
              Text(u8"ファイル ") + path + Text(u8" に data チャンクがありません"));
    EXPECT_EQ(wave.layout.dataTagPos, before.layout.dataTagPos);
    EXPECT_EQ(wave.layout.AudioSize(), before.layout.AudioSize());
    EXPECT_EQ(wave.layout.format.channels, before.layout.format.channels);
  }
}

TEST(LoadWave, OpenFailureNamesThePathAndChangesNothing) {
  ScratchDir dir;
  LoadedWave wave;
  wave.layout.audioSize = 123;
  const std::string missing = dir.File("missing.wav");
  EXPECT_EQ(ErrorOf([&] { LoadWave(missing, wave); }), Text(u8"ファイル ") + missing + Text(u8" は開けません"));
  EXPECT_EQ(ErrorOf([&] { LoadWave(dir.path(), wave); }), Text(u8"ファイル ") + dir.path() + Text(u8" は開けません"));
  EXPECT_EQ(ErrorOf([&] { LoadWave("", wave); }), Text(u8"ファイル  は開けません"));
  EXPECT_EQ(wave.layout.AudioSize(), 123u);

  // A file that another opener holds exclusively cannot be loaded.
  const std::string held = dir.File("held.wav");
  testing::WriteFile(held, MakeWave({}, testing::PatternBytes(1000)));
  File holder;
  ASSERT_TRUE(holder.Open(held, FileMode::ReadWriteExclusive));
  EXPECT_EQ(ErrorOf([&] { LoadWave(held, wave); }), Text(u8"ファイル ") + held + Text(u8" は開けません"));
  holder.Close();
  EXPECT_NO_THROW(LoadWave(held, wave));
}

// A load that fails in the play time keeps the recording loaded before, whole: no cut is made
// with a mixture of the two files, even where the new file's layout alone would allow one (a
// zero rate makes every count of minutes 0 bytes).
TEST(LoadWave, AFailedPlayTimeKeepsTheLoadedRecordingAndRefusesCuts) {
  ScratchDir dir;
  LoadedWave wave;
  const std::string good = dir.File("good.wav");
  testing::WriteFile(good, MakeWave({}, testing::PatternBytes(200000)));
  LoadWave(good, wave);
  const LoadedWave before = wave;

  WaveShape zeroRate;
  zeroRate.sampleRate = 0;
  zeroRate.chunksBeforeData = testing::Chunk("junk", {1, 2});
  const std::string bad = dir.File("bad.wav");
  testing::WriteFile(bad, MakeWave(zeroRate, testing::PatternBytes(500)));
  EXPECT_EQ(ErrorOf([&] { LoadWave(bad, wave); }), Text(u8"ゼロによる除算"));
  EXPECT_EQ(wave.path, good);
  EXPECT_TRUE(wave.IsStill(good, before.layout));
  EXPECT_EQ(wave.playTime.audioSize, 200000u);
  EXPECT_EQ(wave.playTime.seconds, 1);

  // The window shows the failed file's path: the cut is refused for it, for a copy of the
  // loaded file under another name (never loaded), and for the loaded file once it holds the
  // failed file's bytes.
  const std::string copy = dir.File("copy.wav");
  testing::WriteFile(copy, testing::ReadFile(good));
  testing::RecordingUi ui;
  for (const std::string& path : {bad, copy, good}) {
    if (path == good) testing::WriteFile(good, testing::ReadFile(bad));
    ui.infos.clear();
    EXPECT_EQ(ErrorOf([&] { SaveClip(wave, "1", "0", path, ClipMode::StartMinute, ui); }), "(no error)");
    EXPECT_EQ(ui.infos, std::vector<std::string>{FormatText(texts::kChangedSinceLoad, path)});
  }
  EXPECT_EQ(testing::NamesIn(dir.path()), (std::vector<std::string>{"bad.wav", "copy.wav", "good.wav"}));
}

TEST(LoadWave, LargeSizesAreUnsignedAndEndWithTheFile) {
  ScratchDir dir;
  LoadedWave wave;
  // 2 GiB of audio is a normal long recording.
  LoadOutcome outcome = LoadWave(BigWave(dir, "big.wav", {}, 2147483648ull), wave);
  EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:202分53秒"));
  EXPECT_EQ(wave.layout.AudioSize(), 2147483648ull);

  // A recording that was never finished: the stated size runs past the end of the file.
  for (uint32_t stated : {0xFFFFFFFFu, 2000000000u}) {
    WaveShape unfinished;
    unfinished.statedSizeOverride = true;
    unfinished.statedSize = stated;
    const std::string path = dir.File("unfinished.wav");
    testing::WriteFile(path, MakeWave(unfinished, testing::PatternBytes(10584000 + 4000)));
    outcome = LoadWave(path, wave);
    EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:1分0秒"));
    EXPECT_EQ(wave.layout.AudioSize(), 10584000u + 4000u);  // kept as read
  }

  // 100 hours and more.
  const WaveShape slow = SampleShape(1, 1, 1000, 8);
  outcome = LoadWave(BigWave(dir, "slow.wav", slow, 400000000), wave);
  EXPECT_EQ(outcome.playTimeText, Text(u8"演奏時間:6666分40秒"));
  EXPECT_EQ(outcome.wholeMinutes, 6666);
}

}  // namespace
}  // namespace ostrevan
