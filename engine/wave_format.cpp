#include "wave_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "little_endian.h"

namespace ostrevan {

namespace {

Tag ReadTag(const unsigned char* p) { return {p[0], p[1], p[2], p[3]}; }
void WriteTag(unsigned char* p, const Tag& tag) { std::memcpy(p, tag.data(), tag.size()); }

constexpr size_t kScanBlock = 64 * 1024;
constexpr unsigned char kDataTag[4] = {'d', 'a', 't', 'a'};

}  // namespace

WaveHeader WaveHeader::Decode(const unsigned char* b) {
  WaveHeader h;
  h.riffTag = ReadTag(b);
  h.riffSize = ReadU32(b + 4);
  h.waveTag = ReadTag(b + 8);
  h.fmtTag = ReadTag(b + 12);
  h.fmtSize = ReadU32(b + 16);
  h.formatTag = ReadU16(b + 20);
  h.channels = ReadU16(b + 22);
  h.sampleRate = ReadU32(b + 24);
  h.byteRate = ReadU32(b + 28);
  h.blockAlign = ReadU16(b + 32);
  h.bitsPerSample = ReadU16(b + 34);
  return h;
}

void WaveHeader::Encode(unsigned char* b) const {
  WriteTag(b, riffTag);
  WriteU32(b + 4, riffSize);
  WriteTag(b + 8, waveTag);
  WriteTag(b + 12, fmtTag);
  WriteU32(b + 16, fmtSize);
  WriteU16(b + 20, formatTag);
  WriteU16(b + 22, channels);
  WriteU32(b + 24, sampleRate);
  WriteU32(b + 28, byteRate);
  WriteU16(b + 32, blockAlign);
  WriteU16(b + 34, bitsPerSample);
}

DataChunkHeader DataChunkHeader::Decode(const unsigned char* b) {
  DataChunkHeader d;
  d.dataTag = ReadTag(b);
  d.dataSize = ReadU32(b + 4);
  return d;
}

void DataChunkHeader::Encode(unsigned char* b) const {
  WriteTag(b, dataTag);
  WriteU32(b + 4, dataSize);
}

std::optional<int64_t> FindDataTag(File& file) {
  // Each block after the first starts 3 bytes before the end of the previous one, so a tag
  // that straddles a block edge is still seen whole.
  std::vector<unsigned char> block(kScanBlock);
  int64_t blockStart = kDataScanStart;
  for (;;) {
    const size_t got = file.ReadAt(blockStart, block.data(), block.size());
    if (got < sizeof kDataTag) return std::nullopt;
    const auto end = block.begin() + static_cast<std::ptrdiff_t>(got);
    const auto hit = std::search(block.begin(), end, std::begin(kDataTag), std::end(kDataTag));
    if (hit != end) return blockStart + (hit - block.begin());
    if (got < block.size()) return std::nullopt;
    blockStart += static_cast<int64_t>(got) - static_cast<int64_t>(sizeof kDataTag - 1);
  }
}

uint64_t AudioLayout::AvailableDataSize(bool unsetMeansToEnd) const {
  const auto toEnd = static_cast<uint64_t>(std::max<int64_t>(0, fileLength - DataStart()));
  const uint32_t stated = dataChunk.dataSize;
  if (unsetMeansToEnd && (stated == 0 || stated == UINT32_MAX)) return toEnd;
  return std::min<uint64_t>(stated, toEnd);
}

namespace {

// How many chunks the fmt search walks before it gives up; fmt is normally the first.
constexpr int kMaxChunksWalked = 64;

SampleFormat CanonicalFormat(const WaveHeader& header, uint16_t subFormat) {
  return {header.channels, header.sampleRate, header.blockAlign, header.bitsPerSample,
          header.formatTag == kExtensibleFormat ? subFormat : header.formatTag};
}

// The fmt chunk found by walking the chunks from position 12 (tag, 32-bit size, a pad byte
// after an odd size), up to the data chunk.
std::optional<SampleFormat> WalkToFmtChunk(File& file, int64_t fileLength) {
  int64_t pos = 12;
  for (int walked = 0; walked < kMaxChunksWalked && pos + 8 <= fileLength; ++walked) {
    unsigned char head[8];
    if (file.ReadAt(pos, head, sizeof head) < sizeof head) break;
    const uint32_t size = ReadU32(head + 4);
    if (std::memcmp(head, "fmt ", 4) == 0) {
      unsigned char body[26] = {};
      const size_t wanted = std::min<size_t>(size, sizeof body);
      if (size < 16 || file.ReadAt(pos + 8, body, wanted) < 16) return std::nullopt;
      const uint16_t tag = ReadU16(body);
      // The extensible format's sub-format code opens its GUID at byte 24 of the chunk.
      const uint16_t encoding = tag == kExtensibleFormat && wanted >= 26 ? ReadU16(body + 24) : tag;
      return SampleFormat{ReadU16(body + 2), ReadU32(body + 4), ReadU16(body + 12), ReadU16(body + 14), encoding};
    }
    if (std::memcmp(head, "data", 4) == 0) break;
    pos += 8 + static_cast<int64_t>(size) + (size & 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<AudioLayout> ReadAudioLayout(File& file) {
  AudioLayout layout;
  unsigned char head[kSubFormatOffset + 2] = {};
  file.ReadAt(0, head, sizeof head);
  const std::optional<int64_t> tagPos = FindDataTag(file);
  if (!tagPos) return std::nullopt;
  unsigned char chunk[DataChunkHeader::kSize];
  if (file.ReadAt(*tagPos, chunk, sizeof chunk) < sizeof chunk) return std::nullopt;
  layout.header = WaveHeader::Decode(head);
  layout.subFormat = ReadU16(head + kSubFormatOffset);
  layout.dataTagPos = *tagPos;
  layout.dataChunk = DataChunkHeader::Decode(chunk);
  layout.fileLength = file.Length();
  layout.format = WalkToFmtChunk(file, layout.fileLength).value_or(CanonicalFormat(layout.header, layout.subFormat));
  return layout;
}

}  // namespace ostrevan
