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

// A stretch of the audio in minutes from its start, fractions allowed.
struct MinuteStretch {
  double from = 0;
  double to = 0;
};

// The columns [left, right) of pixels a stretch covers.
struct ColumnSpan {
  int left = 0;
  int right = 0;
};

// Where the minutes stand on a map `width` pixels wide that spans the start minute's scroll
// bar track, for a recording `length` minutes long (fractions allowed) of `minutes` started
// minutes. Each minute that can start a clip lies under the thumb that picks it (a thumb
// `thumb` pixels wide, travelling over the whole minutes), so that a minute is
// (width - thumb) / (whole minutes - 1) wide, as long as the whole recording fits so. When it
// does not (a few minutes, each wider than the thumb), the minutes share the width and each
// thumb stands over its minute or beside it.
class MapScale {
 public:
  MapScale(int width, int thumb, int64_t minutes, double length);

  // The minutes column `column` shows: one minute (several columns wide) when the map has
  // room, else each column its share of them; none beside the minutes.
  MinuteRange MinutesInColumn(int column) const;
  // The minute a click at `x` means, kept within the recording.
  int64_t MinuteAt(int x) const;
  ColumnSpan ColumnsOf(const MinuteStretch& stretch) const;
  // Where minute `minute` starts, in pixels from the map's left edge.
  double MinuteLeft(double minute) const { return left_ + minute * perMinute_; }

 private:
  int width_;
  int64_t minutes_;
  double left_ = 0;
  double perMinute_ = 1;
};

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
