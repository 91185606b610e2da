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

// The record of the loaded file, all zeros until the first load, overwritten by each load.
// Clip extraction takes every format value from here.
struct LoadedWave {
  AudioLayout layout;  // of the file the last load walked
  LoadedPlayTime playTime;
  // The last load walked its file but failed in the play time (a zero block align or sample
  // rate): `layout` is that file's, `playTime` still the file's before. No clip is cut then.
  bool playTimeFailed = false;
};

// The one process-wide record that the window and the command line work on.
LoadedWave& TheLoadedWave();

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

// Loads `path` (UTF-8, see file.h) into `wave` and returns what the load shows.
// Raises "ファイル %s は開けません" when the file cannot be opened and the errors of
// ReadCuttableLayout (nothing changes in either case), and the play-time errors for a zero
// block align or sample rate (the layout is then the new file's, the play time unchanged, and
// playTimeFailed set).
LoadOutcome LoadWave(const std::string& path, LoadedWave& wave);

// The attributes text's channel part: "mono", "stereo", or the count followed by "ch".
std::string ChannelName(uint16_t channels);

}  // namespace ostrevan
