#include "Unit1.h"

#include <algorithm>
#include <cstring>

#include "Unit1Layout.h"
#include "application.h"
#include "codepage.h"
#include "dialog_placement.h"
#include "engine_error.h"
#include "form_handlers.h"
#include "info_box.h"
#include "layout_scale.h"
#include "texts.h"
#include "win32_text.h"

using ostrevan::Text;
using ostrevan::ToSystemCodePage;
using ostrevan::app::ControlKind;
using ostrevan::app::ControlLayout;
using ostrevan::app::kFirstControlId;
using ostrevan::app::RunHandler;
using ostrevan::app::WindowText;

TForm1* Form1 = nullptr;

namespace {

constexpr const char* kBaseProcProperty = "OstrevanBaseProc";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;

void Subclass(HWND window, WNDPROC procedure) {
  const auto base = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  SetPropA(window, kBaseProcProperty, reinterpret_cast<HANDLE>(base));
}

LRESULT CallBase(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto base = reinterpret_cast<WNDPROC>(GetPropA(window, kBaseProcProperty));
  return CallWindowProcA(base, window, message, wParam, lParam);
}

const ControlLayout& LayoutOf(int id) { return ostrevan::app::kForm1Controls[id - kFirstControlId]; }

bool IsControlId(int id) {
  return id >= kFirstControlId && id < kFirstControlId + static_cast<int>(ostrevan::app::kForm1ControlCount);
}

bool IsNamed(int id, const char* name) { return IsControlId(id) && std::string(LayoutOf(id).name) == name; }

// Creation order gives the tab order: the window's own children first, the group boxes'
// after them, each in tab order, the controls that take no focus last.
std::vector<size_t> CreationOrder() {
  std::vector<size_t> order;
  for (size_t i = 0; i < ostrevan::app::kForm1ControlCount; ++i) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [](size_t a, size_t b) {
    const ControlLayout& left = ostrevan::app::kForm1Controls[a];
    const ControlLayout& right = ostrevan::app::kForm1Controls[b];
    const int leftLevel = left.parent ? 1 : 0;
    const int rightLevel = right.parent ? 1 : 0;
    if (leftLevel != rightLevel) return leftLevel < rightLevel;
    const int leftTab = left.tabOrder < 0 ? 1000 : left.tabOrder;
    const int rightTab = right.tabOrder < 0 ? 1000 : right.tabOrder;
    return leftTab < rightTab;
  });
  return order;
}

