#include "form_builder.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "application.h"
#include "codepage.h"
#include "controls.h"
#include "layout_scale.h"
#include "minute_map.h"

namespace ostrevan::app {

namespace {

// --- Subclassing: each kind that needs more than the system's control gets a procedure
// in front of the system's, which it hands everything it leaves alone (DefSubclassProc).

// A kind's procedure, installed for the control's life: it takes itself out as the window goes.
template <LRESULT (*Procedure)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK Subclassed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Subclassed<Procedure>, id);
  return Procedure(window, message, wParam, lParam);
}

template <LRESULT (*Procedure)(HWND, UINT, WPARAM, LPARAM)>
void Subclass(HWND window) {
  SetWindowSubclass(window, Subclassed<Procedure>, 0, 0);
}

// Group boxes are the parents of their controls: they pass the controls' notifications on
// to the window, and paint their own background.
LRESULT GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VKEYTOITEM:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

// A link label shows the hand pointer.
LRESULT LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
    return TRUE;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// Esc in the multi-line text box does nothing (a multi-line edit would otherwise close its
// parent).
LRESULT MemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  return DefSubclassProc(window, message, wParam, lParam);
}

// The edit inside the combo box: each typed character is completed to a list item.
LRESULT ComboBoxEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_CHAR && wParam >= 0x20 && wParam != 0x7F) {
    RunHandler([window] { ComboBox(GetParent(window)).CompleteTypedText(); });
  }
  return result;
}

// --- Creation

// The window's own children first, the group boxes' after them, each in tab order, the
// controls that take no focus last: creation order is the tab order.
std::vector<const ControlLayout*> CreationOrder(const ControlLayout* rows, size_t count) {
  std::vector<const ControlLayout*> order;
  for (size_t i = 0; i < count; ++i) order.push_back(&rows[i]);
  std::stable_sort(order.begin(), order.end(), [](const ControlLayout* left, const ControlLayout* right) {
    const int leftLevel = left->parent == ControlId::Form1 ? 0 : 1;
    const int rightLevel = right->parent == ControlId::Form1 ? 0 : 1;
    if (leftLevel != rightLevel) return leftLevel < rightLevel;
    const int leftTab = left->tabOrder < 0 ? 1000 : left->tabOrder;
    const int rightTab = right->tabOrder < 0 ? 1000 : right->tabOrder;
    return leftTab < rightTab;
  });
  return order;
}

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

// The system class and the styles of a row's kind. A radio button that follows another in
// the same parent continues its group.
ClassAndStyle ClassAndStyleOf(const ControlLayout& row, bool continuesGroup) {
  ClassAndStyle made = {L"Button", WS_CHILD | WS_VISIBLE, 0};
  if (!continuesGroup) made.style |= WS_GROUP;
  if (row.tabOrder >= 0 && row.kind != ControlKind::GroupBox) made.style |= WS_TABSTOP;
  switch (row.kind) {
    case ControlKind::Label:
      made.className = L"Static";
      made.style |= (row.flags & kRightAligned) ? SS_RIGHT : SS_LEFTNOWORDWRAP;
      // A path too long for the label keeps its drive and its file name; "&" is no access key.
      if (row.flags & kPathEllipsis) made.style |= SS_PATHELLIPSIS | SS_NOPREFIX;
      if (row.flags & kLink) made.style |= SS_NOTIFY;
      break;
    case ControlKind::GroupBox:
      made.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      made.exStyle |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::RadioButton:
      made.style |= BS_AUTORADIOBUTTON;
      break;
    case ControlKind::ScrollBar:
      made.className = L"ScrollBar";
      made.style |= SBS_HORZ;
      break;
    case ControlKind::MinuteMap:
      made.className = kMinuteMapClass;
      break;
    case ControlKind::ComboBox:
      made.className = L"ComboBox";
      made.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
      break;
    case ControlKind::Button:
      made.style |= BS_PUSHBUTTON;
      break;
    case ControlKind::Memo:
      made.className = L"Edit";
      made.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
      made.exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::ListBox:
      made.className = L"ListBox";
      // Its keys go to the window first: Delete removes a record. The window draws its
      // items, each with a tag; their texts stay the paths.
      made.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                    LBS_HASSTRINGS;
      made.exStyle |= WS_EX_CLIENTEDGE;
      break;
  }
  return made;
}

