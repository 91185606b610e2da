#pragma once
// The minute map's geometry and texts: which minutes a column of pixels shows, which minute a
// click means, which columns the clip covers, how tall a level's bar stands, and what the
// tooltip says of a minute.

#include <cstdint>
#include <optional>
#include <string>

#include "level_scan.h"
#include "load_wave.h"
#include "save_clip.h"

namespace ostrevan::rules {

// Minutes [first, end) of a recording.
struct MinuteRange {
  int64_t first = 0;
  int64_t end = 0;
};

// The minutes column `column` of a map `width` pixels wide shows, of `minutes` in all: one
// minute (several columns wide) when the map has room, else each column its share of them.
MinuteRange MinutesInColumn(int column, int width, int64_t minutes);

// The minute a click at `x` means, kept within the map.
int64_t MinuteAt(int x, int width, int64_t minutes);

// A stretch of the audio in minutes from its start, fractions allowed.
struct MinuteStretch {
  double from = 0;
  double to = 0;
};

// The columns [left, right) a stretch covers.
struct ColumnSpan {
  int left = 0;
  int right = 0;
};
ColumnSpan ColumnsOf(const MinuteStretch& stretch, int width, int64_t minutes);

// What "WAV保存" would cut with these texts, as the cut plans it: none when the cut would
// be refused or the texts are no numbers.
std::optional<MinuteStretch> ClipOnMap(const LoadedWave& wave, const std::string& lengthText,
                                       const std::string& startMinuteText, ClipMode mode);

// The lowest level a bar shows: quieter minutes draw nothing.
inline constexpr double kMapFloorDb = -60;
// The height of a level's bar in a map `height` pixels high: nothing at kMapFloorDb or below,
// the full height at full scale.
int BarHeight(double dbfs, int height);

// The tooltip of a minute: its peak and RMS to a tenth of a dB, silence, or not yet measured.
std::string MinuteTip(int64_t minute, const std::optional<MinuteLevel>& level);

}  // namespace ostrevan::rules