HFONT CreateFormFont(int height, bool underline) {
  const std::string face = ToSystemCodePage(ostrevan::app::kForm1Layout.fontFace);
  return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     face.c_str());
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int TextHeightOfZero(HFONT font) {
  HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32A(screen, "0", 1, &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
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

TForm1* TForm1::Create(HINSTANCE instance, HWND owner, HICON icon) {
  const auto& layout = ostrevan::app::kForm1Layout;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = layout.className;
  RegisterClassA(&windowClass);

  auto* form = new TForm1();
  Form1 = form;
  const int dpi = ScreenDpi();
  const int fontHeight = ostrevan::ui::LayoutNeedsScaling(dpi) ? ostrevan::ui::ScaledFontHeight(dpi) : layout.fontHeight;
  form->font_ = CreateFormFont(fontHeight, false);
  form->linkFont_ = CreateFormFont(fontHeight, true);
  if (ostrevan::ui::LayoutNeedsScaling(dpi)) form->scaleHeight_ = TextHeightOfZero(form->font_);
  auto scale = [form](int value) {
    return form->scaleHeight_ ? ostrevan::ui::ScaleLayoutValue(value, form->scaleHeight_) : value;
  };

  RECT frame = {0, 0, scale(layout.clientWidth), scale(layout.clientHeight)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const ostrevan::ui::Point at = ostrevan::ui::CentredOnDesktop(
      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), width, height);
  CreateWindowExA(kFormExStyle, layout.className, layout.caption, kFormStyle, at.left, at.top, width, height,
                  owner, nullptr, instance, form);
  if (icon) SendMessageA(form->handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return form;
}

void TForm1::CreateControls() {
  auto scale = [this](int value) {
    return scaleHeight_ ? ostrevan::ui::ScaleLayoutValue(value, scaleHeight_) : value;
  };
  std::map<HWND, ControlKind> lastKindIn;
  for (size_t index : CreationOrder()) {
    const ControlLayout& control = ostrevan::app::kForm1Controls[index];
    const HWND parent = control.parent ? controls_.at(control.parent) : handle_;
    const int left = scale(control.left);
    const int top = scale(control.top);
    int width = scale(control.left + control.width) - left;
    int height = scale(control.top + control.height) - top;
    const std::string text = ToSystemCodePage(control.text);

    const char* className = "Button";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    const bool continuesGroup = control.kind == ControlKind::RadioButton && lastKindIn.count(parent) &&
                                lastKindIn[parent] == ControlKind::RadioButton;
    if (!continuesGroup) style |= WS_GROUP;
    if (control.tabOrder >= 0 && control.kind != ControlKind::GroupBox) style |= WS_TABSTOP;
    switch (control.kind) {
      case ControlKind::Label:
        className = "Static";
        style |= (control.flags & ostrevan::app::kRightAligned) ? SS_RIGHT : SS_LEFTNOWORDWRAP;
        if (control.flags & ostrevan::app::kLink) style |= SS_NOTIFY;
        break;
      case ControlKind::GroupBox:
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
      case ControlKind::RadioButton:
        style |= BS_AUTORADIOBUTTON;
        break;
      case ControlKind::ScrollBar:
        className = "ScrollBar";
        style |= SBS_HORZ;
        break;
      case ControlKind::ComboBox:
        className = "ComboBox";
        style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
        // The window's height is that of the dropped-down list.
        height += ostrevan::app::kComboBox1DroppedItems * scale(ostrevan::app::kListItemHeight) + 2;
        break;
      case ControlKind::Button:
        style |= BS_PUSHBUTTON;
        break;
      case ControlKind::Memo:
        className = "Edit";
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::ListBox:
        className = "ListBox";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    }
    const int id = kFirstControlId + static_cast<int>(index);
    const HWND window = CreateWindowExA(exStyle, className, text.c_str(), style, left, top, width, height, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    lastKindIn[parent] = control.kind;
    controls_[control.name] = window;
    flags_[window] = control.flags;
    const bool link = (control.flags & ostrevan::app::kLink) != 0;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(link ? linkFont_ : font_), FALSE);

    switch (control.kind) {
      case ControlKind::Label:
        if (!(control.flags & ostrevan::app::kFixedSize)) SizeLabelToText(window);
        if (link) Subclass(window, Label9Proc);
        break;
      case ControlKind::GroupBox:
        Subclass(window, GroupBoxProc);
        break;
      case ControlKind::RadioButton:
        if (control.flags & ostrevan::app::kChecked) SendMessageA(window, BM_SETCHECK, BST_CHECKED, 0);
        break;
      case ControlKind::ScrollBar: {
        SetScrollBar1Range(ostrevan::ui::ScrollBarRange{});
        break;
      }
      case ControlKind::ComboBox: {
        for (size_t item = 0; item < ostrevan::app::kComboBox1ItemCount; ++item) {
          SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ostrevan::app::kComboBox1Items[item]));
        }
        SendMessageA(window, CB_SETITEMHEIGHT, 0, scale(ostrevan::app::kListItemHeight));
        // The closed box takes the layout's height: its selection field is sized to fit.
        // The request is corrected by what is still missing, since platforms differ in how
        // the height they report relates to the one they are given.
        LRESULT field = SendMessageA(window, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        for (int attempt = 0; attempt < 4 && field != CB_ERR; ++attempt) {
          RECT bounds;
          GetWindowRect(window, &bounds);
          const int missing = scale(control.top + control.height) - top - (bounds.bottom - bounds.top);
          if (missing == 0) break;
          field += missing;
          SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        }
        SetWindowTextA(window, text.c_str());
        if (HWND edit = GetWindow(window, GW_CHILD)) Subclass(edit, ComboBox1EditProc);
        break;
      }
      case ControlKind::Memo:
        SendMessageA(window, EM_SETLIMITTEXT, 0, 0);  // as much as the control can hold
        Subclass(window, Memo1Proc);
        break;
      case ControlKind::ListBox:
        SendMessageA(window, LB_SETITEMHEIGHT, 0, scale(ostrevan::app::kListItemHeight));
        break;
      case ControlKind::Button:
        break;
    }
  }
  UpdateRadioTabStops();
}

HWND TForm1::Control(const char* name) const { return controls_.at(name); }

// Labels other than the fixed-size ones take the size of their text on one line.
void TForm1::SizeLabelToText(HWND label) {
  const std::string text = WindowText(label);
  HDC dc = GetDC(label);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  RECT bounds = {0, 0, 0, 0};
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  if (text.empty()) {
    bounds.bottom = metrics.tmHeight;
  } else {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_SINGLELINE);
  }
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::SetLabelText(HWND label, const std::string& text) {
  SetWindowTextA(label, text.c_str());
  if (!(flags_[label] & ostrevan::app::kFixedSize)) SizeLabelToText(label);
  InvalidateRect(label, nullptr, TRUE);
}

// Only the checked radio button is a tab stop, so Tab enters the group at the checked one.
void TForm1::UpdateRadioTabStops() {
  for (const char* name : {"RadioButton1", "RadioButton2"}) {
    const HWND radio = Control(name);
    LONG style = GetWindowLongA(radio, GWL_STYLE);
    const bool checked = SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
    style = checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG>(WS_TABSTOP));
    SetWindowLongA(radio, GWL_STYLE, style);
  }
}

// While typing, the text is completed to the first list item that begins with it; the
// completed part is selected so that typing on replaces it.
void TForm1::CompleteComboBox1Text() {
  const HWND combo = Control("ComboBox1");
  const std::string typed = WindowText(combo);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (typed.empty() || start != typed.size() || end != typed.size()) return;
  const LRESULT item = SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(typed.c_str()));
  if (item == CB_ERR) return;
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length <= static_cast<LRESULT>(typed.size())) return;
  std::string completed(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(completed.data()));
  completed.resize(static_cast<size_t>(length));
  SetWindowTextA(combo, completed.c_str());
  SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(typed.size(), -1));
}

