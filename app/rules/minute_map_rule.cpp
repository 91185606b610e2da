#include "minute_map_rule.h"

#include <algorithm>
#include <cmath>

#include "integer_text.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

MapScale::MapScale(int width, int thumb, int64_t minutes, double length)
    : width_(std::max(width, 0)), minutes_(std::max<int64_t>(minutes, 0)) {
  const double wholeMinutes = std::floor(length);
  if (wholeMinutes >= 2 && thumb > 0 && thumb < width_) {
    perMinute_ = (width_ - thumb) / (wholeMinutes - 1);
    left_ = (thumb - perMinute_) / 2;  // minute 0's middle under the thumb's at the far left
    if (left_ >= 0 && left_ + length * perMinute_ <= width_ + 0.5) return;
  }
  left_ = 0;
  if (length > 0) perMinute_ = width_ / length;
}

MinuteRange MapScale::MinutesInColumn(int column) const {
  if (column < 0 || column >= width_ || minutes_ == 0) return {};
  const auto at = [this](double x) { return static_cast<int64_t>(std::floor((x - left_) / perMinute_)); };
  const int64_t first = at(column);
  const int64_t end = std::max(first + 1, at(column + 1));
  if (end <= 0 || first >= minutes_) return {};
  return {std::max<int64_t>(first, 0), std::min(end, minutes_)};
}

int64_t MapScale::MinuteAt(int x) const {
  if (minutes_ == 0) return 0;
  const double minute = std::floor((std::clamp(x, 0, std::max(width_ - 1, 0)) - left_) / perMinute_);
  return static_cast<int64_t>(std::clamp(minute, 0.0, static_cast<double>(minutes_ - 1)));
}

ColumnSpan MapScale::ColumnsOf(const MinuteStretch& stretch) const {
  const auto at = [this](double x) { return static_cast<int>(std::clamp(x, 0.0, static_cast<double>(width_))); };
  return {at(std::floor(MinuteLeft(stretch.from))), at(std::ceil(MinuteLeft(stretch.to)))};
}

std::optional<MinuteStretch> ClipOnMap(const LoadedWave& wave, const std::string& lengthText,
                                       const std::string& startMinuteText, ClipMode mode) {
  const double bytesPerMinute =
      static_cast<double>(wave.playTime.sampleRate) * wave.playTime.blockAlign * kSecondsPerMinute;
  if (bytesPerMinute <= 0) return std::nullopt;
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
