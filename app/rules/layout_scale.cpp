#include "layout_scale.h"

#include <cstdlib>

namespace ostrevan::rules {

namespace {

int RoundedQuotient(long long numerator, long long denominator) {
  const long long half = denominator / 2;
  const long long magnitude = (std::llabs(numerator) + half) / denominator;
  return static_cast<int>(numerator < 0 ? -magnitude : magnitude);
}

}  // namespace

int ScaledFontHeight(int dpi) { return RoundedQuotient(static_cast<long long>(kDesignTextHeight) * dpi, kDesignDpi); }

int ScaleLayoutValue(int value, int measuredTextHeight) {
  return RoundedQuotient(static_cast<long long>(value) * measuredTextHeight, kDesignTextHeight);
}

bool LayoutNeedsScaling(int dpi) { return dpi != kDesignDpi; }

}  // namespace ostrevan::rules
