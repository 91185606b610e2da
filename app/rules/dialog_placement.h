#pragma once
// Where the windows and dialogs of the program are placed.

namespace ostrevan::rules {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct Point {
  int left = 0;
  int top = 0;
};

// The main window: centred on the virtual screen of the given size (divisions toward zero,
// the virtual screen's own origin not added).
Point CentredOnDesktop(int desktopWidth, int desktopHeight, int windowWidth, int windowHeight);

// The open dialog: horizontally centred on the monitor, its top at one third of the room left.
Point UpperThirdOfMonitor(const Rect& monitor, int width, int height);

// The information box: centred on the monitor.
Point CentredOnMonitor(const Rect& monitor, int width, int height);

}  // namespace ostrevan::rules
