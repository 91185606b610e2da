#include "Unit1.h"

#include "application.h"
#include "codepage.h"
#include "controls.h"
#include "dialog_placement.h"
#include "engine_error.h"
#include "file.h"
#include "form_handlers.h"
#include "info_box.h"
#include "long_work.h"
#include "record_list.h"
#include "scope_exit.h"
#include "texts.h"
#include "window_texts.h"
#include "win32_text.h"

using ostrevan::Text;
using ostrevan::app::Button;
using ostrevan::app::ComboBox;
using ostrevan::app::ControlId;
using ostrevan::app::Label;
using ostrevan::app::ListBox;
using ostrevan::app::Memo;
using ostrevan::app::RunHandler;
using ostrevan::app::ScrollBar;
using ostrevan::app::WindowText;

TForm1* Form1 = nullptr;

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
// Posted when ComboBox1's choice changed: its text is the new one only after the notification.
constexpr UINT kUpdateClipOnMap = WM_APP + 10;
// Posted before the message loop starts, so handled once the window shows.
constexpr UINT kCommandLineDrop = WM_APP + 11;
// Posted by the records' checker when it has worked out a tag.
constexpr UINT kRecordTagsChanged = WM_APP + 12;

// The names of a drop, the drop finished with at the end of the handler.
class DroppedFiles {
 public:
  explicit DroppedFiles(HDROP drop) : drop_(drop) {}
  ~DroppedFiles() { DragFinish(drop_); }
  DroppedFiles(const DroppedFiles&) = delete;
  DroppedFiles& operator=(const DroppedFiles&) = delete;

  UINT Count() const { return DragQueryFileW(drop_, 0xFFFFFFFF, nullptr, 0); }
  // Asked for in 16-bit characters, so that any name Windows can hold comes whole, however long.
  std::string Name(UINT index) const {
    std::wstring wide(DragQueryFileW(drop_, index, nullptr, 0) + 1, L'\0');
    wide.resize(DragQueryFileW(drop_, index, wide.data(), static_cast<UINT>(wide.size())));
    return ostrevan::Narrow(wide);
  }

 private:
  HDROP drop_;
};

// A load opens its file exclusively, and it may be a listed record's source: the checks give
// way to it (TForm1::LoadingWave) and go on when the handler ends, whether it loaded or not.
class ChecksGoOnAfter {
 public:
  explicit ChecksGoOnAfter(ostrevan::rules::RecordChecker& checker) : checker_(checker) {}
  ~ChecksGoOnAfter() { checker_.Resume(); }
  ChecksGoOnAfter(const ChecksGoOnAfter&) = delete;
  ChecksGoOnAfter& operator=(const ChecksGoOnAfter&) = delete;

 private:
  ostrevan::rules::RecordChecker& checker_;
};

}  // namespace

TForm1* TForm1::Create(HINSTANCE instance, HWND owner, HICON icon) {
  const auto& layout = ostrevan::app::kForm1Layout;
  WNDCLASSW windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = ostrevan::app::OwnedWindowProc<TForm1>;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  const std::wstring className = ostrevan::Widen(layout.className);
  windowClass.lpszClassName = className.c_str();
  RegisterClassW(&windowClass);
  ostrevan::app::MinuteMap::Register(instance);

  auto* form = new TForm1();
  Form1 = form;
  const SIZE size = form->controls_.WindowSize(kFormStyle, kFormExStyle);
  const ostrevan::rules::Point at = ostrevan::rules::CentredOnDesktop(
      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), size.cx, size.cy);
  CreateWindowExW(kFormExStyle, className.c_str(), ostrevan::Widen(layout.caption).c_str(), kFormStyle, at.left, at.top, size.cx, size.cy,
                  owner, nullptr, instance, form);
  if (icon) SendMessageW(form->handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return form;
}

void TForm1::SetLabelText(ControlId id, const std::string& text) {
  const bool sizesToText = !(ostrevan::app::LayoutOf(id).flags & ostrevan::app::kFixedSize);
  Item<Label>(id).SetText(text, sizesToText);
}

// Only the checked radio button is a tab stop, so Tab enters the group at the checked one.
void TForm1::UpdateRadioTabStops() {
  for (const ControlId id : {ControlId::RadioButton1, ControlId::RadioButton2}) {
    const Button radio = Item<Button>(id);
    radio.SetTabStop(radio.Checked());
  }
}

