#include "record_list.h"

#include <algorithm>
#include <string>

#include "codepage.h"
#include "controls.h"
#include "gdi.h"

namespace ostrevan::app {

namespace {

std::wstring ItemText(HWND list, UINT index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length <= 0) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max<LRESULT>(
      SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())), 0)));
  return text;
}

void DrawLine(HDC dc, const std::wstring& text, RECT area, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

void DrawRecordItem(const DRAWITEMSTRUCT& item, HFONT font, const LayoutScale& scale) {
  const HDC dc = item.hDC;
  const RECT& bounds = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list: only its focus, which toggles
    if (item.itemAction & ODA_FOCUS) DrawFocusRect(dc, &bounds);
    return;
  }
  const bool selected = item.itemState & ODS_SELECTED;
  SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bounds, nullptr, 0, nullptr);
  const COLORREF ink = GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                   : selected                      ? COLOR_HIGHLIGHTTEXT
                                                                   : COLOR_WINDOWTEXT);
  ScopedSelectObject selectedFont(dc, font);
  SetBkMode(dc, TRANSPARENT);

  const auto tag = static_cast<rules::RecordTag>(item.itemData);
  const std::wstring tagText = Widen(rules::TagText(tag));
  SIZE tagSize = {};
  GetTextExtentPoint32W(dc, tagText.c_str(), static_cast<int>(tagText.size()), &tagSize);
  const int pad = scale(2);
  RECT tagArea = {std::max(bounds.left + pad, bounds.right - pad - tagSize.cx), bounds.top, bounds.right - pad,
                  bounds.bottom};
  // Not known yet: greyed, so it does not read as an answer.
  SetTextColor(dc, tag == rules::RecordTag::Checking && !selected ? GetSysColor(COLOR_GRAYTEXT) : ink);
  DrawLine(dc, tagText, tagArea, DT_RIGHT);

  // The drive and the file name stay, as in Label6.
  const RECT pathArea = {bounds.left + pad, bounds.top, tagArea.left - scale(8), bounds.bottom};
  SetTextColor(dc, ink);
  if (pathArea.right > pathArea.left) DrawLine(dc, ItemText(item.hwndItem, item.itemID), pathArea, DT_PATH_ELLIPSIS);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &bounds);
}

void ShowRecordTags(HWND list, const std::vector<rules::RecordTag>& tags) {
  const ListBox box(list);
  const auto count = static_cast<size_t>(std::max(box.Count(), 0));
  for (size_t i = 0; i < std::min(count, tags.size()); ++i) {
    const auto index = static_cast<int>(i);
    if (box.ItemData(index) != static_cast<LRESULT>(tags[i])) box.SetItemData(index, static_cast<LRESULT>(tags[i]));
  }
}

}  // namespace ostrevan::app
