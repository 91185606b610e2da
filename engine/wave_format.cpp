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

uint64_t AudioLayout::AvailableDataSize() const {
  const int64_t inFile = std::max<int64_t>(0, fileLength - DataStart());
  return std::min<uint64_t>(dataChunk.dataSize, static_cast<uint64_t>(inFile));
}

uint16_t AudioLayout::Encoding() const {
  return header.formatTag == kExtensibleFormat ? subFormat : header.formatTag;
}

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
  return layout;
}

}  // namespace ostrevan
