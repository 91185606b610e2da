#include "minute_map_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "integer_text.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

namespace {

std::string DecibelText(double dbfs) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", dbfs);
  return text;
}

}  // namespace

MinuteRange MinutesInColumn(int column, int width, int64_t minutes) {
  if (width <= 0 || minutes <= 0 || column < 0 || column >= width) return {};
  const int64_t first = column * minutes / width;
  return {first, std::max(first + 1, (column + 1) * minutes / width)};
}

int64_t MinuteAt(int x, int width, int64_t minutes) {
  if (width <= 0 || minutes <= 0) return 0;
  return std::clamp<int64_t>(x, 0, width - 1) * minutes / width;
}

ColumnSpan ColumnsOf(const MinuteStretch& stretch, int width, int64_t minutes) {
  if (width <= 0 || minutes <= 0) return {};
  const double perMinute = static_cast<double>(width) / static_cast<double>(minutes);
  const auto at = [&](double minute, double (*round)(double)) {
    return static_cast<int>(std::clamp(round(minute * perMinute), 0.0, static_cast<double>(width)));
  };
  return {at(stretch.from, std::floor), at(stretch.to, std::ceil)};
}

std::optional<MinuteStretch> ClipOnMap(const LoadedWave& wave, const std::string& lengthText,
                                       const std::string& startMinuteText, ClipMode mode) {
  const double bytesPerMinute =
      static_cast<double>(wave.playTime.sampleRate) * wave.playTime.blockAlign * kSecondsPerMinute;
  if (wave.playTimeFailed || bytesPerMinute <= 0) return std::nullopt;
  try {
    const ClipPlan plan = PlanClip(wave, lengthText, startMinuteText, mode);
    if (!plan.refusal.empty() || plan.bytes <= 0) return std::nullopt;
    return MinuteStretch{static_cast<double>(plan.offset) / bytesPerMinute,
                         static_cast<double>(plan.offset + plan.bytes) / bytesPerMinute};
  } catch (...) {
    return std::nullopt;  // what the cut would raise, it raises when pressed
  }
}

int BarHeight(double dbfs, int height) {
  if (!(dbfs > kMapFloorDb)) return 0;
  const double share = std::min(1.0, (dbfs - kMapFloorDb) / -kMapFloorDb);
  return std::max(1, static_cast<int>(std::lround(share * height)));
}

std::string MinuteTip(int64_t minute, const std::optional<MinuteLevel>& level) {
  const std::string number = DecimalText(minute);
  if (!level) return FormatText(texts::kMinuteUnknownTip, number);
  if (level->peak <= 0) return FormatText(texts::kMinuteSilentTip, number);
  return FormatText(texts::kMinuteLevelsTip,
                    {number, DecibelText(level->PeakDbfs()), DecibelText(level->RmsDbfs())});
}

}  // namespace ostrevan::rules
