#include "controls.h"

#include <commctrl.h>

#include <algorithm>

#include "codepage.h"
#include "gdi.h"
#include "win32_text.h"

namespace ostrevan::app {

std::string Control::Text() const { return WindowText(window_); }

bool Control::SetText(const std::string& text) const { return SetWindowTextW(window_, Widen(text).c_str()) != FALSE; }

void Control::SetFont(HFONT font) const { SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

HFONT Control::Font() const { return reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)); }

void Label::SetText(const std::string& text, bool sizeToText) const {
  Control::SetText(text);
  if (sizeToText) SizeToText();
  InvalidateRect(window_, nullptr, TRUE);
}

void Label::SizeToText() const {
  const std::wstring text = Widen(Text());
  RECT bounds = {0, 0, 0, 0};
  {
    ScopedGetDC dc(window_);
    ScopedSelectObject font(dc, Font());
    if (text.empty()) {
      TEXTMETRICW metrics = {};
      GetTextMetricsW(dc, &metrics);
      bounds.bottom = metrics.tmHeight;
    } else {
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_SINGLELINE);
    }
  }
  SetWindowPos(window_, nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Button::Checked() const { return SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Button::SetChecked(bool checked) const {
  SendMessageW(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Button::SetTabStop(bool tabStop) const {
  const LONG style = GetWindowLongW(window_, GWL_STYLE);
  SetWindowLongW(window_, GWL_STYLE, tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG>(WS_TABSTOP)));
}

rules::ScrollBarRange ScrollBar::Range() const {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(window_, SB_CTL, &info);
  return {info.nMin, info.nMax, info.nPos, static_cast<int>(info.nPage)};
}

void ScrollBar::SetRange(const rules::ScrollBarRange& range) const {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMin = range.minimum;
  info.nMax = range.maximum;
  info.nPos = range.position;
  info.nPage = static_cast<UINT>(range.pageSize);
  SetScrollInfo(window_, SB_CTL, &info, TRUE);
}

int ScrollBar::TrackPosition() const {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(window_, SB_CTL, &info);
  return info.nTrackPos;
}

void ScrollBar::Enable() const { EnableWindow(window_, TRUE); }

void ComboBox::AddItem(const std::string& text) const {
  SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

int ComboBox::ItemHeight() const { return static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, 0, 0)); }

void ComboBox::SetItemHeight(int height) const { SendMessageW(window_, CB_SETITEMHEIGHT, 0, height); }

int ComboBox::FieldHeight() const {
  return static_cast<int>(SendMessageW(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
}

void ComboBox::SetFieldHeight(int height) const {
  SendMessageW(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
}

HWND ComboBox::Edit() const { return GetWindow(window_, GW_CHILD); }

void ComboBox::CompleteTypedText() const {
  // Positions count 16-bit characters, as the control does.
  const std::wstring typed = Widen(Text());
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(window_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (typed.empty() || start != typed.size() || end != typed.size()) return;
  const LRESULT item =
      SendMessageW(window_, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(typed.c_str()));
  if (item == CB_ERR) return;
  const LRESULT length = SendMessageW(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length <= static_cast<LRESULT>(typed.size())) return;
  std::wstring completed(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window_, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(completed.data()));
  completed.resize(static_cast<size_t>(length));
  SetWindowTextW(window_, completed.c_str());
  SendMessageW(window_, CB_SETEDITSEL, 0, MAKELPARAM(typed.size(), -1));
}

std::vector<std::string> ListBox::Items() const {
  const LRESULT count = SendMessageW(window_, LB_GETCOUNT, 0, 0);
  std::vector<std::string> items;
  for (LRESULT i = 0; i < count; ++i) {
    const size_t length =
        static_cast<size_t>(std::max<LRESULT>(SendMessageW(window_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0), 0));
    std::wstring item(length + 1, L'\0');
    SendMessageW(window_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(length);
    items.push_back(Narrow(item));
  }
  return items;
}

bool ListBox::Add(const std::string& text) const {
  const LRESULT result = SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  return result != LB_ERR && result != LB_ERRSPACE;
}
void ListBox::Clear() const { SendMessageW(window_, LB_RESETCONTENT, 0, 0); }

int ListBox::RemoveSelected() const {
  const LRESULT selected = SendMessageW(window_, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return -1;
  // Pressed again, Delete goes on down the list.
  const LRESULT left = SendMessageW(window_, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  if (left > 0) SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(std::min(selected, left - 1)), 0);
  return static_cast<int>(selected);
}

LRESULT ListBox::ItemData(int index) const {
  return SendMessageW(window_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

void ListBox::SetItemData(int index, LRESULT data) const {
  SendMessageW(window_, LB_SETITEMDATA, static_cast<WPARAM>(index), data);
  RECT item;
  if (SendMessageW(window_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
    InvalidateRect(window_, &item, FALSE);  // the item is drawn whole
  }
}

void ListBox::SetItemHeight(int height) const { SendMessageW(window_, LB_SETITEMHEIGHT, 0, height); }

void ProgressBar::SetRange(int maximum) const { SendMessageW(window_, PBM_SETRANGE32, 0, maximum); }

void ProgressBar::SetPosition(int position) const {
  SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int ProgressBar::Position() const { return static_cast<int>(SendMessageW(window_, PBM_GETPOS, 0, 0)); }

void Memo::RemoveTextLimit() const { SendMessageW(window_, EM_SETLIMITTEXT, 0, 0); }

}  // namespace ostrevan::app
