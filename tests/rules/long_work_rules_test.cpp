// What the window decides around a long cut or write-back: the work made from the controls,
// the progress window's view, and where "参照" opens.

#include <gtest/gtest.h>

#include <cstdint>

#include "fake_form.h"
#include "file.h"
#include "open_dialog_start.h"
#include "progress_view.h"
#include "test_waves.h"

namespace ostrevan::rules {
namespace {

using namespace ostrevan::testing;

class LongWorkRules : public ::testing::Test, protected testing::StandInWindow {};

// The work runs on another thread while the window answers: it must take the controls' texts
// when it is made, not read them (from another thread, changed meanwhile) when it runs.
TEST_F(LongWorkRules, TheWorkTakesTheControlsAsTheyWereWhenMade) {
  const std::string wave = WriteMinutes(dir, "rec.wav", 180);
  OpenDialogChosen(wave, form, ui);
  MoveStartMinute(form, 1);
  form.length = "2";
  form.recordPaths = {dir.File("rec-1-2.ini")};
  const EngineWork cut = SaveClipWork(form);
  const EngineWork writeBack = WriteBackWork(form);
  form.startMinute = "0";
  form.length = "abc";
  form.sourcePath = "";
  form.recordPaths.clear();

  cut(ui);
  ASSERT_TRUE(Exists(dir.File("rec-1-2.wav")));
  const Bytes edited = PatternBytes(2 * kMinute, 7);
  PutBytes(dir.File("rec-1-2.wav"), 44, edited);
  writeBack(ui);
  EXPECT_EQ(ui.infos, (std::vector<std::string>{Text(u8"終わりました"), Text(u8"終わりました")}));
  EXPECT_EQ(ReadRange(wave, 44 + kMinute, edited.size()), edited);  // over the listed record's range
}

TEST(ProgressView, CaptionNameAmountAndBar) {
  const ProgressView cut = DescribeProgress(
      LongWork::Cut, ProgressReport{"C:\\rec\\take-5-3.wav", 412'000'000, 1'382'000'000});
  EXPECT_EQ(cut.caption, Text(u8"取り出し中"));
  EXPECT_EQ(cut.name, "take-5-3.wav");
  EXPECT_EQ(cut.amount, "412 / 1,382 MB");
  EXPECT_EQ(cut.position, 298);

  const ProgressView writeBack =
      DescribeProgress(LongWork::WriteBack, ProgressReport{"D:/a/b.wav", 4'800'000, 4'800'000});
  EXPECT_EQ(writeBack.caption, Text(u8"置き換え中"));
  EXPECT_EQ(writeBack.name, "b.wav");
  EXPECT_EQ(writeBack.amount, "4,800 / 4,800 KB");
  EXPECT_EQ(writeBack.position, kProgressSteps);

  // Before the first report there is nothing to tell but what is being done.
  const ProgressView waiting = DescribeProgress(LongWork::WriteBack, std::nullopt);
  EXPECT_EQ(waiting.caption, Text(u8"置き換え中"));
  EXPECT_EQ(waiting.name, "");
  EXPECT_EQ(waiting.amount, "");
  EXPECT_EQ(waiting.position, 0);
}

// The bar's position for any numbers the engine reports: no overflow, never past the end.
TEST(ProgressView, BarStaysWithinItsSteps) {
  auto position = [](uint64_t done, uint64_t total) {
    return DescribeProgress(LongWork::Cut, ProgressReport{"x.wav", done, total}).position;
  };
  EXPECT_EQ(position(5, 0), 0);
  EXPECT_EQ(position(7, 5), kProgressSteps);
  EXPECT_EQ(position(uint64_t{1} << 62, uint64_t{1} << 63), kProgressSteps / 2);
  EXPECT_EQ(position(UINT64_MAX, UINT64_MAX), kProgressSteps);
}

// The progress window names the file by what follows its path's last separator.
TEST(ProgressView, NameIsAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOf(u8"C:\\録音\\녹음🎙.wav"), u8"녹음🎙.wav");
  EXPECT_EQ(FileNameOf("D:/a/b.wav"), "b.wav");
  EXPECT_EQ(FileNameOf("take.wav"), "take.wav");
  EXPECT_EQ(FileNameOf("C:\\dir\\"), "");
}

TEST(OpenDialogStart, TheLoadedRecordingsFolderElseTheLastChosen) {
  // Nothing loaded, nothing chosen: the system decides.
  EXPECT_EQ(OpenDialogStart(L"", L"").folder, L"");
  EXPECT_EQ(OpenDialogStart(L"", L"").file, L"");

  // Nothing loaded (or a short file emptied Label6): where the last file was chosen.
  DialogStart start = OpenDialogStart(L"", L"C:\\rec\\a.wav");
  EXPECT_EQ(start.folder, L"C:\\rec");
  EXPECT_EQ(start.file, L"C:\\rec\\a.wav");

  // A recording loaded (dropped) elsewhere: its folder, and no name from another folder.
  start = OpenDialogStart(L"D:\\other\\b.wav", L"C:\\rec\\a.wav");
  EXPECT_EQ(start.folder, L"D:\\other");
  EXPECT_EQ(start.file, L"");

  // Loaded in the folder of the last choice, whatever the case of its letters: the name stays.
  start = OpenDialogStart(L"c:\\REC\\b.wav", L"C:\\rec\\a.wav");
  EXPECT_EQ(start.folder, L"c:\\REC");
  EXPECT_EQ(start.file, L"C:\\rec\\a.wav");

  // A drive's root keeps its "\": "C:" alone would be the drive's current folder.
  EXPECT_EQ(OpenDialogStart(L"C:\\a.wav", L"").folder, L"C:\\");
  EXPECT_EQ(FolderOf(L"\\\\server\\share\\a.wav"), L"\\\\server\\share");
}

}  // namespace
}  // namespace ostrevan::rules
