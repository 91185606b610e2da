#pragma once
// What real audio tools make of a WAV file (soxi, ffprobe, sox, ffmpeg), for checking the
// engine against them rather than against itself. Native only: on Windows nothing runs and
// every probe comes back empty.

#include <cstdint>
#include <string>

#include "test_files.h"

namespace ostrevan::testing {

// A file's audio format and length as a tool reads them; seconds -1 when it cannot read it.
struct ToolInfo {
  double seconds = -1;
  uint64_t samples = 0;  // frames
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::string codec;  // ffprobe only
  uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * bits / 8); }
};

ToolInfo Soxi(const std::string& path);
ToolInfo Ffprobe(const std::string& path);

// Peak and RMS in dBFS over all channels as sox's stats effect measures them ("Overall"),
// of `seconds` from `start`; minus infinity for silence, NaN when sox fails.
struct ToolLevels {
  double peakDb = 0;
  double rmsDb = 0;
};
ToolLevels SoxStats(const std::string& path, double start, double seconds);

// The audio bytes as sox decodes them, in the file's own encoding.
Bytes SoxAudio(const std::string& path);
// The audio bytes as ffmpeg reads them, whole frames only (ffmpeg keeps a last half frame).
Bytes FfmpegAudio(const std::string& path, uint16_t blockAlign);

}  // namespace ostrevan::testing
