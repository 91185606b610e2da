#pragma once
// Finding the fmt and data chunks of a WAVE file by walking its chain of chunks from offset
// 12: a 4-byte id, a 32-bit little-endian size, the body, and a pad byte after an odd size.
// Only chunk headers are read, so the walk costs the same whatever the length of the audio
// or of any chunk before it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file.h"
#include "wave_format.h"

namespace ostrevan {

// What the first four bytes say the file is.
enum class Container {
  Riff,  // "RIFF" ... "WAVE"
  Rf64,  // "RF64" or "BW64" ... "WAVE": sizes of 0xFFFFFFFF stand for the ds64 chunk's
  Rifx,  // big-endian RIFF: its numbers cannot be read as little-endian
  Other  // anything else: no chunk chain to walk
};

struct ChunkWalk {
  Container container = Container::Other;
  std::optional<FmtChunk> fmt;        // the first fmt chunk
  std::optional<int64_t> dataTagPos;  // the first data chunk reached
  std::optional<uint64_t> ds64DataSize;
  std::optional<uint64_t> ds64SampleCount;
  // True when the chain broke (a size running past the end of the file, an id that is not
  // four printable characters, too many chunks) before a data chunk was reached. Only then
  // may the data chunk be looked for by scanning bytes.
  bool broken = false;
};

// At most this many chunks are walked: a file of tiny chunks cannot make a load hang.
inline constexpr int kMaxChunksWalked = 1 << 20;

// One chunk the walk passed: its id, where its header starts, and its body's size (for an
// RF64 data chunk stated as 0xFFFFFFFF, the ds64 chunk's).
struct ChunkEntry {
  std::string id;
  int64_t offset = 0;
  uint64_t size = 0;
};

// Walks the chunks of `file` (of `fileLength` bytes). With `listing`, every chunk passed is
// added to it and the walk goes on past the audio, to the end of the chain.
ChunkWalk WalkChunks(File& file, int64_t fileLength, std::vector<ChunkEntry>* listing = nullptr);

// True when the 8 bytes at `position` read as a chunk header whose body fits in the file.
bool ChunkStartsAt(File& file, int64_t position, int64_t fileLength);

}  // namespace ostrevan