// --- Handlers -----------------------------------------------------------------------------

void TForm1::FormCreate() { DragAcceptFiles(handle_, TRUE); }

void TForm1::WMDropFiles(HDROP drop) {
  struct Finish {
    HDROP drop;
    ~Finish() { DragFinish(drop); }
  } finish{drop};
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  ostrevan::ui::DropFiles(
      count,
      [&](uint32_t i) {
        // 261 bytes hold every name of 260 characters or fewer; a longer one is asked for again
        // in a larger buffer, since a name cut short could stand for another file.
        std::string name(261, '\0');
        for (;;) {
          name.assign(name.size(), '\0');
          DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size()));
          if (std::strlen(name.c_str()) + 1 < name.size() || name.size() >= 65536) break;
          name.assign(name.size() * 2, '\0');
        }
        name.resize(std::strlen(name.c_str()));
        return name;
      },
      *this, *this, ostrevan::IsSystemLeadByte);
}

void TForm1::Button1Click() {
  openDialog1_.SetFilter(ToSystemCodePage(ostrevan::app::kOpenDialogFilterName),
                         ostrevan::app::kOpenDialogFilterPattern);
  if (!openDialog1_.Execute(handle_)) return;
  ostrevan::ui::OpenDialogChosen(openDialog1_.FileName(), *this, *this);
}

void TForm1::Button2Click() { ostrevan::ui::Button2Click(*this, *this); }
void TForm1::Button3Click() { ostrevan::ui::Button3Click(*this, *this); }
void TForm1::Button4Click() { ostrevan::ui::Button4Click(*this); }
void TForm1::ScrollBar1Change() { ostrevan::ui::ScrollBar1Change(*this); }

void TForm1::Label9Click(HWND sender) {
  char className[16] = {};
  GetClassNameA(sender, className, sizeof(className));
  if (lstrcmpiA(className, "Static") != 0) return;
  ShellExecuteA(handle_, "open", WindowText(sender).c_str(), nullptr, nullptr, SW_SHOW);
}

// --- The controls as the handlers see them ------------------------------------------------

std::string TForm1::Label4Text() const { return WindowText(Control("Label4")); }
std::string TForm1::Label6Text() const { return WindowText(Control("Label6")); }
std::string TForm1::ComboBox1Text() const { return WindowText(Control("ComboBox1")); }

