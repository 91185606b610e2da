#pragma once
// The WAV header as this program keeps it: the RIFF header with a 16-byte fmt chunk in its
// canonical 36-byte shape, and the 8-byte header of the data chunk. Where these stand in a
// file is found by walking its chunks.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

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

inline constexpr uint16_t kExtensibleFormat = 0xFFFE;
// Where the byte scan for "data" starts, and where a canonical header keeps the extensible
// format's sub-format code.
inline constexpr int64_t kDataScanStart = 36;
inline constexpr int64_t kSubFormatOffset = 44;

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
  bool operator!=(const SampleFormat& other) const { return !(*this == other); }
};

// The sample format that a header (and, for the extensible format, its sub-format) names.
SampleFormat SampleFormatOf(const WaveHeader& header, uint16_t subFormat);

// Encodings whose samples can be cut anywhere on a frame: integer PCM, IEEE float, A-law
// and mu-law. Compressed ones (ADPCM, MPEG, GSM...) cannot.
bool IsCuttableEncoding(uint16_t encoding);

enum class WaveKind { Riff, Rf64, BigEndian, Unknown };

// Where a file's audio lies and what it holds.
struct AudioLayout {
  WaveKind kind = WaveKind::Unknown;
  // The RIFF header and the fmt chunk's values in the canonical 36-byte shape: for a file
  // whose fmt chunk stands at 12, exactly its first 36 bytes.
  WaveHeader header;
  uint16_t subFormat = 0;  // the extensible format's real encoding
  std::string extensibleFmt;  // an extensible fmt chunk's body as the file has it, else empty
  SampleFormat format;
  int64_t dataTagPos = 0;
  DataChunkHeader dataChunk;  // as stated in the file
  // The audio's byte count: the stated size (ds64's for RF64), cut at the end of the file;
  // up to the end of the file, whole frames only, when a writer never filled the size in.
  uint64_t audioSize = 0;
  // The stated size runs past the end of the file (and is no size a writer leaves unfilled).
  bool statedBeyondFile = false;
  int64_t fileLength = 0;

  int64_t DataStart() const { return dataTagPos + DataChunkHeader::kSize; }
  uint64_t AudioSize() const { return audioSize; }
};

// Reads where the audio lies by walking the chunks (the byte scan only when the chain is
// broken). None when there is no data chunk with 8 bytes of header. A big-endian file comes
// back with kind BigEndian and nothing else read.
std::optional<AudioLayout> ReadAudioLayout(File& file);

}  // namespace ostrevan
