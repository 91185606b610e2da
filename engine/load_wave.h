#pragma once
// Making one WAV file the loaded file of the process.

#include <cstdint>
#include <string>

#include "wave_format.h"

namespace ostrevan {

// The record of the loaded file, all zeros until the first load, overwritten by each load.
// Clip extraction takes every format value from here.
struct LoadedWave {
  int64_t dataTagPos = 0;
  uint32_t sampleRate = 0;
  uint32_t blockAlign = 0;
  int64_t wholeMinutes = 0;
  int64_t seconds = 0;
  // The audio data's size: as stated in the file, but ending no later than the file does.
  uint64_t dataSize = 0;
  WaveHeader header;
  DataChunkHeader dataChunk;  // as read, the stated size included
  uint16_t subFormat = 0;     // the two bytes at offset 44, for the extensible format
};

// The one process-wide record that the window and the command line work on.
LoadedWave& TheLoadedWave();

// What the window does with a load's result.
struct LoadOutcome {
  std::string playTimeText;    // for Label2
  std::string attributesText;  // for Label3
  // When set, this message goes to the information box and then the path label is emptied.
  std::string shortFileMessage;
  // Header numbers are unsigned, so whole minutes are never negative: the scroll bar is
  // either left alone (short file) or enabled with a new maximum.
  enum class ScrollBar { Untouched, EnableWithMaximum };
  ScrollBar scrollBar = ScrollBar::Untouched;
  int64_t scrollBarMaximum = 0;
  bool IsShortFile() const { return !shortFileMessage.empty(); }
};

// Loads `path` (system code page) into `wave` and returns what the window shows.
// Raises "ファイル %s は開けません" when the file cannot be opened (nothing changes),
// "ファイル %s に data チャンクがありません" when no "data" tag with 8 bytes after it is found
// (nothing changes), and the play-time errors for a zero block align or sample rate (the
// header, data chunk and tag position are then those of the new file, the rest unchanged).
LoadOutcome LoadWave(const std::string& path, LoadedWave& wave);

// The attributes text's channel part: "mono", "stereo", or the count followed by "ch".
std::string ChannelName(uint16_t channels);

}  // namespace ostrevan
