#include "controls.h"

#include <algorithm>

#include "gdi.h"

namespace ostrevan::app {

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
  const int count = Count();
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) {
    const size_t length =
        static_cast<size_t>(std::max<LRESULT>(SendMessageW(window_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0), 0));
    std::wstring item(length + 1, L'\0');
    SendMessageW(window_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(length);
    items.push_back(Narrow(item));
  }
  return items;
}

int ListBox::RemoveSelected() const {
  const LRESULT selected = SendMessageW(window_, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return -1;
  // Pressed again, Delete goes on down the list.
  const LRESULT left = SendMessageW(window_, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  if (left > 0) SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(std::min(selected, left - 1)), 0);
  return static_cast<int>(selected);
}

}  // namespace ostrevan::app
