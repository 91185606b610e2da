// What keeps a cut and a write-back from touching the wrong recording or the wrong bytes:
// the cut checks the file is the loaded one and that its path fits a record; the write-back
// checks the source's range still holds what the record's fingerprint says. (Records whose
// text cannot be trusted: untrusted_records_test.cpp.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clip_record.h"
#include "fingerprint.h"
#include "load_wave.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

struct Guards : ::testing::Test {
  ScratchDir dir;
  std::string source = dir.File("take.wav");
  Bytes original = MakeWave(TestFormat(), PatternBytes(5 * kMinute, 3));
  std::string record = dir.File("take-1-2.ini");
  std::string clip = dir.File("take-1-2.wav");
  RecordingUi ui;

  void SetUp() override { WriteFile(source, original); }

  void CutOneTwo() {
    RecordingUi cutUi;
    CutClip(source, "2", "1", cutUi);
    ASSERT_EQ(cutUi.infos, std::vector<std::string>{Text(texts::kFinished)});
  }
  void Edit(const Bytes& audio) { WriteFile(clip, MakeWave(TestFormat(), audio)); }
  std::string Run(const std::vector<std::string>& records) {
    ui.infos.clear();
    return ErrorOf([&] { WriteBackClips(records, ui); });
  }
  std::string Changed() const { return FormatText(texts::kSourceChangedSinceCut, source); }
};

TEST_F(Guards, ACutOfAFileThatIsNotTheLoadedOneIsRefused) {
  // The user loads a.wav, then a drop of b.wav fails to open: the path label shows b.wav
  // while the loaded record still holds a.wav's numbers.
  const std::string other = dir.File("b.wav");
  WaveShape withList = SampleShape(1, 1, 100, 8);  // not the loaded file's format
  withList.chunksBeforeData = Chunk("LIST", Bytes(30, 'x'));
  WriteFile(other, MakeWave(withList, PatternBytes(40 * kMinute, 4)));
  LoadedWave wave;
  LoadWave(source, wave);
  for (const std::string& path : {other, dir.File("empty.wav")}) {
    if (path != other) WriteFile(path, MakeWave(TestFormat(), {}));
    RecordingUi cutUi;
    EXPECT_EQ(ErrorOf([&] { SaveClip(wave, "1", "0", path, ClipMode::StartMinute, cutUi); }), "(no error)");
    EXPECT_EQ(cutUi.infos, std::vector<std::string>{FormatText(texts::kChangedSinceLoad, path)});
  }
  // The loaded file changed on the disk since it was loaded: refused too.
  WriteFile(source, MakeWave(TestFormat(), PatternBytes(6 * kMinute, 5)));
  RecordingUi cutUi;
  SaveClip(wave, "1", "0", source, ClipMode::StartMinute, cutUi);
  EXPECT_EQ(cutUi.infos, std::vector<std::string>{FormatText(texts::kChangedSinceLoad, source)});
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"b.wav", "empty.wav", "take.wav"}));

  // A load that failed in the play time leaves mixed numbers: no cut is made with them.
  const std::string broken = dir.File("zero-rate.wav");
  WaveShape zeroRate = TestFormat();
  zeroRate.sampleRate = 0;
  WriteFile(broken, MakeWave(zeroRate, PatternBytes(kMinute)));
  LoadWave(dir.File("b.wav"), wave);
  EXPECT_NE(ErrorOf([&] { LoadWave(broken, wave); }), "(no error)");
  RecordingUi mixedUi;
  SaveClip(wave, "1", "0", broken, ClipMode::StartMinute, mixedUi);
  EXPECT_EQ(mixedUi.infos, std::vector<std::string>{FormatText(texts::kChangedSinceLoad, broken)});
  EXPECT_FALSE(Exists(dir.File("zero-rate-0-1.wav")));
}

