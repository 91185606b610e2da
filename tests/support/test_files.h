#pragma once
// Files the tests write for themselves: a scratch folder per test, canonical and unusual
// WAV files, and whole-file reads for byte comparisons.

#include <cstdint>
#include <functional>
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