// The level scan and the records' checks let go of their files first: the engine opens them
// exclusively. The scan goes on afterwards, with what a write-back changed measured again;
// every record is checked again, as a cut may also move a listed record's pair aside.
void TForm1::RunLongWork(ostrevan::rules::LongWork kind, const ostrevan::rules::EngineWork& work) {
  busy_ = true;
  scanner_.Pause();
  checker_.Pause();
  written_.clear();
  // Also when the work ends in an error: the error box comes after all this.
  const ostrevan::app::ScopeExit finish([this] {
    for (const auto& [offset, size] : written_) scanner_.Remeasure(offset, size);
    written_.clear();
    scanner_.Resume();
    checker_.RecheckAll();
    ShowRecordTags();
    busy_ = false;
    if (closeAfterWork_) PostMessageW(handle_, WM_CLOSE, 0, 0);
    closeAfterWork_ = false;
  });
  ostrevan::app::RunLongWork(kind, work, *this, handle_, controls_.Font(), controls_.Scale());
}

// --- Handlers -----------------------------------------------------------------------------

void TForm1::FormCreate() { DragAcceptFiles(handle_, TRUE); }

void TForm1::PlaceMinuteMap() {
  const HWND bar = controls_[ControlId::ScrollBar1];
  const HWND map = controls_[ControlId::MinuteMap1];
  RECT barBounds, mapBounds;
  GetWindowRect(bar, &barBounds);
  GetWindowRect(map, &mapBounds);
  MapWindowPoints(nullptr, GetParent(map), reinterpret_cast<POINT*>(&barBounds), 2);
  MapWindowPoints(nullptr, GetParent(map), reinterpret_cast<POINT*>(&mapBounds), 2);
  SCROLLBARINFO info = {};
  info.cbSize = sizeof(info);
  const int arrow = GetScrollBarInfo(bar, OBJID_CLIENT, &info) ? info.dxyLineButton : GetSystemMetrics(SM_CXHSCROLL);
  MoveWindow(map, barBounds.left + arrow, mapBounds.top, barBounds.right - barBounds.left - 2 * arrow,
             mapBounds.bottom - mapBounds.top, FALSE);
  minuteMap1_.Attach(map, scanner_, controls_.Font(), GetSystemMetrics(SM_CXHTHUMB),
                     [this](int64_t minute) { MinutePicked(minute); });
}

void TForm1::UpdateClipOnMap() {
  const ostrevan::ClipMode mode = FromStartMinute() ? ostrevan::ClipMode::StartMinute : ostrevan::ClipMode::FromEnd;
  minuteMap1_.SetClip(ostrevan::rules::ClipOnMap(loaded_, LengthText(), StartMinuteText(), mode));
}

// A click or a drag on the map does what the scroll bar would, and picks the start minute's mode.
void TForm1::MinutePicked(int64_t minute) {
  if (busy_) return;
  Item<Button>(ControlId::RadioButton1).SetChecked(true);
  Item<Button>(ControlId::RadioButton2).SetChecked(false);
  UpdateRadioTabStops();
  ostrevan::rules::MoveStartMinute(*this, minute);
  UpdateClipOnMap();
  // The keys go on from here: the arrows move the minute picked.
  SetFocus(controls_[ControlId::ScrollBar1]);
}

void TForm1::WMDropFiles(HDROP drop) {
  const ChecksGoOnAfter goOn(checker_);
  const DroppedFiles dropped(drop);
  ostrevan::rules::DropFiles(
      dropped.Count(), [&dropped](uint32_t i) { return dropped.Name(i); }, *this, *this);
}

void TForm1::DropAfterShowing(std::vector<std::string> paths) {
  commandLinePaths_ = std::move(paths);
  if (!commandLinePaths_.empty()) PostMessageW(handle_, kCommandLineDrop, 0, 0);
}

// A drop names files by their full paths: one given relative to the folder the program was
// started in is made one, so that a record keeps where its source is.
void TForm1::CommandLineDrop() {
  const ChecksGoOnAfter goOn(checker_);
  const std::vector<std::string> paths = std::move(commandLinePaths_);
  ostrevan::rules::DropFiles(
      static_cast<uint32_t>(paths.size()), [&paths](uint32_t i) { return ostrevan::AbsolutePath(paths[i]); }, *this,
      *this);
}

