// Broken and unusual clip record files given to the write-back: each ends with its message,
// within a time limit, and the files it names are left as they were.

#include <gtest/gtest.h>

#include "reliability_support.h"
#include "save_clip.h"
#include "test_files.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan {
namespace {

using testing::Bytes;
using testing::ScratchDir;
using testing::Sys;

// A two-minute source and a one-minute clip cut from its first minute, with its record.
struct CutClip {
  ScratchDir dir;
  std::string source = dir.File("take.wav");
  std::string clip;
  std::string record;
  Bytes sourceBytes;

  CutClip() {
    testing::WaveShape shape;
    shape.channels = 1;
    shape.bitsPerSample = 8;
    shape.blockAlign = 1;
    shape.sampleRate = 8000;
    sourceBytes = testing::MakeWave(shape, testing::PatternBytes(2 * 480000));
    testing::WriteFile(source, sourceBytes);
    LoadedWave wave;
    LoadWave(source, wave);
    testing::RecordingUi ui;
    SaveClip(wave, "1", "0", source, ClipMode::StartMinute, ui);
    clip = ClipPathFor(source, "0", "1", ClipMode::StartMinute);
    record = RecordPathFor(clip);
  }
};

struct Outcome {
  std::string error;
  std::vector<std::string> infos;
};

Outcome WriteBack(const std::string& record) {
  Outcome outcome;
  testing::RecordingUi ui;
  testing::WithinSeconds(20, [&] {
    outcome.error = testing::ErrorOf([&] { WriteBackClips({record}, ui); });
  });
  outcome.infos = ui.infos;
  return outcome;
}

TEST(HostileRecord, TenMegabytesIsRefusedAsTooLarge) {
  CutClip cut;
  testing::WriteFile(cut.record, "0\r\n480000\r\n" + cut.source + "\r\n" + std::string(10 << 20, ' '));
  EXPECT_EQ(WriteBack(cut.record).error, Sys(texts::kTextTooLarge));
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);
}

TEST(HostileRecord, NulEndsTheText) {
  CutClip cut;
  // After the NUL nothing counts, not even the line breaks.
  testing::WriteFile(cut.record, "0\r\n480000\r\n" + cut.source + std::string("\0\r\n\r\nrubbish\r\n", 14));
  EXPECT_EQ(WriteBack(cut.record).infos, std::vector<std::string>{Sys(texts::kFinished)});
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);

  testing::WriteFile(cut.record, std::string("0\0\r\n480000\r\n", 12) + cut.source + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, FormatText(texts::kNotAnInteger, ""));
  EXPECT_TRUE(outcome.infos.empty());
}

TEST(HostileRecord, LinesOf5000BytesAreCutAt4096) {
  CutClip cut;
  testing::WriteFile(cut.record, "0\r\n" + std::string(5000, '9') + "\r\n" + cut.source + "\r\n");
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kNotAnInteger, std::string(4096, '9')));

  const std::string longPath = cut.dir.File(std::string(5000, 'p'));
  testing::WriteFile(cut.record, "0\r\n480000\r\n" + longPath + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, "(no error)");
  EXPECT_EQ(outcome.infos, std::vector<std::string>{Sys(texts::kSourceMissing) + longPath.substr(0, 4096)});
  EXPECT_EQ(testing::ReadFile(cut.source), cut.sourceBytes);
}

TEST(HostileRecord, AFolderAsTheSourceIsAMissingSource) {
  CutClip cut;
  testing::WriteFile(cut.record, "0\r\n480000\r\n" + cut.dir.path() + "\r\n");
  const Outcome outcome = WriteBack(cut.record);
  EXPECT_EQ(outcome.error, "(no error)");
  EXPECT_EQ(outcome.infos, std::vector<std::string>{Sys(texts::kSourceMissing) + cut.dir.path()});
}

TEST(HostileRecord, ARecordNamingItselfOrItsClipChangesNothing) {
  CutClip cut;
  // No "data" in the record's own text, so it has no data chunk.
  ASSERT_EQ(cut.record.find("data"), std::string::npos);
  const std::string itself = "0\r\n8\r\n" + cut.record + "\r\n";
  testing::WriteFile(cut.record, itself);
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kNoDataChunk, cut.record));
  EXPECT_EQ(testing::ReadFile(cut.record), Bytes(itself.begin(), itself.end()));

  // Its own clip as the source: the clip is held for writing, so it cannot also be read.
  const Bytes clipBytes = testing::ReadFile(cut.clip);
  testing::WriteFile(cut.record, "0\r\n480000\r\n" + cut.clip + "\r\n");
  EXPECT_EQ(WriteBack(cut.record).error, FormatText(texts::kCannotOpen, cut.clip));
  EXPECT_EQ(testing::ReadFile(cut.clip), clipBytes);
}

}  // namespace
}  // namespace ostrevan
