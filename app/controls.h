#pragma once
// One thin wrapper per kind of control: the messages each kind is driven with, on the
// window handle it is given. The wrappers own nothing; texts are UTF-8 here and 16-bit
// characters to the window.

#include <windows.h>

#include <string>
#include <vector>

#include "scroll_bar_rule.h"

namespace ostrevan::app {

class Control {
 public:
  explicit Control(HWND window) : window_(window) {}
  HWND Handle() const { return window_; }
  std::string Text() const;
  // False when the control cannot take the text.
  bool SetText(const std::string& text) const;
  void SetFont(HFONT font) const;
  HFONT Font() const;

 protected:
  HWND window_;
};

class Label : public Control {
 public:
  using Control::Control;
  // The text and, for a label that sizes itself, the size of the text on one line.
  void SetText(const std::string& text, bool sizeToText) const;
  void SizeToText() const;
};

// Push buttons, radio buttons and group boxes.
class Button : public Control {
 public:
  using Control::Control;
  bool Checked() const;
  void SetChecked(bool checked) const;
  void SetTabStop(bool tabStop) const;
};

class ScrollBar : public Control {
 public:
  using Control::Control;
  rules::ScrollBarRange Range() const;
  void SetRange(const rules::ScrollBarRange& range) const;
  // Where the thumb is while it is dragged.
  int TrackPosition() const;
  void Enable() const;
};

// The editable drop-down list.
class ComboBox : public Control {
 public:
  using Control::Control;
  void AddItem(const std::string& text) const;
  // The height of the list's items, as the control reports it.
  int ItemHeight() const;
  void SetItemHeight(int height) const;
  // The height of the closed box's selection field.
  int FieldHeight() const;
  void SetFieldHeight(int height) const;
  // The edit control inside the box.
  HWND Edit() const;
  // Completes the typed text to the first item that begins with it, the added part
  // selected, when the caret stands at the end of the text.
  void CompleteTypedText() const;
};

class ListBox : public Control {
 public:
  using Control::Control;
  std::vector<std::string> Items() const;
  // False when the list cannot take another item.
  bool Add(const std::string& text) const;
  void Clear() const;
  // Removes the selected item, if any, and selects the one that takes its place; returns
  // the index it had, or -1.
  int RemoveSelected() const;
  void SetItemHeight(int height) const;
  // The number each item carries beside its text (0 for a new item); a change is redrawn.
  LRESULT ItemData(int index) const;
  void SetItemData(int index, LRESULT data) const;
};

// The progress bar (the common control): a position from 0 to a maximum.
class ProgressBar : public Control {
 public:
  using Control::Control;
  void SetRange(int maximum) const;
  void SetPosition(int position) const;
  int Position() const;
};

// The multi-line text box.
class Memo : public Control {
 public:
  using Control::Control;
  // As much text as the control can hold.
  void RemoveTextLimit() const;
};

}  // namespace ostrevan::app
