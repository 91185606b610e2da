#pragma once
// The fixed layout of the main window Form1: its own properties and every control with its
// identifier, kind, parent, place and size at 96 dots per inch, text and tab order.

#include <cstddef>

namespace ostrevan::app {

// Form1's controls, one per row of the table below and in its order; the value is the
// control's window ID. Form1 stands for the window itself as a parent.
enum class ControlId : int {
  Form1 = 0,
  Label7 = 100,
  Label8,
  Label9,
  GroupBox1,
  Label1,
  Label6,
  Label2,
  Label3,
  RadioButton1,
  Label4,
  ScrollBar1,
  MinuteMap1,
  RadioButton2,
  Label5,
  ComboBox1,
  Button1,
  Button2,
  Memo1,
  GroupBox2,
  Button3,
  Button4,
  ListBox1,
};

// MinuteMap: the program's own minute map (minute_map.h), under ScrollBar1 and as wide as its
// track.
enum class ControlKind { Label, GroupBox, RadioButton, ScrollBar, MinuteMap, ComboBox, Button, Memo, ListBox };

enum ControlFlag : unsigned {
  kFixedSize = 1,              // a label that does not size itself to its text
  kRightAligned = 2,
  kCaptionTextBackground = 4,  // drawn on COLOR_CAPTIONTEXT
  kLink = 8,                   // navy, underlined, on COLOR_BTNHIGHLIGHT, hand cursor
  kChecked = 16,
  kPathEllipsis = 32,          // a path drawn with "..." in its middle when too long; the text stays whole
};

struct ControlLayout {
  ControlId id;
  const char* name;
  ControlKind kind;
  ControlId parent;  // ControlId::Form1: the window itself
  int left, top, width, height;
  const char* text;  // UTF-8
  int tabOrder;      // among siblings; -1: takes no focus
  unsigned flags;
  const char* items = nullptr;  // a combo box's list, one item a line (UTF-8)
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

// The row of a control (every ControlId but Form1 has one).
const ControlLayout& LayoutOf(ControlId id);

// The height of ComboBox1's items (its row lists them) and how many show when dropped down.
inline constexpr int kListItemHeight = 12;
inline constexpr int kComboBox1DroppedItems = 8;

// OpenDialog1's filter: description, then pattern.
extern const char* const kOpenDialogFilterName;
extern const char* const kOpenDialogFilterPattern;

}  // namespace ostrevan::app