void TForm1::ListBox1Delete() {
  const int removed = Item<ListBox>(ControlId::ListBox1).RemoveSelected();
  if (removed >= 0) checker_.Remove(static_cast<size_t>(removed));
}

void TForm1::ShowRecordTags() { ostrevan::app::ShowRecordTags(controls_[ControlId::ListBox1], checker_.Tags()); }

void TForm1::RecordTagsChanged() {
  if (!tagsPosted_.exchange(true)) PostMessageW(handle_, kRecordTagsChanged, 0, 0);
}

void TForm1::Button1Click() {
  openDialog1_.SetFilter(ostrevan::app::kOpenDialogFilterName, ostrevan::app::kOpenDialogFilterPattern);
  if (!openDialog1_.Execute(handle_, ostrevan::Widen(SourcePath()))) return;
  const ChecksGoOnAfter goOn(checker_);
  ostrevan::rules::OpenDialogChosen(openDialog1_.FileName(), *this, *this);
}

void TForm1::Button2Click() {
  RunLongWork(ostrevan::rules::LongWork::Cut, ostrevan::rules::SaveClipWork(*this));
}

void TForm1::Button3Click() {
  RunLongWork(ostrevan::rules::LongWork::WriteBack, ostrevan::rules::WriteBackWork(*this));
}

void TForm1::Button4Click() { ostrevan::rules::ClearRecordsPressed(*this); }
void TForm1::ScrollBar1Change() { ostrevan::rules::StartMinuteChanged(*this); }

void TForm1::Label9Click(HWND sender) {
  wchar_t className[16] = {};
  GetClassNameW(sender, className, 16);
  if (lstrcmpiW(className, L"Static") != 0) return;
  ShellExecuteW(handle_, L"open", ostrevan::Widen(WindowText(sender)).c_str(), nullptr, nullptr, SW_SHOW);
}

// --- The controls as the handlers see them ------------------------------------------------

std::string TForm1::StartMinuteText() const { return Item<Label>(ControlId::Label4).Text(); }
std::string TForm1::SourcePath() const { return Item<Label>(ControlId::Label6).Text(); }
std::string TForm1::LengthText() const { return Item<ComboBox>(ControlId::ComboBox1).Text(); }
bool TForm1::FromStartMinute() const { return Item<Button>(ControlId::RadioButton1).Checked(); }
std::vector<std::string> TForm1::RecordPaths() const { return Item<ListBox>(ControlId::ListBox1).Items(); }

ostrevan::rules::ScrollBarRange TForm1::StartMinuteRange() const {
  return Item<ScrollBar>(ControlId::ScrollBar1).Range();
}

void TForm1::SetPlayTimeText(const std::string& text) { SetLabelText(ControlId::Label2, text); }
void TForm1::SetAttributesText(const std::string& text) { SetLabelText(ControlId::Label3, text); }
void TForm1::SetStartMinuteText(const std::string& text) {
  SetLabelText(ControlId::Label4, text);
  UpdateClipOnMap();
}
void TForm1::SetSourcePath(const std::string& text) { SetLabelText(ControlId::Label6, text); }

void TForm1::AddRecordPath(const std::string& text) {
  if (!Item<ListBox>(ControlId::ListBox1).Add(text)) throw ostrevan::EngineError(Text(ostrevan::texts::kListInsert));
  checker_.Add(text);
}

void TForm1::ClearRecordPaths() {
  checker_.Clear();
  Item<ListBox>(ControlId::ListBox1).Clear();
}
void TForm1::EnableStartMinute() { Item<ScrollBar>(ControlId::ScrollBar1).Enable(); }

void TForm1::SetStartMinuteRange(const ostrevan::rules::ScrollBarRange& range) {
  Item<ScrollBar>(ControlId::ScrollBar1).SetRange(range);
}

void TForm1::LoadingWave(const std::string&) {
  checker_.Pause();
  scanner_.Forget();
  minuteMap1_.LevelsChanged();
}

void TForm1::WaveLoaded(const ostrevan::LoadedWave& wave) {
  loaded_ = wave;
  checker_.Resume();
  scanner_.Begin(wave.path, wave.layout);
  UpdateClipOnMap();
}

void TForm1::SourceWriting(const std::string& path, uint64_t offset, uint64_t size) {
  if (!scanner_.Path().empty() && ostrevan::NamesTheSameFile(path, scanner_.Path())) {
    written_.emplace_back(offset, size);
  }
}

