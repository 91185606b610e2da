#pragma once
// Making one WAV file the loaded file of the process.

#include <cstdint>
#include <string>

#include "wave_format.h"

namespace ostrevan {

// The play time a load showed and the numbers it was computed from. A cut measures its
// minutes with these: they are what the window's minutes came from.
struct LoadedPlayTime {
  uint64_t audioSize = 0;
  uint32_t sampleRate = 0;
  uint32_t blockAlign = 0;
  int64_t wholeMinutes = 0;
  int64_t seconds = 0;
};

// The recording a load made ready to cut: which file, where its audio lies, and the play time
// it showed. The window and the command line each own one; a cut is given it.
struct LoadedWave {
  std::string path;  // as the load was given it (UTF-8); empty before the first load
  AudioLayout layout;
  LoadedPlayTime playTime;

  // `layout`, read from the file at `at` now, is still the audio this value was loaded from:
  // the same file by name, its audio at the same place, of the same size and format.
  bool IsStill(const std::string& at, const AudioLayout& now) const;
};

// What a load gives its caller to show.
struct LoadOutcome {
  std::string playTimeText;    // "演奏時間:" with the whole minutes and seconds
  std::string attributesText;  // "WAV属性:" with channels, bits and sample rate
  int64_t wholeMinutes = 0;    // whole minutes of audio, never negative
  // Set for a file under one minute: the message for the information box.
  std::string shortFileMessage;
  bool IsShortFile() const { return !shortFileMessage.empty(); }
};

// The layout of an open file that can be cut as bytes. Raises "ファイル %s に data チャンクが
// ありません" without a data chunk, and refuses big-endian files and compressed encodings.
AudioLayout ReadCuttableLayout(File& file, const std::string& path);

// Loads `path` (UTF-8, see file.h) into `wave` and returns what the load shows. `wave` is
// replaced whole or not at all: every error leaves it as it was. Raises "ファイル %s は開けません"
// when the file cannot be opened, the errors of ReadCuttableLayout, and the play-time errors
// for a zero block align or sample rate.
LoadOutcome LoadWave(const std::string& path, LoadedWave& wave);

// The attributes text's channel part: "mono", "stereo", or the count followed by "ch".
std::string ChannelName(uint16_t channels);

}  // namespace ostrevan
