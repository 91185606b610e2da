#include "info_box.h"

#include <windows.h>

#include <algorithm>

#include "monitor.h"
#include "application.h"
#include "codepage.h"
#include "dialog_placement.h"
#include "gdi.h"

namespace ostrevan::app {

namespace {

constexpr int kTextId = 0xFFFF;

struct InfoBoxState {
  const std::string* text = nullptr;
  HWND placeOn = nullptr;  // the window whose monitor the box is centred on
  OwnedFont madeFont;     // deleted when the box's state goes, after the box
  HFONT font = nullptr;   // madeFont, or a stock font, which is never deleted
};

// The platform's message-box font, or the stock GUI font when it cannot be had.
void ChooseMessageFont(InfoBoxState& state) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    state.madeFont = OwnedFont(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  state.font = state.madeFont.Get() ? state.madeFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void LayOut(HWND dialog, InfoBoxState& state) {
  ChooseMessageFont(state);
  const std::wstring text = Widen(*state.text);
  TEXTMETRICW metrics = {};
  SIZE average = {};
  RECT textRect = {0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  {
    ScopedGetDC dc(dialog);
    ScopedSelectObject font(dc, state.font);
    GetTextMetricsW(dc, &metrics);
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &average);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  }
  const int unitX = (average.cx / 26 + 1) / 2;  // one dialog unit is a quarter of the average width
  const int unitY = metrics.tmHeight;          // and an eighth of the height

  const int margin = MulDiv(8, unitX, 4);
  const int gap = MulDiv(8, unitY, 8);
  const int buttonWidth = MulDiv(50, unitX, 4);
  const int buttonHeight = MulDiv(14, unitY, 8);
  const int textWidth = textRect.right - textRect.left;
  const int textHeight = textRect.bottom - textRect.top;
  const int clientWidth = std::max(textWidth, buttonWidth) + 2 * margin;
  const int clientHeight = gap + textHeight + gap + buttonHeight + gap;

  const HWND textControl = CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT,
                                           margin, gap, textWidth, textHeight, dialog,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), nullptr, nullptr);
  const HWND button = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                      (clientWidth - buttonWidth) / 2, gap + textHeight + gap, buttonWidth,
                                      buttonHeight, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                                      nullptr, nullptr);
  SendMessageW(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);

  RECT frame = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const rules::Rect area = MonitorOf(state.placeOn);
  const rules::Point at = rules::CentredOnMonitor(area, width, height);
  SetWindowPos(dialog, nullptr, at.left, at.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
  SetFocus(button);
}

INT_PTR CALLBACK InfoBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InfoBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<InfoBoxState*>(lParam);
      SetWindowTextW(dialog, Widen(TheApplication().Title()).c_str());
      LayOut(dialog, *state);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// An empty dialog template: the controls are made once the text is measured.
struct alignas(4) EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD windowClass = 0;
  WORD title = 0;
};

}  // namespace

void ShowInfoBox(const std::string& text) {
  const HWND active = ActiveOrMainWindow();
  ModalScope modal;
  EmptyTemplate dialogTemplate = {};
  dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  InfoBoxState state;
  state.text = &text;
  state.placeOn = active;
  DialogBoxIndirectParamW(TheApplication().Instance(), &dialogTemplate.header, TheApplication().Handle(),
                          InfoBoxProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace ostrevan::app
