// Paths and typed texts are data: format directives in them are never expanded, and long
// ones are carried whole into messages or refused by the system, never cut by a buffer.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine_error.h"
#include "integer_text.h"
#include "load_wave.h"
#include "pair_files.h"
#include "processes.h"
#include "save_clip.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

#ifndef _WIN32
#include "cli_run.h"
#endif

namespace ostrevan {
namespace {


std::string CannotOpen(const std::string& path) { return Text(u8"ファイル ") + path + Text(u8" は開けません"); }

TEST(PathSafety, FormatDirectivesInPathsAreOrdinaryCharacters) {
  testing::SourceWithClip files(2, "take%s%n%x%d%%.wav");
  files.EditClip();
  testing::RecordingUi ui;
  WriteBackClips({files.record}, ui);
  EXPECT_EQ(ui.infos, std::vector<std::string>{Text(texts::kFinished)});
  const testing::Bytes after = testing::ReadFile(files.source);
  EXPECT_TRUE(std::equal(files.editedAudio.begin(), files.editedAudio.end(), after.begin() + 44));

  const std::string missing = files.dir.File("gone%s%n%p.wav");
  LoadedWave wave;
  EXPECT_EQ(testing::ErrorOf([&] { LoadWave(missing, wave); }), CannotOpen(missing));
  testing::WriteFile(files.record, "0\r\n8\r\n" + missing + "\r\n");
  testing::RecordingUi missingUi;
  WriteBackClips({files.record}, missingUi);
  EXPECT_EQ(missingUi.infos, std::vector<std::string>{Text(texts::kSourceMissing) + missing});
  EXPECT_EQ(testing::ErrorOf([] { ParseIntegerText("%n%s"); }), Text(u8"'%n%s' は整数ではありません"));

#ifndef _WIN32
  auto run = testing::RunCli({"info", missing});
  EXPECT_EQ(run.status, cli::kExitError);
  EXPECT_EQ(run.err, ErrorText(CannotOpen(missing)) + "\n");
  run = testing::RunCli({"writeback", files.record});
  EXPECT_EQ(run.status, cli::kExitMessage);
  EXPECT_EQ(run.out, Text(texts::kSourceMissing) + missing + "\n");
#endif
}

TEST(PathSafety, LongPathsAreCarriedWholeIntoMessages) {
  testing::ScratchDir dir;
  for (size_t length : {259, 260, 261, 300, 1000, 5000}) {
    SCOPED_TRACE(length);
    const std::string prefix = dir.File("");
    const std::string path = prefix + std::string(length - std::min(length - 1, prefix.size()), 'a');
    LoadedWave wave;
    EXPECT_EQ(testing::ErrorOf([&] { LoadWave(path, wave); }), CannotOpen(path));
    EXPECT_FALSE(FileExists(path));
  }
  const std::string longText(5000, '7');
  EXPECT_EQ(testing::ErrorOf([&] { ParseIntegerText(longText); }), FormatText(texts::kNotAnInteger, longText));
}

// The longest name a pair needs is its undo journal's while it is made (X.undo.journal.wav.new).
// A cut whose names all fit the system's limit of 255 is written back, undone and written back
// again; one byte more is refused before anything is made, naming that name.
TEST(PathSafety, APairAtTheNameLimitWorksAndOneByteMoreIsRefusedUpFront) {
  for (const size_t over : {0, 1}) {
    SCOPED_TRACE(over);
    testing::ScratchDir dir;
    const std::string stem(255 - std::string(".undo.journal.wav.new").size() - std::string("-1-1").size() + over, 's');
    const std::string source = dir.File(stem + ".wav");
    const testing::Bytes before = testing::MakeWave(testing::TestFormat(), testing::PatternBytes(2 * testing::kMinute));
    testing::WriteFile(source, before);
    testing::RecordingUi ui;
    const std::string error = testing::ErrorOf([&] { testing::CutClip(source, "1", "1", ui); });
    const std::string record = dir.File(stem + "-1-1.ini");
    if (over > 0) {
      EXPECT_EQ(error, FormatText(texts::kNameTooLong, dir.File(stem + "-1-1.undo.journal.wav.new")));
      EXPECT_EQ(testing::NamesIn(dir.path()), std::vector<std::string>{stem + ".wav"});
      continue;
    }
    ASSERT_EQ(error, "(no error)");
    const testing::Bytes edited = testing::PatternBytes(testing::kMinute, 9);
    const auto edit = [&] { testing::WriteFile(testing::ClipOf(record), testing::MakeWave(testing::TestFormat(), edited)); };
    edit();
    WriteBackClips({record}, ui);
    WriteBackClips({UndoRecordPathOf(record)}, ui);
    EXPECT_EQ(testing::ReadFile(source), before);
    WriteBackClips({record}, ui);
    EXPECT_EQ(ui.infos, std::vector<std::string>(4, Text(texts::kFinished)));
    EXPECT_EQ(testing::ReadFile(source), testing::With(before, 44 + testing::kMinute, edited));
  }
}

#ifndef _WIN32
// Natively there is no 260-byte limit to trust: a source 3,000 bytes deep cuts and writes back.
TEST(PathSafety, DeepPathsWorkWhereTheSystemAllowsThem) {
  testing::ScratchDir dir;
  std::string folder = dir.path();
  while (folder.size() < 3000) folder += "/" + std::string(200, 'd');
  std::filesystem::create_directories(folder);
  const std::string source = folder + "/take.wav";
  const testing::Bytes before = testing::MakeWave(testing::TestFormat(), testing::PatternBytes(2 * testing::kMinute));
  testing::WriteFile(source, before);
  testing::RecordingUi ui;
  WriteBackClips({testing::CutClip(source, "1", "1", ui)}, ui);
  EXPECT_EQ(ui.infos, (std::vector<std::string>{Text(texts::kFinished), Text(texts::kFinished)}));
  EXPECT_EQ(testing::ReadFile(source), before);
}
#endif

}  // namespace
}  // namespace ostrevan
