#include "wave_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "little_endian.h"
#include "riff_walk.h"

namespace ostrevan {

namespace {

constexpr size_t kScanBlock = 64 * 1024;
constexpr unsigned char kDataTag[4] = {'d', 'a', 't', 'a'};

}  // namespace

FmtChunk DecodeFmtBody(const unsigned char* body, size_t got) {
  // Short bodies read as zeros past their end: one zero-filled copy, then fixed offsets.
  unsigned char b[26] = {};
  std::memcpy(b, body, std::min(got, sizeof b));
  FmtChunk fmt;
  fmt.formatTag = ReadU16(b);
  fmt.channels = ReadU16(b + 2);
  fmt.sampleRate = ReadU32(b + 4);
  fmt.byteRate = ReadU32(b + 8);
  fmt.blockAlign = ReadU16(b + 12);
  fmt.bitsPerSample = ReadU16(b + 14);
  fmt.validBits = ReadU16(b + 18);
  fmt.channelMask = ReadU32(b + 20);
  fmt.subFormat = ReadU16(b + 24);
  return fmt;
}

SampleFormat SampleFormat::Of(const FmtChunk& fmt) {
  return {fmt.channels, fmt.sampleRate, fmt.blockAlign, fmt.bitsPerSample,
          fmt.formatTag == kExtensibleFormat ? fmt.subFormat : fmt.formatTag};
}

bool IsCuttableEncoding(uint16_t encoding) {
  return encoding == 1 || encoding == 3 || encoding == 6 || encoding == 7;
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

// Without a fmt chunk in the chain, the values where a canonical header keeps them: the fmt
// chunk's size at 16, its body from 20 (the sub-format code at 44).
FmtChunk CanonicalFmt(File& file) {
  constexpr size_t kBodyAt = 20;
  unsigned char head[kBodyAt + 26] = {};
  const size_t got = file.ReadAt(0, head, sizeof head);
  FmtChunk fmt = DecodeFmtBody(head + kBodyAt, got > kBodyAt ? got - kBodyAt : 0);
  fmt.position = 12;
  fmt.size = ReadU32(head + 16);
  return fmt;
}

// Resolves the audio's byte count from the stated size, the ds64 size and the file's end.
void ResolveAudioSize(File& file, const ChunkWalk& walk, AudioLayout& layout) {
  const uint32_t stated32 = layout.statedDataSize;
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

  layout.fmt = walk.fmt ? *walk.fmt : CanonicalFmt(file);
  layout.format = SampleFormat::Of(layout.fmt);

  std::optional<int64_t> tagPos = walk.dataTagPos;
  if (!tagPos && walk.broken) tagPos = FindDataTag(file);
  if (!tagPos) return std::nullopt;
  unsigned char chunk[kChunkHeaderSize];
  if (file.ReadAt(*tagPos, chunk, sizeof chunk) < sizeof chunk) return std::nullopt;
  layout.dataTagPos = *tagPos;
  layout.statedDataSize = ReadU32(chunk + 4);
  ResolveAudioSize(file, walk, layout);
  return layout;
}

}  // namespace ostrevan
