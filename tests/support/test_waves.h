#pragma once
// WAV files the tests make for themselves: the one small test format, canonical and unusual
// layouts, RF64 files, metadata chunks, and this suite's own walk of a file's chunks.

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"

namespace ostrevan::testing {

struct WaveShape {
  uint16_t formatTag = 1;
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint16_t bitsPerSample = 16;
  uint16_t blockAlign = 4;
  uint32_t fmtSize = 16;            // 18 and 40 give longer fmt chunks (40: extensible layout)
  uint16_t subFormat = 1;           // written at offset 44 when fmtSize is 40
  Bytes chunksBeforeFmt;            // raw bytes between "WAVE" and the fmt chunk (JUNK, say)
  Bytes chunksBeforeData;           // raw bytes between the fmt chunk and the data chunk
  bool statedSizeOverride = false;  // write `statedSize` instead of the real data size
  uint32_t statedSize = 0;
  Bytes trailer;                    // bytes after the audio data (a LIST chunk, say)
};

// A shape of whole-byte samples; the block align follows from channels and bits.
WaveShape SampleShape(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample);

uint64_t BytesPerMinute(const WaveShape& shape);

// The test format: stereo, 16 bits, 100 frames a second, so a minute is a small file and a
// frame is more than one byte.
WaveShape TestFormat();
inline constexpr uint32_t kMinute = 24000;  // one minute of TestFormat

// Mono, 8 bits, 8000 samples a second: the rate real tools are asked for.
WaveShape Mono8000();
inline constexpr uint32_t kMono8000Minute = 480000;

// A WAV file with `audio` as its data, laid out as `shape` says.
Bytes MakeWave(const WaveShape& shape, const Bytes& audio);
// What MakeWave puts before `audioSize` bytes of audio (the sizes it states cut to 32 bits),
// for files too big to hold in memory.
Bytes WaveHead(const WaveShape& shape, uint64_t audioSize);

// A TestFormat file `seconds` long, written as `name` in `dir`; returns its path.
std::string WriteMinutes(const ScratchDir& dir, const std::string& name, uint64_t seconds);

// A RIFF chunk: tag, 32-bit size, body, and a pad byte for an odd size.
Bytes Chunk(const std::string& tag, const Bytes& body);

// A ds64 chunk (the first chunk of an RF64 file): the 64-bit RIFF size, data size and
// sample count, and an empty table.
Bytes Ds64Chunk(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount);

// The file MakeWave makes, turned into an RF64 (or BW64) file: `magic`, 0xFFFFFFFF as the
// RIFF size, a ds64 chunk first (before anything in chunksBeforeFmt), 0xFFFFFFFF as the data
// chunk's size. `statedAudioSize` is ds64's data size (the real one unless told).
Bytes MakeRf64(WaveShape shape, const Bytes& audio, const char* magic = "RF64", int64_t statedAudioSize = -1);

// Pieces of metadata chunks as recorders and editors write them.
// A LIST INFO chunk with one sub-chunk (`id`, `text` and its NUL).
Bytes ListInfoChunk(const std::string& id, const std::string& text);
// A 602-byte bext chunk whose description (its first 256 bytes) is `description`.
Bytes BextChunk(const std::string& description);
// A cue chunk laid out as libsndfile writes markers: the count, then for each point its id,
// its position, the four bytes "data" (the chunk it points into), chunk start, block start
// and the sample offset.
Bytes CueChunk(const std::vector<uint32_t>& positions);

// What a load shows, as the window and the command line word it: "演奏時間:" with the whole
// minutes and seconds of `totalSeconds`, and "WAV属性:" with the channels ("mono", "stereo",
// or the count and "ch"), the bits and the rate. UTF-8, as the program holds its texts.
std::string PlayTimeText(uint64_t totalSeconds);
std::string AttributesText(unsigned channels, unsigned bitsPerSample, uint64_t sampleRate);

// Where the audio of a WAV file lies, by this test suite's own walk of its chunks (not the
// engine's): "RIFF", "RF64" or "BW64", then chunks from 12; the first fmt chunk's values, the
// first data chunk's contents. ds64 sizes for RF64; 0 or 0xFFFFFFFF as the last chunk's size
// means up to the end of the file in whole frames. Reads only headers, so it works on
// sparse files of any size.
struct WalkedWave {
  bool found = false;
  int64_t dataTagPos = 0;
  int64_t dataStart = 0;
  uint64_t audioSize = 0;
  uint16_t formatTag = 0;
  uint16_t encoding = 0;  // the format tag, or the extensible format's sub-format code
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};
WalkedWave WalkWave(const std::string& path);

// The audio bytes of a small WAV file by WalkWave.
Bytes WalkedAudio(const std::string& path);

}  // namespace ostrevan::testing