void TForm1::ShowInfo(const std::string& text) { ostrevan::app::ShowInfoBox(text); }

void TForm1::ShowRecordText(const std::string& text) {
  if (!Item<Memo>(ControlId::Memo1).SetText(text)) throw ostrevan::EngineError(Text(ostrevan::texts::kTextTooLarge));
}

// --- Messages -----------------------------------------------------------------------------

void TForm1::OnCommand(int id, int code) {
  // IDOK and IDCANCEL from the dialog keys are none of the controls: no default buttons.
  switch (static_cast<ControlId>(id)) {
    case ControlId::Button1:
      if (code == BN_CLICKED) RunHandler([this] { Button1Click(); });
      break;
    case ControlId::Button2:
      if (code == BN_CLICKED) RunHandler([this] { Button2Click(); });
      break;
    case ControlId::Button3:
      if (code == BN_CLICKED) RunHandler([this] { Button3Click(); });
      break;
    case ControlId::Button4:
      if (code == BN_CLICKED) RunHandler([this] { Button4Click(); });
      break;
    case ControlId::RadioButton1:
    case ControlId::RadioButton2:
      if (code == BN_CLICKED) {
        UpdateRadioTabStops();
        UpdateClipOnMap();
      }
      break;
    case ControlId::ComboBox1:
      if (code == CBN_EDITCHANGE) UpdateClipOnMap();
      if (code == CBN_SELCHANGE) PostMessageW(handle_, kUpdateClipOnMap, 0, 0);
      break;
    case ControlId::Label9:
      if (code == STN_CLICKED) RunHandler([this] { Label9Click(controls_[ControlId::Label9]); });
      break;
    default:
      break;
  }
}

void TForm1::OnScroll(int request) {
  const ostrevan::rules::ScrollBarRange range = StartMinuteRange();
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
    case SB_THUMBPOSITION:
      wanted = Item<ScrollBar>(ControlId::ScrollBar1).TrackPosition();
      break;
    default:
      return;
  }
  RunHandler([this, wanted] { ostrevan::rules::MoveStartMinute(*this, wanted); });
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The window is disabled while a long operation runs and its posted messages wait for the
  // end (long_work.cpp); what still reaches it (sent by another program, or dispatched by an
  // information box's loop) starts no second one.
  if (busy_) {
    switch (message) {
      case WM_COMMAND:
      case WM_HSCROLL:
        return 0;
      case WM_DROPFILES:
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
      case WM_CLOSE:
        closeAfterWork_ = true;
        return 0;
      default:
        break;
    }
  }
  switch (message) {
    case WM_CREATE:
      controls_.CreateControls(handle_, ostrevan::app::kForm1Controls, ostrevan::app::kForm1ControlCount);
      UpdateRadioTabStops();
      PlaceMinuteMap();
      FormCreate();
      return 0;
    case kUpdateClipOnMap:
      UpdateClipOnMap();
      return 0;
    case kCommandLineDrop:
      RunHandler([this] { CommandLineDrop(); });
      return 0;
    case kRecordTagsChanged:
      tagsPosted_ = false;
      ShowRecordTags();
      return 0;
    case WM_MEASUREITEM:  // ListBox1's items, as high as the layout's at any resolution
      if (wParam != static_cast<WPARAM>(ControlId::ListBox1)) break;
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
          static_cast<UINT>(controls_.Scale()(ostrevan::app::kListItemHeight));
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != static_cast<WPARAM>(ControlId::ListBox1)) break;
      ostrevan::app::DrawRecordItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), controls_.Font(),
                                    controls_.Scale());
      return TRUE;
    case WM_VKEYTOITEM:  // a key in ListBox1 (LBS_WANTKEYBOARDINPUT); -2: handled, -1: the list's own
      if (LOWORD(wParam) != VK_DELETE) return -1;
      RunHandler([this] { ListBox1Delete(); });
      return -2;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == controls_[ControlId::ScrollBar1]) OnScroll(LOWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          controls_.LabelColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
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
        SetFocus(savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : controls_[ControlId::Button1]);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      SetFocus(savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : controls_[ControlId::Button1]);
      return 0;
    case WM_SYSCOMMAND:
      // Minimizing minimizes the application window, which hides this one with it.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(ostrevan::app::TheApplication().Handle(), SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      scanner_.Forget();
      checker_.Clear();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(handle_, message, wParam, lParam);
}
