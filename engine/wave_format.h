#pragma once
// A WAV file's format, read once: the fmt chunk's values as the file states them, what they
// mean for cutting (SampleFormat), and where the audio lies (AudioLayout). Where the chunks
// stand in a file is found by walking them.

#include <cstdint>
#include <optional>
#include <string>

#include "file.h"

namespace ostrevan {

inline constexpr uint16_t kExtensibleFormat = 0xFFFE;
// An extensible fmt chunk's body; longer ones up to kMaxKeptFmtSize are kept whole too.
inline constexpr uint32_t kExtensibleFmtSize = 40;
inline constexpr uint32_t kMaxKeptFmtSize = 1024;
// A chunk's id and 32-bit size.
inline constexpr int64_t kChunkHeaderSize = 8;

// The values of a fmt chunk as the file states them, wherever it stands.
struct FmtChunk {
  int64_t position = 0;  // of its id
  uint32_t size = 0;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  // The extensible format's part, 0 where the chunk is too short to hold it. The sub-format
  // is the first two bytes of its GUID: the real encoding.
  uint16_t validBits = 0;
  uint32_t channelMask = 0;
  uint16_t subFormat = 0;
  // An extensible chunk's whole body, which a clip copies byte for byte so that its channel
  // layout and valid bits stay; empty for any other chunk, and for one too short or too long.
  std::string extensibleBody;
};

// Decodes a fmt chunk's body from its first `got` bytes (fewer than its size when the file
// ends first): a field that `got` does not reach is 0.
FmtChunk DecodeFmtBody(const unsigned char* body, size_t got);

// What the samples are, for comparing two files: channels, rate, frame size, sample size
// and encoding (integer PCM, floating point...: the format tag, or for the extensible
// format its sub-format code).
struct SampleFormat {
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t encoding = 0;

  static SampleFormat Of(const FmtChunk& fmt);
  bool operator==(const SampleFormat& other) const {
    return channels == other.channels && sampleRate == other.sampleRate && blockAlign == other.blockAlign &&
           bitsPerSample == other.bitsPerSample && encoding == other.encoding;
  }
  bool operator!=(const SampleFormat& other) const { return !(*this == other); }
};

// Encodings whose samples can be cut anywhere on a frame: integer PCM, IEEE float, A-law
// and mu-law. Compressed ones (ADPCM, MPEG, GSM...) cannot.
bool IsCuttableEncoding(uint16_t encoding);

// Where the byte scan for "data" starts: behind a canonical header's fmt chunk.
inline constexpr int64_t kDataScanStart = 36;

// Position of the first "data" (lower case, byte for byte) at or after position 36, or none
// when the file ends first. Reads in blocks, not one read per position.
std::optional<int64_t> FindDataTag(File& file);

enum class WaveKind { Riff, Rf64, BigEndian, Unknown };

// Where a file's audio lies and what it holds.
struct AudioLayout {
  WaveKind kind = WaveKind::Unknown;
  // The first fmt chunk; without one in the chain (a broken chain), the values where a
  // canonical header keeps them.
  FmtChunk fmt;
  SampleFormat format;  // what `fmt` means
  int64_t dataTagPos = 0;
  uint32_t statedDataSize = 0;  // the data chunk's size as the file states it
  // The audio's byte count: the stated size (ds64's for RF64), cut at the end of the file;
  // up to the end of the file, whole frames only, when a writer never filled the size in.
  uint64_t audioSize = 0;
  // The stated size runs past the end of the file (and is no size a writer leaves unfilled).
  bool statedBeyondFile = false;
  int64_t fileLength = 0;

  int64_t DataStart() const { return dataTagPos + kChunkHeaderSize; }
  uint64_t AudioSize() const { return audioSize; }
};

// Reads where the audio lies by walking the chunks (the byte scan only when the chain is
// broken). None when there is no data chunk with 8 bytes of header. A big-endian file comes
// back with kind BigEndian and nothing else read.
std::optional<AudioLayout> ReadAudioLayout(File& file);

}  // namespace ostrevan
