#pragma once
// The monitor a window is on, as the placement rules take it.

#include <windows.h>

#include "dialog_placement.h"

namespace ostrevan::app {

// The whole area of the monitor nearest to `window`.
rules::Rect MonitorOf(HWND window);

}  // namespace ostrevan::app
