#pragma once
// The layout is drawn for 96 dots per inch, where the text height of "0" in the window's
// font is 12 pixels. At another resolution the font is scaled first, and the layout then
// follows the height that "0" really measures.

namespace ostrevan::rules {

inline constexpr int kDesignDpi = 96;
inline constexpr int kDesignTextHeight = 12;

// The font's character height at `dpi` (12 pixels at 96).
int ScaledFontHeight(int dpi);

// One edge or extent of the layout for a measured text height: value * height / 12,
// rounded to the nearest integer (halves away from zero).
int ScaleLayoutValue(int value, int measuredTextHeight);

// Whether the layout is scaled at all: only at a resolution other than the design's.
bool LayoutNeedsScaling(int dpi);

}  // namespace ostrevan::rules