bool TForm1::RadioButton1Checked() const {
  return SendMessageA(Control("RadioButton1"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> TForm1::ListBox1Items() const {
  const HWND list = Control("ListBox1");
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  std::vector<std::string> items;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
    items.push_back(item);
  }
  return items;
}

ostrevan::ui::ScrollBarRange TForm1::ScrollBar1Range() const {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(Control("ScrollBar1"), SB_CTL, &info);
  return {info.nMin, info.nMax, info.nPos, static_cast<int>(info.nPage)};
}

void TForm1::SetLabel2Text(const std::string& text) { SetLabelText(Control("Label2"), text); }
void TForm1::SetLabel3Text(const std::string& text) { SetLabelText(Control("Label3"), text); }
void TForm1::SetLabel4Text(const std::string& text) { SetLabelText(Control("Label4"), text); }
void TForm1::SetLabel6Text(const std::string& text) { SetLabelText(Control("Label6"), text); }

void TForm1::AddListBox1Item(const std::string& text) {
  const LRESULT result = SendMessageA(Control("ListBox1"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (result == LB_ERR || result == LB_ERRSPACE) throw ostrevan::EngineError(Text(ostrevan::texts::kListInsert));
}

void TForm1::ClearListBox1() { SendMessageA(Control("ListBox1"), LB_RESETCONTENT, 0, 0); }

void TForm1::EnableScrollBar1() { EnableWindow(Control("ScrollBar1"), TRUE); }

void TForm1::SetScrollBar1Range(const ostrevan::ui::ScrollBarRange& range) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMin = range.minimum;
  info.nMax = range.maximum;
  info.nPos = range.position;
  info.nPage = static_cast<UINT>(range.pageSize);
  SetScrollInfo(Control("ScrollBar1"), SB_CTL, &info, TRUE);
}

void TForm1::ShowInfo(const std::string& text) { ostrevan::app::ShowInfoBox(text); }

void TForm1::ShowRecordText(const std::string& text) {
  if (!SetWindowTextA(Control("Memo1"), text.c_str())) {
    throw ostrevan::EngineError(Text(ostrevan::texts::kTextTooLarge));
  }
}

// --- Messages -----------------------------------------------------------------------------

void TForm1::OnCommand(int id, int code) {
  if (!IsControlId(id)) return;  // IDOK and IDCANCEL from the dialog keys: no default buttons
  if (code == BN_CLICKED && IsNamed(id, "Button1")) RunHandler([this] { Button1Click(); });
  if (code == BN_CLICKED && IsNamed(id, "Button2")) RunHandler([this] { Button2Click(); });
  if (code == BN_CLICKED && IsNamed(id, "Button3")) RunHandler([this] { Button3Click(); });
  if (code == BN_CLICKED && IsNamed(id, "Button4")) RunHandler([this] { Button4Click(); });
  if (code == BN_CLICKED && (IsNamed(id, "RadioButton1") || IsNamed(id, "RadioButton2"))) UpdateRadioTabStops();
  if (code == STN_CLICKED && IsNamed(id, "Label9")) RunHandler([this] { Label9Click(Control("Label9")); });
}

void TForm1::OnScroll(int request) {
  const ostrevan::ui::ScrollBarRange range = ScrollBar1Range();
  int64_t wanted = range.position;
  switch (request) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      wanted = static_cast<int64_t>(range.position) - 1;  // step and page step are both 1
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      wanted = static_cast<int64_t>(range.position) + 1;
      break;
    case SB_LEFT:
      wanted = range.minimum;
      break;
    case SB_RIGHT:
      wanted = range.maximum;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Control("ScrollBar1"), SB_CTL, &info);
      wanted = info.nTrackPos;
      break;
    }
    default:
      return;
  }
  RunHandler([this, wanted] { ostrevan::ui::MoveScrollBar1(*this, wanted); });
}

HBRUSH TForm1::OnControlColor(HDC dc, HWND control) {
  const unsigned flags = flags_.count(control) ? flags_[control] : 0;
  int background = COLOR_BTNFACE;
  if (flags & ostrevan::app::kLink) {
    background = COLOR_BTNHIGHLIGHT;
    SetTextColor(dc, RGB(0, 0, 128));
  } else {
    if (flags & ostrevan::app::kCaptionTextBackground) background = COLOR_CAPTIONTEXT;
    SetTextColor(dc, ReadableTextColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(background)));
  }
  SetBkColor(dc, GetSysColor(background));
  return GetSysColorBrush(background);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      FormCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == Control("ScrollBar1")) OnScroll(LOWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_DROPFILES:
      RunHandler([this, wParam] { WMDropFiles(reinterpret_cast<HDROP>(wParam)); });
      return 0;
    case WM_NEXTDLGCTL: {  // Tab in Memo1 moves on, as in a dialog
      const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                       : GetNextDlgTabItem(handle_, GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(handle_, focus)) savedFocus_ = focus;
        return 0;
      }
      if (!HIWORD(wParam)) {
        SetFocus(savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : Control("Button1"));
        return 0;
      }
      break;
    case WM_SETFOCUS:
      SetFocus(savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : Control("Button1"));
      return 0;
    case WM_SYSCOMMAND:
      // Minimizing hides the window with the application's taskbar entry.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(ostrevan::app::TheApplication().Handle(), SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  // No error may unwind through the system's frames: it is shown here and the message ends.
  LRESULT result = 0;
  RunHandler([&] { result = form->HandleMessage(message, wParam, lParam); });
  return result;
}

// Group boxes are the parents of their controls: they pass the controls' notifications on
// to the window, and paint their own background.
LRESULT CALLBACK TForm1::GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return SendMessageA(Form1->handle_, message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return CallBase(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK TForm1::Label9Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    return TRUE;
  }
  return CallBase(window, message, wParam, lParam);
}

// Esc in Memo1 does nothing (a multi-line edit would otherwise close its parent).
LRESULT CALLBACK TForm1::Memo1Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  return CallBase(window, message, wParam, lParam);
}

LRESULT CALLBACK TForm1::ComboBox1EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallBase(window, message, wParam, lParam);
  if (message == WM_CHAR && wParam >= 0x20 && wParam != 0x7F) RunHandler([] { Form1->CompleteComboBox1Text(); });
  return result;
}
