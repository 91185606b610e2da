#include "riff_walk.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "little_endian.h"

namespace ostrevan {

namespace {

// Reads small pieces of a file through one cached block, so that thousands of tiny chunks
// cost a few reads, not one read each.
class CachedReader {
 public:
  CachedReader(File& file, int64_t fileLength) : file_(file), fileLength_(fileLength), block_(kBlock) {}

  // Copies up to `size` bytes at `position` into `out`; returns how many the file has there.
  size_t Read(int64_t position, unsigned char* out, size_t size) {
    if (position < 0 || position >= fileLength_) return 0;
    const auto wanted = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), fileLength_ - position));
    if (position < blockStart_ || position + static_cast<int64_t>(wanted) > blockStart_ + static_cast<int64_t>(blockLength_)) {
      blockStart_ = position;
      blockLength_ = file_.ReadAt(position, block_.data(), block_.size());
    }
    const auto offset = static_cast<size_t>(position - blockStart_);
    const size_t got = std::min(wanted, blockLength_ - std::min(offset, blockLength_));
    std::memcpy(out, block_.data() + offset, got);
    return got;
  }

 private:
  static constexpr size_t kBlock = 64 * 1024;
  File& file_;
  int64_t fileLength_;
  std::vector<unsigned char> block_;
  int64_t blockStart_ = 0;
  size_t blockLength_ = 0;
};

bool IsChunkId(const unsigned char* id) {
  return std::all_of(id, id + 4, [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
}

bool IdIs(const unsigned char* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

Container ContainerOf(const unsigned char* head) {
  if (!IdIs(head + 8, "WAVE")) return Container::Other;
  if (IdIs(head, "RIFF")) return Container::Riff;
  if (IdIs(head, "RF64") || IdIs(head, "BW64")) return Container::Rf64;
  if (IdIs(head, "RIFX")) return Container::Rifx;
  return Container::Other;
}

FmtChunk ReadFmt(CachedReader& reader, int64_t position, uint32_t size) {
  // The fields used end with the sub-format code at byte 24 of the extensible layout.
  unsigned char body[26];
  const size_t got = reader.Read(position + 8, body, std::min<size_t>(size, sizeof body));
  FmtChunk fmt = DecodeFmtBody(body, got);
  fmt.position = position;
  fmt.size = size;
  // The extensible chunk whole, so that a clip can keep the channel layout and valid bits.
  if (fmt.formatTag == kExtensibleFormat && size >= kExtensibleFmtSize && size <= kMaxKeptFmtSize) {
    fmt.extensibleBody.resize(size);
    auto* bytes = reinterpret_cast<unsigned char*>(fmt.extensibleBody.data());
    if (reader.Read(position + 8, bytes, size) < size) fmt.extensibleBody.clear();
  }
  return fmt;
}

}  // namespace

bool ChunkStartsAt(File& file, int64_t position, int64_t fileLength) {
  if (position < 0 || position + 8 > fileLength) return false;
  unsigned char head[8];
  if (file.ReadAt(position, head, sizeof head) < sizeof head || !IsChunkId(head)) return false;
  return position + 8 + static_cast<int64_t>(ReadU32(head + 4)) <= fileLength;
}

ChunkWalk WalkChunks(File& file, int64_t fileLength, std::vector<ChunkEntry>* listing) {
  ChunkWalk walk;
  CachedReader reader(file, fileLength);
  unsigned char head[12] = {};
  if (reader.Read(0, head, sizeof head) < sizeof head) return walk;
  walk.container = ContainerOf(head);
  if (walk.container == Container::Other || walk.container == Container::Rifx) {
    walk.broken = true;
    return walk;
  }

  int64_t pos = 12;
  for (int walked = 0;; ++walked) {
    if (walked == kMaxChunksWalked) {
      walk.broken = !walk.dataTagPos;
      return walk;
    }
    unsigned char chunk[8];
    if (reader.Read(pos, chunk, sizeof chunk) < sizeof chunk) return walk;  // a clean end
    if (!IsChunkId(chunk)) {
      walk.broken = !walk.dataTagPos;
      return walk;
    }
    const uint32_t size = ReadU32(chunk + 4);
    uint64_t bodySize = size;
    if (walked == 0 && walk.container == Container::Rf64 && IdIs(chunk, "ds64") && size >= 16) {
      unsigned char sizes[24] = {};
      const size_t got = reader.Read(pos + 8, sizes, size >= 24 ? 24 : 16);
      if (got >= 16) walk.ds64DataSize = ReadU64(sizes + 8);
      if (got >= 24) walk.ds64SampleCount = ReadU64(sizes + 16);
    } else if (IdIs(chunk, "fmt ") && !walk.fmt) {
      walk.fmt = ReadFmt(reader, pos, size);
    } else if (IdIs(chunk, "data") && !walk.dataTagPos) {
      walk.dataTagPos = pos;
      if (size == UINT32_MAX && walk.ds64DataSize) bodySize = *walk.ds64DataSize;
      if (walk.fmt && !listing) return walk;
      // A fmt chunk may follow the audio: walk on past it.
    }
    if (listing) listing->push_back({std::string(chunk, chunk + 4), pos, bodySize});
    if (bodySize > static_cast<uint64_t>(fileLength - pos - 8)) {
      walk.broken = !walk.dataTagPos;
      return walk;
    }
    int64_t next = pos + 8 + static_cast<int64_t>(bodySize + (bodySize & 1));
    // Some writers leave out the pad byte of an odd-sized chunk.
    if ((bodySize & 1) != 0) {
      unsigned char paddedId[4] = {};
      unsigned char unpaddedId[4] = {};
      const bool paddedIsChunk = reader.Read(next, paddedId, 4) == 4 && IsChunkId(paddedId);
      if (!paddedIsChunk && reader.Read(next - 1, unpaddedId, 4) == 4 && IsChunkId(unpaddedId)) --next;
    }
    pos = next;
  }
}

}  // namespace ostrevan
