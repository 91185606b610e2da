#include "wave_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "little_endian.h"
#include "riff_walk.h"

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

SampleFormat SampleFormatOf(const WaveHeader& header, uint16_t subFormat) {
  return {header.channels, header.sampleRate, header.blockAlign, header.bitsPerSample,
          header.formatTag == kExtensibleFormat ? subFormat : header.formatTag};
}

bool IsCuttableEncoding(uint16_t encoding) {
  return encoding == 1 || encoding == 3 || encoding == 6 || encoding == 7;
}

namespace {

WaveKind KindOf(Container container) {
  switch (container) {
    case Container::Riff: return WaveKind::Riff;
    case Container::Rf64: return WaveKind::Rf64;
    case Container::Rifx: return WaveKind::BigEndian;
    case Container::Other: break;
  }
  return WaveKind::Unknown;
}

// The fmt chunk's values over the canonical header read from the first 36 bytes.
void TakeFmt(const FmtChunk& fmt, AudioLayout& layout) {
  WaveHeader& h = layout.header;
  h.fmtTag = {'f', 'm', 't', ' '};
  h.fmtSize = fmt.size;
  h.formatTag = fmt.formatTag;
  h.channels = fmt.channels;
  h.sampleRate = fmt.sampleRate;
  h.byteRate = fmt.byteRate;
  h.blockAlign = fmt.blockAlign;
  h.bitsPerSample = fmt.bitsPerSample;
  layout.subFormat = fmt.subFormat;
  layout.extensibleFmt = fmt.extensibleBody;
}

// Resolves the audio's byte count from the stated size, the ds64 size and the file's end.
void ResolveAudioSize(File& file, const ChunkWalk& walk, AudioLayout& layout) {
  const uint32_t stated32 = layout.dataChunk.dataSize;
  const bool sizedByDs64 = layout.kind == WaveKind::Rf64 && stated32 == UINT32_MAX && walk.ds64DataSize;
  uint64_t stated = sizedByDs64 ? *walk.ds64DataSize : stated32;
  const auto toEnd = static_cast<uint64_t>(std::max<int64_t>(0, layout.fileLength - layout.DataStart()));

  // Some writers count a chunk that follows the audio (a peak chunk, say) into ds64's data
  // size; its sample count still ends where the audio does, and a chunk header stands there.
  const uint16_t frame = layout.format.blockAlign;
  if (sizedByDs64 && walk.ds64SampleCount && frame != 0 &&
      *walk.ds64SampleCount < stated / frame) {
    const uint64_t counted = *walk.ds64SampleCount * frame;
    if (ChunkStartsAt(file, layout.DataStart() + static_cast<int64_t>(counted + (counted & 1)), layout.fileLength)) {
      stated = counted;
    }
  }

  // A recorder that lost power, or a writer that could not say more than 32 bits, leaves 0
  // or 0xFFFFFFFF; when nothing after the data chunk reads as a chunk, the audio is all that
  // follows the header.
  const bool unfilledValue =
      stated == 0 || (stated == UINT32_MAX && (layout.kind != WaveKind::Rf64 || !walk.ds64DataSize));
  if (unfilledValue) {
    const uint64_t end = stated + (stated & 1);
    const bool dataIsLast = end >= toEnd || !ChunkStartsAt(file, layout.DataStart() + static_cast<int64_t>(end),
                                                           layout.fileLength);
    if (dataIsLast) {
      layout.audioSize = frame == 0 ? toEnd : toEnd - toEnd % frame;
      return;
    }
  }
  layout.audioSize = std::min(stated, toEnd);
  layout.statedBeyondFile = stated > toEnd;
}

}  // namespace

std::optional<AudioLayout> ReadAudioLayout(File& file) {
  AudioLayout layout;
  layout.fileLength = file.Length();
  const ChunkWalk walk = WalkChunks(file, layout.fileLength);
  layout.kind = KindOf(walk.container);
  if (layout.kind == WaveKind::BigEndian) return layout;

  unsigned char head[kSubFormatOffset + 2] = {};
  file.ReadAt(0, head, sizeof head);
  layout.header = WaveHeader::Decode(head);
  layout.subFormat = ReadU16(head + kSubFormatOffset);
  if (walk.fmt) TakeFmt(*walk.fmt, layout);
  layout.format = SampleFormatOf(layout.header, layout.subFormat);

  std::optional<int64_t> tagPos = walk.dataTagPos;
  if (!tagPos && walk.broken) tagPos = FindDataTag(file);
  if (!tagPos) return std::nullopt;
  unsigned char chunk[DataChunkHeader::kSize];
  if (file.ReadAt(*tagPos, chunk, sizeof chunk) < sizeof chunk) return std::nullopt;
  layout.dataTagPos = *tagPos;
  layout.dataChunk = DataChunkHeader::Decode(chunk);
  ResolveAudioSize(file, walk, layout);
  return layout;
}

}  // namespace ostrevan
