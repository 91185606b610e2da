#pragma once
// Builds a window's controls from its layout table (Unit1Layout): creation order, window
// class and style per kind of control, what each kind needs once created (font, size,
// items, subclassing), scaling for the screen's resolution, and the labels' colours.

#include <windows.h>

#include <map>

#include "Unit1Layout.h"
#include "gdi.h"

namespace ostrevan::app {

// The layout's edges and extents in pixels: scaled by the measured text height of "0" when
// the screen's resolution is not the design's, as they stand at the design's.
class LayoutScale {
 public:
  LayoutScale() = default;
  explicit LayoutScale(int measuredTextHeight) : measuredTextHeight_(measuredTextHeight) {}
  int operator()(int value) const;
  // A control's place: each edge is scaled, so that neighbours stay flush.
  RECT Bounds(const ControlLayout& row) const;

 private:
  int measuredTextHeight_ = 0;  // 0: the design's resolution, nothing scaled
};

class FormBuilder {
 public:
  // The window's fonts at the screen's resolution, and the scale they give.
  explicit FormBuilder(const FormLayout& layout);
  FormBuilder(const FormBuilder&) = delete;
  FormBuilder& operator=(const FormBuilder&) = delete;

  const LayoutScale& Scale() const { return scale_; }
  // The window's font, which its other windows share.
  HFONT Font() const { return font_.Get(); }
  // The outer size of a window of this style around the layout's client area.
  SIZE WindowSize(DWORD style, DWORD exStyle) const;

  // Creates every control of the table, each in its parent (the window `form` or a group
  // box), the window's own children first, each level in tab order.
  void CreateControls(HWND form, const ControlLayout* rows, size_t count);

  // A control made by CreateControls.
  HWND operator[](ControlId id) const { return controls_.at(id); }
  // The row a control was made from, or nullptr.
  const ControlLayout* RowOf(HWND control) const;

  // WM_CTLCOLORSTATIC: the label's text and background colours set on `dc`; returns the
  // background's brush.
  HBRUSH LabelColors(HDC dc, HWND control) const;

 private:
  HWND CreateOne(const ControlLayout& row, HWND parent, bool continuesGroup);
  void FinishOne(const ControlLayout& row, HWND window);

  const FormLayout& layout_;
  OwnedFont font_;
  OwnedFont linkFont_;
  LayoutScale scale_;
  std::map<ControlId, HWND> controls_;
  std::map<HWND, const ControlLayout*> rows_;
};

}  // namespace ostrevan::app
