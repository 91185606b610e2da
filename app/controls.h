#pragma once
// One thin wrapper per kind of control: the messages each kind is driven with, on the
// window handle it is given, each returning what its message returns. The wrappers own
// nothing; texts are UTF-8 here and 16-bit characters to the window.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "codepage.h"
#include "scroll_bar_rule.h"
#include "win32_text.h"

namespace ostrevan::app {

class Control {
 public:
  explicit Control(HWND window) : window_(window) {}
  HWND Handle() const { return window_; }
  std::string Text() const { return WindowText(window_); }
  // False when the control cannot take the text.
  bool SetText(const std::string& text) const { return SetWindowTextW(window_, Widen(text).c_str()) != FALSE; }
  void SetFont(HFONT font) const { SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
  HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)); }

 protected:
  HWND window_;
};

class Label : public Control {
 public:
  using Control::Control;
  // The text and, for a label that sizes itself, the size of the text on one line.
  void SetText(const std::string& text, bool sizeToText) const {
    Control::SetText(text);
    if (sizeToText) SizeToText();
    InvalidateRect(window_, nullptr, TRUE);
  }
  void SizeToText() const;
};

// Push buttons, radio buttons and group boxes.
class Button : public Control {
 public:
  using Control::Control;
  bool Checked() const { return SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) const { SendMessageW(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
  void SetTabStop(bool tabStop) const {
    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    SetWindowLongW(window_, GWL_STYLE, tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG>(WS_TABSTOP)));
  }
};

class ScrollBar : public Control {
 public:
  using Control::Control;
  rules::ScrollBarRange Range() const {
    const SCROLLINFO info = Info(SIF_ALL);
    return {info.nMin, info.nMax, info.nPos, static_cast<int>(info.nPage)};
  }
  // Returns the thumb's position.
  int SetRange(const rules::ScrollBarRange& range) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = range.minimum;
    info.nMax = range.maximum;
    info.nPos = range.position;
    info.nPage = static_cast<UINT>(range.pageSize);
    return SetScrollInfo(window_, SB_CTL, &info, TRUE);
  }
  // Where the thumb is while it is dragged.
  int TrackPosition() const { return Info(SIF_TRACKPOS).nTrackPos; }
  // True when it was disabled.
  bool Enable() const { return EnableWindow(window_, TRUE) != FALSE; }

 private:
  SCROLLINFO Info(UINT mask) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    GetScrollInfo(window_, SB_CTL, &info);
    return info;
  }
};

// The editable drop-down list.
class ComboBox : public Control {
 public:
  using Control::Control;
  // The item's index; CB_ERR or CB_ERRSPACE when the list cannot take it.
  int AddItem(const std::string& text) const {
    return static_cast<int>(SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str())));
  }
  // The height of the list's items, as the control reports it.
  int ItemHeight() const { return static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, 0, 0)); }
  bool SetItemHeight(int height) const { return SendMessageW(window_, CB_SETITEMHEIGHT, 0, height) != CB_ERR; }
  // The height of the closed box's selection field.
  int FieldHeight() const {
    return static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  }
  bool SetFieldHeight(int height) const {
    return SendMessageW(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height) != CB_ERR;
  }
  // The edit control inside the box.
  HWND Edit() const { return GetWindow(window_, GW_CHILD); }
  // Completes the typed text to the first item that begins with it, the added part
  // selected, when the caret stands at the end of the text.
  void CompleteTypedText() const;
};

class ListBox : public Control {
 public:
  using Control::Control;
  int Count() const { return static_cast<int>(SendMessageW(window_, LB_GETCOUNT, 0, 0)); }
  std::vector<std::string> Items() const;
  // False when the list cannot take another item.
  bool Add(const std::string& text) const {
    const LRESULT result = SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    return result != LB_ERR && result != LB_ERRSPACE;
  }
  void Clear() const { SendMessageW(window_, LB_RESETCONTENT, 0, 0); }
  // Removes the selected item, if any, and selects the one that takes its place; returns
  // the index it had, or -1.
  int RemoveSelected() const;
  bool SetItemHeight(int height) const { return SendMessageW(window_, LB_SETITEMHEIGHT, 0, height) != LB_ERR; }
  // The number each item carries beside its text (0 for a new item); a change is redrawn.
  LRESULT ItemData(int index) const { return SendMessageW(window_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0); }
  bool SetItemData(int index, LRESULT data) const {
    const bool set = SendMessageW(window_, LB_SETITEMDATA, static_cast<WPARAM>(index), data) != LB_ERR;
    RECT item;
    if (SendMessageW(window_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
      InvalidateRect(window_, &item, FALSE);  // the item is drawn whole
    }
    return set;
  }
};

// The progress bar (the common control): a position from 0 to a maximum.
class ProgressBar : public Control {
 public:
  using Control::Control;
  // Returns the range before, its minimum in the low word and its maximum in the high word.
  LRESULT SetRange(int maximum) const { return SendMessageW(window_, PBM_SETRANGE32, 0, maximum); }
  // Returns the position before.
  int SetPosition(int position) const {
    return static_cast<int>(SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(position), 0));
  }
  int Position() const { return static_cast<int>(SendMessageW(window_, PBM_GETPOS, 0, 0)); }
};

// The multi-line text box.
class Memo : public Control {
 public:
  using Control::Control;
  // As much text as the control can hold.
  void RemoveTextLimit() const { SendMessageW(window_, EM_SETLIMITTEXT, 0, 0); }
};

}  // namespace ostrevan::app
