#include "minute_map.h"

#include <commctrl.h>

#include <algorithm>

#include "application.h"
#include "codepage.h"
#include "gdi.h"

namespace ostrevan::app {

namespace {

constexpr UINT kRedraw = WM_APP + 1;

// `share` parts of `ink` in 256 over `paper`.
COLORREF Mix(COLORREF ink, COLORREF paper, int share) {
  const auto channel = [share](int a, int b) { return (a * share + b * (256 - share)) / 256; };
  return RGB(channel(GetRValue(ink), GetRValue(paper)), channel(GetGValue(ink), GetGValue(paper)),
             channel(GetBValue(ink), GetBValue(paper)));
}

// The colours of a column, on the window's own colours: plain or inside the clip.
struct ColumnColors {
  COLORREF background, peak, rms;
};

ColumnColors ColorsOf(bool inClip) {
  const COLORREF paper = GetSysColor(COLOR_WINDOW);
  const COLORREF ink = GetSysColor(inClip ? COLOR_HIGHLIGHT : COLOR_WINDOWTEXT);
  return {inClip ? Mix(ink, paper, 56) : paper, Mix(ink, paper, inClip ? 120 : 72), Mix(ink, paper, inClip ? 224 : 176)};
}

void FillColumn(HDC dc, int x, int top, int bottom, COLORREF colour) {
  if (top >= bottom) return;
  SetBkColor(dc, colour);
  const RECT area = {x, top, x + 1, bottom};
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

// A bitmap the size of the window, drawn whole and then put on the screen in one step, so
// that the map does not flicker while minutes come in.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, const RECT& area)
      : target_(target), area_(area), dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, area.right, area.bottom)), previous_(SelectObject(dc_, bitmap_)) {}
  ~BufferedPaint() {
    BitBlt(target_, 0, 0, area_.right, area_.bottom, dc_, 0, 0, SRCCOPY);
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC target_;
  RECT area_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

}  // namespace

void MinuteMap::Register(HINSTANCE instance) {
  static const bool registered = [instance] {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kMinuteMapClass;
    return RegisterClassW(&windowClass) != 0;
  }();
  (void)registered;
}

void MinuteMap::Attach(HWND window, const rules::LevelScanner& scanner, HFONT font, int thumb,
                       std::function<void(int64_t)> picked) {
  window_ = window;
  thumb_ = thumb;
  scanner_ = &scanner;
  font_ = font;
  picked_ = std::move(picked);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0,
                         0, window, nullptr, nullptr, nullptr);
  if (tip_) {
    // The size of the first version's structure: the program carries no manifest, so on
    // Windows the tooltips are version 5's, which refuse a larger one.
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = 1;
    GetClientRect(window, &tool.rect);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void MinuteMap::LevelsChanged() {
  if (window_ && !redrawPosted_.exchange(true)) PostMessageW(window_, kRedraw, 0, 0);
}

void MinuteMap::SetClip(const std::optional<rules::MinuteStretch>& clip) {
  const bool same = clip.has_value() == clip_.has_value() &&
                    (!clip || (clip->from == clip_->from && clip->to == clip_->to));
  if (same) return;
  clip_ = clip;
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK MinuteMap::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* map = reinterpret_cast<MinuteMap*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!map) {
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      FillRect(paint.hdc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
      EndPaint(window, &paint);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  RunHandler([&] { result = map->HandleMessage(message, wParam, lParam); });
  return result;
}

LRESULT MinuteMap::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRedraw:
      redrawPosted_ = false;
      SetWindowTextW(window_, Widen(rules::MapStatus(scanner_->Levels())).c_str());
      InvalidateRect(window_, nullptr, FALSE);
      tipMinute_ = -1;  // the minute under the mouse may have been measured meanwhile
      if (tip_) SendMessageW(tip_, TTM_UPDATE, 0, 0);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      RECT client;
      GetClientRect(window_, &client);
      if (client.right > 0 && client.bottom > 0) {
        BufferedPaint buffer(paint.hdc, client);
        Paint(buffer.Dc(), client);
      }
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(window_);
      Pick(lParam);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == window_) Pick(lParam);
      FollowMouse(lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      if (GetCapture() == window_) ReleaseCapture();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == tip_ && header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        info->lpszText = tipText_.data();
        // The text can be as wide as the map's parent.
        SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
      }
      return 0;
    }
    case WM_SIZE:
      if (tip_) {
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window_;
        tool.uId = 1;
        GetClientRect(window_, &tool.rect);
        SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

rules::MapScale MinuteMap::ScaleOf(const rules::MapLevels& levels) const {
  RECT client;
  GetClientRect(window_, &client);
  return rules::MapScale(client.right, thumb_, levels.Count(), levels.length);
}

void MinuteMap::Pick(LPARAM point) {
  const rules::MapLevels levels = scanner_->Levels();
  if (levels.Count() == 0 || !picked_) return;
  picked_(ScaleOf(levels).MinuteAt(static_cast<short>(LOWORD(point))));
}

// The tooltip tells the minute under the mouse; its text changes when the minute does.
void MinuteMap::FollowMouse(LPARAM point) {
  const rules::MapLevels levels = scanner_->Levels();
  const int64_t minute = levels.Count() ? ScaleOf(levels).MinuteAt(static_cast<short>(LOWORD(point))) : -1;
  if (minute == tipMinute_) return;
  tipMinute_ = minute;
  std::string text;
  if (minute >= 0) {
    const auto& level = levels.minutes[static_cast<size_t>(minute)];
    text = !level && !levels.error.empty() ? levels.error : rules::MinuteTip(minute, level);
  } else {
    text = levels.note;
  }
  tipText_ = Widen(text);
  if (tip_) SendMessageW(tip_, TTM_UPDATE, 0, 0);
}

void MinuteMap::Paint(HDC dc, const RECT& client) const {
  const rules::MapLevels levels = scanner_->Levels();
  const int width = client.right;
  const int height = client.bottom;
  const int64_t minutes = levels.Count();
  const rules::MapScale scale(width, thumb_, minutes, levels.length);
  const rules::ColumnSpan clip = clip_ && minutes ? scale.ColumnsOf(*clip_) : rules::ColumnSpan{};
  const HBRUSH unknown = CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_BTNSHADOW));
  int measuredUpTo = 0;  // the columns before it are measured
  bool allMeasured = true;
  std::vector<MinuteLevel> known;
  for (int x = 0; x < width; ++x) {
    const bool inClip = x >= clip.left && x < clip.right;
    const ColumnColors colors = ColorsOf(inClip);
    const rules::MinuteRange shown = scale.MinutesInColumn(x);
    known.clear();
    for (int64_t minute = shown.first; minute < shown.end; ++minute) {
      if (const auto& level = levels.minutes[static_cast<size_t>(minute)]) known.push_back(*level);
    }
    if (shown.first >= shown.end) {  // no recording, or beside its minutes
      FillColumn(dc, x, 0, height, colors.background);
      continue;
    }
    if (known.size() < static_cast<size_t>(shown.end - shown.first)) {
      // Not measured yet: hatched, so that it is never taken for silence.
      allMeasured = false;
      FillColumn(dc, x, 0, height, inClip ? colors.background : GetSysColor(COLOR_BTNFACE));
      SetBkMode(dc, TRANSPARENT);
      const RECT area = {x, 0, x + 1, height};
      FillRect(dc, &area, unknown);
      continue;
    }
    if (allMeasured) measuredUpTo = x + 1;
    const MinuteLevel level = CombineMinutes(known.data(), known.size());
    const int peak = rules::BarHeight(level.PeakDbfs(), height);
    const int rms = std::min(peak, rules::BarHeight(level.RmsDbfs(), height));
    FillColumn(dc, x, 0, height - peak, colors.background);
    FillColumn(dc, x, height - peak, height - rms, colors.peak);
    FillColumn(dc, x, height - rms, height, colors.rms);
  }
  DeleteObject(unknown);
  if (!levels.note.empty()) {
    // The note stands where the minutes it explains begin, or across the map.
    RECT area = {minutes ? measuredUpTo + 4 : 4, 0, width - 2, height};
    if (area.right - area.left < width / 3) area.left = 4;
    ScopedSelectObject selected(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const std::wstring note = Widen(levels.note);
    DrawTextW(dc, note.c_str(), static_cast<int>(note.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

}  // namespace ostrevan::app