TEST_F(Guards, PathsARecordCannotHoldAreRefusedAtTheCut) {
  LoadedWave wave;
  LoadWave(source, wave);
  for (const std::string& name : {std::string("take\nb.wav"), std::string("take\rb.wav"), std::string("take\0b.wav", 10)}) {
    const std::string path = dir.path() + "/" + name;
    RecordingUi cutUi;
    // The message is cut at a NUL, as any C string is.
    const std::string expected = FormatText(texts::kPathNotRecordable, path);
    EXPECT_EQ(ErrorOf([&] { SaveClip(wave, "1", "0", path, ClipMode::StartMinute, cutUi); }),
              expected.substr(0, expected.find('\0')));
  }
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"take.wav"});
}

TEST_F(Guards, TheRecordsFingerprintIsTheAudioAsCut) {
  CutOneTwo();
  const RecordLines lines = ReadRecordLines(record);
  Fingerprint expected;
  expected.Update(original.data() + 44 + kMinute, 2 * kMinute);
  EXPECT_EQ(lines.lines[3], expected.Text());
  EXPECT_EQ(lines.lines[3].size(), 9u + 32u);
}

TEST_F(Guards, EditWriteBackEditAgainWriteBackAgain) {
  CutOneTwo();
  const Bytes first = PatternBytes(2 * kMinute, 11);
  Edit(first);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, 44 + kMinute, first));
  const Bytes second = PatternBytes(2 * kMinute, 12);
  Edit(second);
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, 44 + kMinute, second));
  // The same list run twice.
  ASSERT_EQ(Run({record}), "(no error)");
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(texts::kFinished)});
  EXPECT_EQ(ReadFile(source), With(original, 44 + kMinute, second));
  // The record is replaced whole, with nothing left beside it.
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"take-1-2.ini", "take-1-2.undo.ini", "take-1-2.undo.wav",
                                                             "take-1-2.wav", "take.wav"}));
  Fingerprint written;
  written.Update(second.data(), second.size());
  EXPECT_EQ(ReadRecordLines(record).lines[3], written.Text());
}

TEST_F(Guards, ASourceThatIsNoLongerWhatWasCutIsNotWritten) {
  CutOneTwo();
  Edit(PatternBytes(2 * kMinute, 21));
  const Bytes recordAsCut = ReadFile(record);
  const struct {
    const char* what;
    Bytes sourceNow;
  } cases[] = {
      {"another recording of the same name and format", MakeWave(TestFormat(), PatternBytes(5 * kMinute, 22))},
      {"the audio re-exported with other contents", With(original, 44 + kMinute + 500, {1, 2, 3})},
  };
  for (const auto& c : cases) {
    WriteFile(source, c.sourceNow);
    EXPECT_EQ(Run({record}), Changed()) << c.what;
    EXPECT_EQ(ReadFile(source), c.sourceNow) << c.what;
    EXPECT_EQ(ReadFile(record), recordAsCut) << c.what;
  }
}

TEST_F(Guards, OlderRecordsWithoutAFingerprintWriteBackAndGainOne) {
  const Bytes edited = PatternBytes(2 * kMinute, 31);
  Edit(edited);
  WriteFile(record, std::to_string(kMinute) + "\r\n" + std::to_string(2 * kMinute) + "\r\n" + source + "\r\n");
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, 44 + kMinute, edited));
  Fingerprint written;
  written.Update(edited.data(), edited.size());
  EXPECT_EQ(AsText(ReadFile(record)), std::to_string(kMinute) + "\r\n" + std::to_string(2 * kMinute) + "\r\n" + source +
                                          "\r\n" + written.Text() + "\r\n");
}

TEST_F(Guards, ARunStoppedAfterTheSourcesWriteIsAcceptedNextTime) {
  CutOneTwo();
  const Bytes edited = PatternBytes(2 * kMinute, 41);
  Edit(edited);
  // The source holds the clip already while the record still names the audio as cut.
  WriteFile(source, With(original, 44 + kMinute, edited));
  const std::string before = AsText(ReadFile(record));
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_EQ(ReadFile(source), With(original, 44 + kMinute, edited));
  EXPECT_NE(AsText(ReadFile(record)), before);
  // A stale new record from a stopped run is replaced, not read.
  WriteFile(record + ".new", "garbage");
  Edit(PatternBytes(2 * kMinute, 42));
  ASSERT_EQ(Run({record}), "(no error)");
  EXPECT_FALSE(Exists(record + ".new"));
}

}  // namespace
}  // namespace ostrevan::testing