// The closed combo box takes the layout's height: its selection field is sized to fit. The
// request is corrected by what is still missing, since platforms differ in how the height
// they report relates to the one they are given.
void FitComboBoxField(const ComboBox& combo, int wantedHeight) {
  int field = combo.FieldHeight();
  for (int attempt = 0; attempt < 4 && field != CB_ERR; ++attempt) {
    RECT bounds;
    GetWindowRect(combo.Handle(), &bounds);
    const int missing = wantedHeight - (bounds.bottom - bounds.top);
    if (missing == 0) break;
    field += missing;
    combo.SetFieldHeight(field);
  }
}

// The combo box's window height is that of the closed box and its dropped-down list
// together; the list holds `items` items of the height the control reports (platforms and
// fonts differ from the height asked for) within its one-pixel border.
void SizeDroppedList(const ComboBox& combo, int items) {
  RECT closed;
  GetWindowRect(combo.Handle(), &closed);
  const int listHeight = items * combo.ItemHeight() + 2;
  SetWindowPos(combo.Handle(), nullptr, 0, 0, closed.right - closed.left, closed.bottom - closed.top + listHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A row's items, one a line.
std::vector<std::string> LinesOf(const char* text) {
  std::vector<std::string> lines;
  if (!text) return lines;
  std::string line;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      lines.push_back(line);
      line.clear();
      if (*p == '\0') break;
    } else {
      line += *p;
    }
  }
  return lines;
}

HFONT CreateLayoutFont(const FormLayout& layout, int height, bool underline) {
  const std::wstring face = Widen(layout.fontFace);
  return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     face.c_str());
}

int ScreenDpi() { return GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY); }

int TextHeightOfZero(HFONT font) {
  ScopedGetDC screen(nullptr);
  ScopedSelectObject selected(screen, font);
  SIZE size = {};
  GetTextExtentPoint32W(screen, L"0", 1, &size);
  return size.cy;
}

int Brightness(COLORREF colour) {
  return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
}

// The window text colour, unless the background is as dark or as light as it: on current
// systems COLOR_CAPTIONTEXT is black like the text, and the path in Label6 would vanish.
COLORREF ReadableTextColor(COLORREF text, COLORREF background) {
  const int difference = Brightness(text) - Brightness(background);
  if (difference > 96 || difference < -96) return text;
  return Brightness(background) < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

}  // namespace

int LayoutScale::operator()(int value) const {
  return measuredTextHeight_ ? rules::ScaleLayoutValue(value, measuredTextHeight_) : value;
}

RECT LayoutScale::Bounds(const ControlLayout& row) const {
  const LayoutScale& scale = *this;
  return {scale(row.left), scale(row.top), scale(row.left + row.width), scale(row.top + row.height)};
}

FormBuilder::FormBuilder(const FormLayout& layout) : layout_(layout) {
  const int dpi = ScreenDpi();
  const bool scaled = rules::LayoutNeedsScaling(dpi);
  const int fontHeight = scaled ? rules::ScaledFontHeight(dpi) : layout.fontHeight;
  font_ = OwnedFont(CreateLayoutFont(layout, fontHeight, false));
  linkFont_ = OwnedFont(CreateLayoutFont(layout, fontHeight, true));
  if (scaled) scale_ = LayoutScale(TextHeightOfZero(font_.Get()));
}

