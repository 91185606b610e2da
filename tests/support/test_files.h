#pragma once
// Files the tests write for themselves: a scratch folder per test, canonical and unusual
// WAV files, and whole-file reads for byte comparisons.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine_ui.h"

namespace ostrevan::testing {

using Bytes = std::vector<unsigned char>;

// A fresh, empty folder for one test, removed when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // `name` inside the folder, with the platform's separator. Joined as bytes, so a name in
  // the system code page stays as it is.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

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

// A WAV file with `audio` as its data, laid out as `shape` says.
Bytes MakeWave(const WaveShape& shape, const Bytes& audio);

// Audio bytes where every position holds a value derived from its index (not periodic in
// short strides), so that a shifted copy never compares equal.
Bytes PatternBytes(uint64_t count, uint32_t variant = 1);

void WriteFile(const std::string& path, const Bytes& bytes);
void WriteFile(const std::string& path, const std::string& bytes);
Bytes ReadFile(const std::string& path);
bool Exists(const std::string& path);

// A RIFF chunk: tag, 32-bit size, body, and a pad byte for an odd size.
Bytes Chunk(const std::string& tag, const Bytes& body);

// Records every information message and the last record text.
class RecordingUi : public ostrevan::EngineUi {
 public:
  void ShowInfo(const std::string& text) override { infos.push_back(text); }
  void ShowRecordText(const std::string& text) override { recordText = text; }
  std::vector<std::string> infos;
  std::string recordText;
};

// The message of the EngineError that `action` raises, or "(no error)".
std::string ErrorOf(const std::function<void()>& action);

// `count` bytes of a file from `position` (fewer at its end).
Bytes ReadRange(const std::string& path, int64_t position, size_t count);

// Writes `bytes` at `position`, growing the file (sparsely) when it lies beyond the end.
void PutBytes(const std::string& path, int64_t position, const Bytes& bytes);

// Mono, 8 bits, 8000 samples a second: a minute of audio is 480,000 bytes.
WaveShape Mono8000();

// A mono 8-bit WAV of 100 samples a second, `seconds` long (a minute is 6000 bytes), written
// as `name` in `dir`; returns its path.
std::string WriteMinutes(const ScratchDir& dir, const std::string& name, uint64_t seconds);

// A UTF-8 text in the system code page, for comparing with what the engine produced.
std::string Sys(const char* utf8);

}  // namespace ostrevan::testing

namespace ostrevan::testing {

// Little-endian bytes of a number, for building headers by hand.
Bytes Le16(uint16_t value);
Bytes Le32(uint32_t value);
Bytes Le64(uint64_t value);
Bytes Joined(std::initializer_list<Bytes> parts);

// A ds64 chunk (the first chunk of an RF64 file): the 64-bit RIFF size, data size and
// sample count, and an empty table.
Bytes Ds64Chunk(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount);

// The file MakeWave makes, turned into an RF64 (or BW64) file: `magic`, 0xFFFFFFFF as the
// RIFF size, a ds64 chunk first (before anything in chunksBeforeFmt), 0xFFFFFFFF as the data
// chunk's size. `statedAudioSize` is ds64's data size (the real one unless told).
Bytes MakeRf64(WaveShape shape, const Bytes& audio, const char* magic = "RF64", int64_t statedAudioSize = -1);

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

// Makes `path` `size` bytes long without writing the new bytes (sparse on ext4 and NTFS).
void ResizeFile(const std::string& path, uint64_t size);

// POSIX only: runs a shell command; its standard output, with `ok` set to whether it
// succeeded. Standard error is dropped. On Windows nothing runs and `ok` is false.
std::string RunShell(const std::string& command, bool* ok = nullptr);
bool HaveTool(const std::string& name);
// A path quoted for the shell.
std::string ShellQuoted(const std::string& path);

}  // namespace ostrevan::testing

namespace ostrevan::testing {

// "" when the two byte strings are equal, else their sizes and the first position where
// they differ (a readable failure for files of megabytes).
std::string DifferenceOf(const Bytes& actual, const Bytes& expected);

// Pieces of metadata chunks as recorders and editors write them.
Bytes TextBytes(const std::string& text);
// A LIST INFO chunk with one sub-chunk (`id`, `text` and its NUL).
Bytes ListInfoChunk(const std::string& id, const std::string& text);
// A 602-byte bext chunk whose description (its first 256 bytes) is `description`.
Bytes BextChunk(const std::string& description);
// A cue chunk laid out as libsndfile writes markers: the count, then for each point its id,
// its position, the four bytes "data" (the chunk it points into), chunk start, block start
// and the sample offset.
Bytes CueChunk(const std::vector<uint32_t>& positions);

}  // namespace ostrevan::testing
