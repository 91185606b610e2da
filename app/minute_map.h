#pragma once
// The minute map: a child window of class OstrevanMinuteMap under the start minute's scroll
// bar, one bar per minute of the loaded recording (peak light, RMS dark, from the bottom),
// the clip that "WAV保存" would cut highlighted. A click or a drag picks the start minute;
// the tooltip tells a minute's levels. It draws what a LevelScanner has measured so far.

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>

#include "level_scanner.h"
#include "minute_map_rule.h"

namespace ostrevan::app {

inline constexpr const wchar_t* kMinuteMapClass = L"OstrevanMinuteMap";

class MinuteMap {
 public:
  // Registers the window class (once); a window of it shows nothing until attached.
  static void Register(HINSTANCE instance);

  // Takes over `window`, made of the class above, drawing `scanner`'s levels in `font` under
  // a scroll bar track with a thumb `thumb` pixels wide; `picked` is told the minute a click
  // or a drag points at.
  void Attach(HWND window, const rules::LevelScanner& scanner, HFONT font, int thumb,
              std::function<void(int64_t)> picked);
  HWND Handle() const { return window_; }

  // New levels: drawn soon, from any thread, however often it is called.
  void LevelsChanged();
  // What "WAV保存" would cut now; none: nothing is highlighted.
  void SetClip(const std::optional<rules::MinuteStretch>& clip);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& client) const;
  void Pick(LPARAM point);
  void FollowMouse(LPARAM point);
  rules::MapScale ScaleOf(const rules::MapLevels& levels) const;

  HWND window_ = nullptr;
  HWND tip_ = nullptr;
  const rules::LevelScanner* scanner_ = nullptr;
  HFONT font_ = nullptr;
  int thumb_ = 0;
  std::function<void(int64_t)> picked_;
  std::optional<rules::MinuteStretch> clip_;
  std::atomic<bool> redrawPosted_{false};
  int64_t tipMinute_ = -1;
  std::wstring tipText_;
};

}  // namespace ostrevan::app
