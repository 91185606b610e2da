#pragma once
// The start-minute scroll bar's range and position, and what setting its maximum does.

#include <cstdint>

namespace ostrevan::rules {

struct ScrollBarRange {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int pageSize = 0;
};

// Sets the maximum. Raises "スクロールバー プロパティが範囲を越えました" when it lies below the
// minimum or the page size (or beyond what the control can hold); nothing changes then.
// A position above the new maximum moves down to it; returns true when the position moved,
// in which case the caller runs the change handler.
bool SetScrollBarMaximum(ScrollBarRange& range, int64_t maximum);

// A position the user asked for, kept within the range.
int ClampScrollBarPosition(const ScrollBarRange& range, int64_t wanted);

}  // namespace ostrevan::rules
