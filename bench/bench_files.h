#pragma once
// Scratch WAV files for the benchmarks. Big files are sparse except where a benchmark reads
// or writes, so a 3-hour source costs seconds to set up, not minutes.

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine_ui.h"
#include "integer_text.h"

namespace ostrevan::bench {

// 16-bit stereo at 44,100 Hz: the recordings the benchmarks stand for.
inline constexpr uint32_t kSampleRate = 44100;
inline constexpr uint16_t kBlockAlign = 4;
inline constexpr int64_t kBytesPerMinute = int64_t{kSampleRate} * kBlockAlign * 60;
inline constexpr int64_t kCanonicalHeaderSize = 44;

// The folder for scratch files: $OSTREVAN_BENCH_DIR, or /tmp.
std::string ScratchDir();

// A path in the scratch folder, removed when this goes out of scope.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes a canonical 44-byte header for `dataSize` bytes of audio and makes the file
// `dataSize` bytes longer than the header without writing them (a sparse file).
// The stated size is cut to 32 bits as a recorder would leave it.
void WriteSparseWave(const std::string& path, uint64_t dataSize);

// Writes a header with a `fillerSize`-byte "junk" chunk before the "data" chunk, the filler
// holding bytes that never form "data", then `dataSize` bytes of audio.
void WriteWaveWithFiller(const std::string& path, uint64_t fillerSize, uint64_t dataSize);

// Writes real (non-zero) audio bytes over [offset, offset + size) of the audio data, so the
// page cache holds real pages there. Returns nothing; raises std::runtime_error on failure.
void FillAudio(const std::string& path, int64_t offset, int64_t size);

// Reads the whole range once so the measured runs find it in the page cache.
void WarmCache(const std::string& path, int64_t offset, int64_t size);

// Puts the file's written bytes on the disk, so that a timed flush does not pay for the
// setup's.
void SyncFile(const std::string& path);

// An information box that nobody sees; keeps the last message so a benchmark can check
// that the run ended with "終わりました".
class SilentUi : public EngineUi {
 public:
  void ShowInfo(const std::string& text) override { last_ = text; }
  const std::string& last() const { return last_; }

 private:
  std::string last_;
};

// Reports every block as a front end does: the amount text made, a line written out.
class ReportingUi : public SilentUi {
 public:
  bool Progress(const std::string& path, uint64_t done, uint64_t total) override {
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink) {
      std::fprintf(sink, "\r%s: %s", path.c_str(), ProgressAmountText(done, total).c_str());
      std::fclose(sink);
    }
    return true;
  }
};

}  // namespace ostrevan::bench
