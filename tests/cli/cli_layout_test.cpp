// ostrevan-cli on files whose chunks are walked: what info prints for them, the refusals of
// compressed and big-endian files (standard error, exit 2, nothing written), and a cut and
// write-back through an RF64 source and an edited clip with chunks around its audio.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "little_endian.h"
#include "processes.h"
#include "test_waves.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

TEST(CliLayout, InfoOnWalkedLayouts) {
  ScratchDir dir;
  const Bytes audio = PatternBytes(125 * 8000 + 17);
  WaveShape junk = Mono8000();
  junk.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  WaveShape bext = Mono8000();
  bext.chunksBeforeFmt = BextChunk("Card 2 data, river bank");
  WaveShape unfinished = Mono8000();
  unfinished.statedSizeOverride = true;
  unfinished.statedSize = 0;
  WaveShape cue = Mono8000();
  cue.chunksBeforeData = CueChunk({8000});
  const struct {
    const char* name;
    Bytes file;
  } files[] = {{"junk.wav", MakeWave(junk, audio)},
               {"bext.wav", MakeWave(bext, audio)},
               {"unfinished.wav", MakeWave(unfinished, audio)},
               {"cue.wav", MakeWave(cue, audio)},
               {"rf64.wav", MakeRf64(Mono8000(), audio)}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = dir.File(f.name);
    WriteFile(path, f.file);
    const ProcessResult result = RunCli({"info", path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, u8"演奏時間:2分5秒\nWAV属性:mono/8bit/8000Hz\n");
    EXPECT_EQ(result.err, "");
  }
}

TEST(CliLayout, CompressedAndBigEndianFilesAreRefused) {
  ScratchDir dir;
  WaveShape adpcm = Mono8000();
  adpcm.formatTag = 2;
  adpcm.bitsPerSample = 4;
  adpcm.fmtSize = 50;
  adpcm.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  const std::string compressed = dir.File("adpcm.wav");
  WriteFile(compressed, MakeWave(adpcm, PatternBytes(125 * 8000)));
  Bytes bigEndian = MakeWave(Mono8000(), PatternBytes(125 * 8000));
  std::copy_n("RIFX", 4, bigEndian.begin());
  const std::string rifx = dir.File("rifx.wav");
  WriteFile(rifx, bigEndian);
  const struct {
    std::string path;
    const char* text;
  } cases[] = {{compressed, texts::kCompressedFormat}, {rifx, texts::kBigEndianFormat}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string message = FormatText(c.text, c.path) + ".\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", c.path}, {"cut", c.path, "--length", "1", "--start", "0"}, {"cut", c.path, "--length", "1", "--from-end"}}) {
      const ProcessResult result = RunCli(args);
      EXPECT_EQ(result.status, 2);
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(result.err, message);
    }
  }
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"adpcm.wav", "rifx.wav"}));
}

struct CliRf64 : ::testing::Test {
  ScratchDir dir;
  std::string wav = dir.File("field.wav");
  Bytes original;
  int64_t dataStart = 0;

  void SetUp() override {
    WaveShape shape = Mono8000();
    shape.chunksBeforeData = ListInfoChunk("ICMT", "data");
    shape.trailer = Chunk("levl", Bytes(40, 'x'));
    original = MakeRf64(shape, PatternBytes(4 * kMono8000Minute + 99));
    WriteFile(wav, original);
    dataStart = static_cast<int64_t>(original.size() - shape.trailer.size() - (4 * kMono8000Minute + 99));
    ASSERT_EQ(RunCli({"cut", wav, "--length", "1", "--start", "2"}).status, 0);
  }
};

TEST_F(CliRf64, AnEditedClipGoesBackIntoItsRangeOnly) {
  const Bytes clip = ReadFile(dir.File("field-2-1.wav"));
  ASSERT_EQ(clip.size(), 44 + kMono8000Minute);
  EXPECT_EQ(Bytes(clip.begin(), clip.begin() + 4), TextBytes("RIFF"));
  EXPECT_EQ(Bytes(clip.begin() + 44, clip.end()),
            Bytes(original.begin() + dataStart + 2 * kMono8000Minute, original.begin() + dataStart + 3 * kMono8000Minute));

  WaveShape edited = Mono8000();
  edited.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  edited.chunksBeforeData = CueChunk({4, 8});
  edited.trailer = Chunk("id3 ", TextBytes("ID3data"));
  const Bytes editedAudio = PatternBytes(kMono8000Minute, 21);
  WriteFile(dir.File("field-2-1.wav"), MakeWave(edited, editedAudio));
  const ProcessResult result = RunCli({"writeback", dir.File("field-2-1.ini")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, u8"終わりました\n");
  EXPECT_EQ(result.err, "");
  Bytes expected = original;
  std::copy(editedAudio.begin(), editedAudio.end(), expected.begin() + dataStart + 2 * kMono8000Minute);
  EXPECT_EQ(DifferenceOf(ReadFile(wav), expected), "");
}

TEST_F(CliRf64, AClipCutShortIsRefusedAndTheSourceKept) {
  const std::string clipPath = dir.File("field-2-1.wav");
  Bytes clip = MakeWave(Mono8000(), PatternBytes(kMono8000Minute, 22));
  clip.resize(clip.size() - 1000);
  WriteFile(clipPath, clip);
  const ProcessResult result = RunCli({"writeback", dir.File("field-2-1.ini")});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, FormatText(texts::kClipCutShort, clipPath) + ".\n");
  EXPECT_EQ(DifferenceOf(ReadFile(wav), original), "");
}

}  // namespace
}  // namespace ostrevan::testing
