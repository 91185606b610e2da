// A clip's header is plain canonical WAV whatever the source's layout, and RF64 only when
// its audio cannot be stated in 32 bits; both read back through the chunk walk.

#include <gtest/gtest.h>

#include <string>

#include "clip_header.h"
#include "file.h"
#include "little_endian.h"
#include "test_files.h"
#include "wave_format.h"

namespace ostrevan::testing {
namespace {

// An extensible fmt chunk whose body was not kept (too long, say): the clip gets the
// canonical 16 bytes naming the real encoding.
AudioLayout ExtensibleSource() {
  AudioLayout layout;
  FmtChunk& fmt = layout.fmt;
  fmt.formatTag = kExtensibleFormat;
  fmt.subFormat = 3;  // IEEE float
  fmt.channels = 6;
  fmt.sampleRate = 48000;
  fmt.byteRate = 48000 * 24;
  fmt.blockAlign = 24;
  fmt.bitsPerSample = 32;
  fmt.size = 40;
  layout.format = SampleFormat::Of(fmt);
  return layout;
}

// Writes `header` and makes the file `header.size() + audioBytes` long (sparse).
AudioLayout ReadBack(const ScratchDir& dir, const std::string& header, uint64_t audioBytes) {
  const std::string path = dir.File("clip.wav");
  WriteFile(path, header);
  PutBytes(path, static_cast<int64_t>(header.size() + audioBytes) - 1, {0});
  File file;
  EXPECT_TRUE(file.Open(path, FileMode::ReadExclusive));
  const std::optional<AudioLayout> layout = ReadAudioLayout(file);
  EXPECT_TRUE(layout.has_value());
  return layout.value_or(AudioLayout{});
}

TEST(ClipHeader, IsCanonicalWithTheRealEncodingUpTo32Bits) {
  const std::string h = ClipHeaderBytes(ExtensibleSource(), 1000);
  ASSERT_EQ(h.size(), 44u);
  const auto* b = reinterpret_cast<const unsigned char*>(h.data());
  EXPECT_EQ(h.substr(0, 4), "RIFF");
  EXPECT_EQ(ReadU32(b + 4), 1036u);
  EXPECT_EQ(h.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(ReadU32(b + 16), 16u);
  EXPECT_EQ(ReadU16(b + 20), 3u);
  EXPECT_EQ(ReadU16(b + 22), 6u);
  EXPECT_EQ(ReadU32(b + 24), 48000u);
  EXPECT_EQ(ReadU16(b + 32), 24u);
  EXPECT_EQ(h.substr(36, 4), "data");
  EXPECT_EQ(ReadU32(b + 40), 1000u);

  // The largest plain clip keeps a saturated RIFF size; 0xFFFFFFFF itself would read as a
  // size never filled in, so from there on the clip is RF64.
  const std::string largest = ClipHeaderBytes(ExtensibleSource(), 0xFFFFFFFEu);
  EXPECT_EQ(largest.size(), 44u);
  EXPECT_EQ(ReadU32(reinterpret_cast<const unsigned char*>(largest.data()) + 4), 0xFFFFFFFFu);
  EXPECT_EQ(ClipHeaderBytes(ExtensibleSource(), 0xFFFFFFFFu).size(), 80u);
}

TEST(ClipHeader, ClipsOf4GiBOrMoreAreRf64AndReadBackWithTheirWholeSize) {
  ScratchDir dir;
  const uint64_t audio = (uint64_t{5} << 30) + 24;  // 5 GiB and one frame
  const std::string h = ClipHeaderBytes(ExtensibleSource(), audio);
  ASSERT_EQ(h.size(), 80u);
  EXPECT_EQ(h.substr(0, 4), "RF64");
  EXPECT_EQ(h.substr(12, 4), "ds64");
  EXPECT_EQ(h.substr(48, 4), "fmt ");
  EXPECT_EQ(h.substr(72, 4), "data");
  const AudioLayout layout = ReadBack(dir, h, audio);
  EXPECT_EQ(layout.kind, WaveKind::Rf64);
  EXPECT_EQ(layout.dataTagPos, 72);
  EXPECT_EQ(layout.AudioSize(), audio);
  EXPECT_FALSE(layout.statedBeyondFile);
  EXPECT_EQ(layout.format.encoding, 3);
  EXPECT_EQ(layout.format.blockAlign, 24);
  // Cut short: the stated size runs past the file.
  const AudioLayout cut = ReadBack(dir, h, audio - 24);
  EXPECT_TRUE(cut.statedBeyondFile);
  EXPECT_EQ(cut.AudioSize(), audio - 24);
}

}  // namespace
}  // namespace ostrevan::testing
