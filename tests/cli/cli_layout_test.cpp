// ostrevan-cli on two layouts of the table (tests/support/layouts.h), a plain RIFF with a
// chunk before fmt and an RF64 with chunks around its audio: what info prints, a cut, the
// write-back of a clip an editor saved with chunks around its audio into exactly its range,
// and the refusal of a clip cut short. Then the refusals of compressed and big-endian files
// (standard error, exit 2, nothing written).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "layouts.h"
#include "processes.h"
#include "test_waves.h"
#include "texts.h"

namespace ostrevan::testing {
namespace {

// The format of `shape` alone, as a clip holds it.
WaveShape FormatOf(const WaveShape& shape) {
  return SampleShape(shape.formatTag, shape.channels, shape.sampleRate, shape.bitsPerSample);
}

class CliLayout : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(CliLayout, InfoCutAndWriteBack) {
  ScratchDir dir;
  const WaveLayout layout = GetParam().make();
  const std::string wav = dir.File("field.wav");
  WriteFile(wav, layout.file);
  const ProcessResult info = RunCli({"info", wav});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, layout.PlayTime() + "\n" + layout.Attributes() + "\n");
  EXPECT_EQ(info.err, "");

  ASSERT_EQ(RunCli({"cut", wav, "--length", "1", "--start", "1"}).status, 0);
  const uint64_t minute = BytesPerMinute(layout.shape);
  const uint64_t dataStart = static_cast<uint64_t>(layout.dataTagPos) + 8;
  const std::string clipPath = dir.File("field-1-1.wav");
  EXPECT_EQ(DifferenceOf(ReadFile(clipPath), MakeWave(FormatOf(layout.shape), Slice(layout.audio, minute, minute))), "");

  WaveShape edited = FormatOf(layout.shape);
  edited.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  edited.chunksBeforeData = CueChunk({4, 8});
  edited.trailer = Chunk("id3 ", TextBytes("ID3data"));
  const Bytes editedAudio = PatternBytes(minute, 21);
  WriteFile(clipPath, MakeWave(edited, editedAudio));
  const ProcessResult written = RunCli({"writeback", dir.File("field-1-1.ini")});
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.out, u8"終わりました\n");
  EXPECT_EQ(written.err, "");
  const Bytes expected = With(layout.file, dataStart + minute, editedAudio);
  EXPECT_EQ(DifferenceOf(ReadFile(wav), expected), "");

  // A copy that broke off: its header states a minute the file does not hold.
  Bytes broken = MakeWave(FormatOf(layout.shape), PatternBytes(minute, 22));
  broken.resize(broken.size() - 1000);
  WriteFile(clipPath, broken);
  const ProcessResult refused = RunCli({"writeback", dir.File("field-1-1.ini")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, FormatText(texts::kClipCutShort, clipPath) + ".\n");
  EXPECT_EQ(DifferenceOf(ReadFile(wav), expected), "");
}

INSTANTIATE_TEST_SUITE_P(Table, CliLayout,
                         ::testing::Values(LayoutRowNamed("BextBeforeFmtWhoseDescriptionSaysData"),
                                           LayoutRowNamed("Rf64WithDs64AndAChunkAfterTheAudio")),
                         [](const ::testing::TestParamInfo<LayoutRow>& param) { return std::string(param.param.name); });

TEST(CliFormats, CompressedAndBigEndianFilesAreRefused) {
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

}  // namespace
}  // namespace ostrevan::testing
