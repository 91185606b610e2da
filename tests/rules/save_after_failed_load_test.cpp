// "WAV保存" after a load that failed because another program held the file: Label6 names the
// new file while the loaded record still holds the old one's values, and the save must not
// cut the new file with them.

#include <gtest/gtest.h>

#include <utility>

#include "engine_error.h"
#include "fake_form.h"
#include "file.h"
#include "form_handlers.h"
#include "replaced_source.h"
#include "test_waves.h"

namespace ostrevan::rules {
namespace {

using namespace ostrevan::testing;

enum class Route { Drop, OpenDialog };

// Two files in a folder of their own, a.wav loaded first and b.wav, and the window.
struct TwoFiles : testing::StandInWindow {
  std::string a, b;
  Bytes aBytes, bBytes;

  TwoFiles(const WaveShape& aShape, const Bytes& aAudio, const WaveShape& bShape, const Bytes& bAudio)
      : a(dir.File("a.wav")), b(dir.File("b.wav")) {
    WriteFile(a, MakeWave(aShape, aAudio));
    WriteFile(b, MakeWave(bShape, bAudio));
    aBytes = ReadFile(a);
    bBytes = ReadFile(b);
  }

  void Load(const std::string& path, Route route) {
    if (route == Route::OpenDialog) {
      OpenDialogChosen(path, form, ui);
    } else {
      Drop({path});
    }
  }

  // b.wav loaded while another opener holds it: the open error, and Label6 names it anyway.
  void FailToLoadBWhileHeld(Route route) {
    File held;
    ASSERT_TRUE(held.Open(b, FileMode::ReadExclusive));
    EXPECT_EQ(ErrorOf([&] { Load(b, route); }), FormatText(texts::kCannotOpen, b));
    EXPECT_EQ(form.sourcePath, b);
  }

  // The save refused with the changed-since-load message for b.wav: no error, nothing new
  // in the folder, both files as they were, no record text shown.
  void ExpectSaveRefused() {
    ui.infos.clear();
    EXPECT_EQ(ErrorOf([&] { SaveClipWork(form)(ui); }), "(no error)");
    EXPECT_EQ(ui.infos, std::vector<std::string>{FormatText(texts::kChangedSinceLoad, b)});
    EXPECT_EQ(ui.recordText, "");
    EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(ReadFile(a), aBytes);
    EXPECT_EQ(ReadFile(b), bBytes);
  }
};

// Each replacement, saved from a start minute and from the end; once b.wav is loaded
// properly the same save cuts it with its own values.
TEST(SaveAfterFailedLoad, AFileOfAnotherLayoutIsNotCutWithTheLoadedValues) {
  for (const Replacement& replacement : ostrevan::testing::Replacements()) {
    for (const bool fromEnd : {false, true}) {
      SCOPED_TRACE(std::string(replacement.what) + (fromEnd ? ", from the end" : ", from minute 2"));
      const Bytes bAudio = PatternBytes(replacement.failedAudioBytes, 2);
      TwoFiles files(replacement.loaded, PatternBytes(10 * BytesPerMinute(replacement.loaded), 1),
                     replacement.failed, bAudio);
      files.form.fromStartMinute = !fromEnd;
      files.Load(files.a, Route::Drop);
      ASSERT_EQ(files.form.sourcePath, files.a);
      MoveStartMinute(files.form, 2);
      files.FailToLoadBWhileHeld(Route::Drop);
      files.ExpectSaveRefused();

      files.ui.infos.clear();
      files.Load(files.b, Route::Drop);
      ASSERT_TRUE(files.ui.infos.empty()) << files.ui.infos[0];
      SaveClipWork(files.form)(files.ui);
      EXPECT_EQ(files.ui.infos, std::vector<std::string>{Text(texts::kFinished)});
      const std::string clip = files.dir.File(fromEnd ? "b-L-1.wav" : "b-2-1.wav");
      EXPECT_TRUE(Exists(files.dir.File(fromEnd ? "b-L-1.ini" : "b-2-1.ini")));
      const uint64_t minute = BytesPerMinute(replacement.failed);
      const uint64_t wholeFrames = bAudio.size() - bAudio.size() % replacement.failed.blockAlign;
      const uint64_t from = fromEnd ? wholeFrames - minute : 2 * minute;
      EXPECT_EQ(WalkedAudio(clip), Bytes(bAudio.begin() + from, bAudio.begin() + from + minute));
      const auto walked = WalkWave(clip);
      EXPECT_EQ(walked.encoding, replacement.failed.formatTag);
      EXPECT_EQ(walked.channels, replacement.failed.channels);
      EXPECT_EQ(walked.sampleRate, replacement.failed.sampleRate);
      EXPECT_EQ(walked.bitsPerSample, replacement.failed.bitsPerSample);
      EXPECT_EQ(ReadFile(files.a), files.aBytes);
      EXPECT_EQ(ReadFile(files.b), files.bBytes);
    }
  }
}

// Chosen in the open dialog rather than dropped: the same refusal.
TEST(SaveAfterFailedLoad, ChosenInTheOpenDialogTheSameHolds) {
  const Replacement replacement = ostrevan::testing::Replacements().front();
  TwoFiles files(replacement.loaded, PatternBytes(10 * BytesPerMinute(replacement.loaded), 1), replacement.failed,
                 PatternBytes(replacement.failedAudioBytes, 2));
  files.Load(files.a, Route::OpenDialog);
  files.FailToLoadBWhileHeld(Route::OpenDialog);
  files.ExpectSaveRefused();
  // Refused again on a second press: the refusal changes nothing it would later rely on.
  files.ExpectSaveRefused();
}

// A b.wav with a data chunk but no audio in it, at the same place as a.wav's.
TEST(SaveAfterFailedLoad, AFileWithNoAudioIsNotCut) {
  TwoFiles files(TestFormat(), PatternBytes(10 * BytesPerMinute(TestFormat()), 1), TestFormat(), Bytes());
  files.Load(files.a, Route::Drop);
  MoveStartMinute(files.form, 2);
  files.FailToLoadBWhileHeld(Route::Drop);
  files.ExpectSaveRefused();
  files.form.fromStartMinute = false;
  files.ExpectSaveRefused();
  // Loaded properly it is a file under a minute, told and forgotten as always.
  files.Load(files.b, Route::Drop);
  EXPECT_EQ(files.ui.infos.back(), Text(texts::kShortFile));
  EXPECT_EQ(files.form.sourcePath, "");
}

}  // namespace
}  // namespace ostrevan::rules
