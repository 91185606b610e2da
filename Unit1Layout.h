#pragma once
// The fixed layout of the main window Form1: its own properties and every control with its
// kind, parent, place and size at 96 dots per inch, text and tab order.

#include <cstddef>

namespace ostrevan::app {

enum class ControlKind { Label, GroupBox, RadioButton, ScrollBar, ComboBox, Button, Memo, ListBox };

enum ControlFlag : unsigned {
  kFixedSize = 1,              // a label that does not size itself to its text
  kRightAligned = 2,
  kCaptionTextBackground = 4,  // drawn on COLOR_CAPTIONTEXT
  kLink = 8,                   // navy, underlined, on COLOR_BTNHIGHLIGHT, hand cursor
  kChecked = 16,
};

struct ControlLayout {
  const char* name;
  ControlKind kind;
  const char* parent;  // nullptr: the window itself
  int left, top, width, height;
  const char* text;    // UTF-8
  int tabOrder;        // among siblings; -1: takes no focus
  unsigned flags;
};

struct FormLayout {
  const char* className;
  const char* caption;
  int clientWidth, clientHeight;
  const char* fontFace;  // UTF-8
  int fontHeight;        // character height in pixels, internal leading not counted
};

extern const FormLayout kForm1Layout;
extern const ControlLayout kForm1Controls[];
extern const size_t kForm1ControlCount;
// Form1's controls are numbered from here, in the order of the table.
inline constexpr int kFirstControlId = 100;

// The list items of ComboBox1, the height of its items and how many show when dropped down.
extern const char* const kComboBox1Items[];
extern const size_t kComboBox1ItemCount;
inline constexpr int kListItemHeight = 12;
inline constexpr int kComboBox1DroppedItems = 8;

// OpenDialog1's filter: description, then pattern.
extern const char* const kOpenDialogFilterName;
extern const char* const kOpenDialogFilterPattern;

}  // namespace ostrevan::app
