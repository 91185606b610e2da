#pragma once
// The WAV header as this program reads it: the first 36 bytes (RIFF header and a 16-byte
// fmt chunk at its canonical offsets, nothing validated) and the 8-byte header of the data
// chunk, found by scanning for the bytes "data" from position 36.

#include <array>
#include <cstdint>
#include <optional>

#include "file.h"

namespace ostrevan {

using Tag = std::array<unsigned char, 4>;

struct WaveHeader {
  static constexpr int kSize = 36;
  Tag riffTag{};
  uint32_t riffSize = 0;
  Tag waveTag{};
  Tag fmtTag{};
  uint32_t fmtSize = 0;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;

  static WaveHeader Decode(const unsigned char* bytes);
  void Encode(unsigned char* bytes) const;
};

struct DataChunkHeader {
  static constexpr int kSize = 8;
  Tag dataTag{};
  uint32_t dataSize = 0;  // as the file states it

  static DataChunkHeader Decode(const unsigned char* bytes);
  void Encode(unsigned char* bytes) const;
};

// The extensible format keeps the real sample encoding as a sub-format code at file offset 44.
inline constexpr uint16_t kExtensibleFormat = 0xFFFE;
inline constexpr int64_t kSubFormatOffset = 44;
inline constexpr int64_t kDataScanStart = 36;

// Position of the first "data" (lower case, byte for byte) at or after position 36, or none
// when the file ends first. Reads in blocks, not one read per position.
std::optional<int64_t> FindDataTag(File& file);

// What the samples are, for comparing two files: channels, rate, frame size, sample size
// and encoding (integer PCM, floating point...: the format tag, or for the extensible
// format its sub-format code).
struct SampleFormat {
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t encoding = 0;
  bool operator==(const SampleFormat& other) const {
    return channels == other.channels && sampleRate == other.sampleRate && blockAlign == other.blockAlign &&
           bitsPerSample == other.bitsPerSample && encoding == other.encoding;
  }
};

// Where a file's audio data lies, as its own header says, ending no later than the file.
struct AudioLayout {
  WaveHeader header;       // the first 36 bytes, at their canonical offsets
  uint16_t subFormat = 0;  // the two bytes at offset 44; meaningful for the extensible format
  // The fmt chunk's values wherever the chunk stands (editors may put JUNK or other chunks
  // before it); the canonical offsets when no fmt chunk is found by walking the chunks.
  SampleFormat format;
  int64_t dataTagPos = 0;
  DataChunkHeader dataChunk;
  int64_t fileLength = 0;

  int64_t DataStart() const { return dataTagPos + DataChunkHeader::kSize; }
  // The stated data size, cut at the end of the file. With `unsetMeansToEnd`, a stated
  // size of 0 or 0xFFFFFFFF (a writer that never finished its header) means up to the end.
  uint64_t AvailableDataSize(bool unsetMeansToEnd = false) const;
};

// Reads the header, the sub-format, the sample format, the data chunk header and the file's
// length. None when there is no "data" tag with 8 bytes after it.
std::optional<AudioLayout> ReadAudioLayout(File& file);

}  // namespace ostrevan