SIZE FormBuilder::WindowSize(DWORD style, DWORD exStyle) const {
  RECT frame = {0, 0, scale_(layout_.clientWidth), scale_(layout_.clientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void FormBuilder::CreateControls(HWND form, const ControlLayout* rows, size_t count) {
  controls_[ControlId::Form1] = form;
  std::map<HWND, ControlKind> lastKindIn;
  for (const ControlLayout* row : CreationOrder(rows, count)) {
    const HWND parent = controls_.at(row->parent);
    const auto last = lastKindIn.find(parent);
    const bool continuesGroup = row->kind == ControlKind::RadioButton && last != lastKindIn.end() &&
                                last->second == ControlKind::RadioButton;
    const HWND window = CreateOne(*row, parent, continuesGroup);
    lastKindIn[parent] = row->kind;
    controls_[row->id] = window;
    rows_[window] = row;
    FinishOne(*row, window);
  }
}

HWND FormBuilder::CreateOne(const ControlLayout& row, HWND parent, bool continuesGroup) {
  const ClassAndStyle made = ClassAndStyleOf(row, continuesGroup);
  const RECT bounds = scale_.Bounds(row);
  const std::wstring text = Widen(row.text);
  return CreateWindowExW(made.exStyle, made.className, text.c_str(), made.style, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), nullptr, nullptr);
}

void FormBuilder::FinishOne(const ControlLayout& row, HWND window) {
  Control(window).SetFont((row.flags & kLink) ? linkFont_.Get() : font_.Get());
  switch (row.kind) {
    case ControlKind::Label:
      if (!(row.flags & kFixedSize)) Label(window).SizeToText();
      if (row.flags & kLink) Subclass<LinkLabelProc>(window);
      break;
    case ControlKind::GroupBox:
      Subclass<GroupBoxProc>(window);
      break;
    case ControlKind::RadioButton:
      if (row.flags & kChecked) Button(window).SetChecked(true);
      break;
    case ControlKind::ScrollBar:
      ScrollBar(window).SetRange(rules::ScrollBarRange{});
      break;
    case ControlKind::ComboBox: {
      const ComboBox combo(window);
      for (const std::string& item : LinesOf(row.items)) combo.AddItem(item);
      combo.SetItemHeight(scale_(kListItemHeight));
      // The list first: under Wine, a resize of the whole box also resets its closed height,
      // which fitting the field then sets right.
      SizeDroppedList(combo, kComboBox1DroppedItems);
      const RECT bounds = scale_.Bounds(row);
      FitComboBoxField(combo, bounds.bottom - bounds.top);
      combo.SetText(row.text);
      if (HWND edit = combo.Edit()) Subclass<ComboBoxEditProc>(edit);
      break;
    }
    case ControlKind::Memo:
      Memo(window).RemoveTextLimit();
      Subclass<MemoProc>(window);
      break;
    case ControlKind::ListBox:
      ListBox(window).SetItemHeight(scale_(kListItemHeight));
      break;
    case ControlKind::Button:
    case ControlKind::MinuteMap:  // its owner takes it over (MinuteMap::Attach)
      break;
  }
}

const ControlLayout* FormBuilder::RowOf(HWND control) const {
  const auto found = rows_.find(control);
  return found == rows_.end() ? nullptr : found->second;
}

HBRUSH FormBuilder::LabelColors(HDC dc, HWND control) const {
  const ControlLayout* row = RowOf(control);
  const unsigned flags = row ? row->flags : 0;
  int background = COLOR_BTNFACE;
  if (flags & kLink) {
    background = COLOR_BTNHIGHLIGHT;
    SetTextColor(dc, RGB(0, 0, 128));
  } else {
    if (flags & kCaptionTextBackground) background = COLOR_CAPTIONTEXT;
    SetTextColor(dc, ReadableTextColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(background)));
  }
  SetBkColor(dc, GetSysColor(background));
  return GetSysColorBrush(background);
}

}  // namespace ostrevan::app
