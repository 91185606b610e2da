#include "scroll_bar_rule.h"

#include <climits>

#include "engine_error.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

bool SetScrollBarMaximum(ScrollBarRange& range, int64_t maximum) {
  if (maximum < range.minimum || maximum < range.pageSize || maximum > INT_MAX) {
    throw EngineError(Text(texts::kScrollBarRange));
  }
  range.maximum = static_cast<int>(maximum);
  if (range.position <= range.maximum) return false;
  range.position = range.maximum;
  return true;
}

int ClampScrollBarPosition(const ScrollBarRange& range, int64_t wanted) {
  if (wanted < range.minimum) return range.minimum;
  if (wanted > range.maximum) return range.maximum;
  return static_cast<int>(wanted);
}

}  // namespace ostrevan::rules
