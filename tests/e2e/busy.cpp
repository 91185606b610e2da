#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "program_driver.h"

namespace ostrevan::e2e {

// Another program under Wine for the stress runs (scripts/stress-e2e --wine): windows of a
// thread of its own, never shown, whose list and text another thread keeps changing and
// reading, each message a round trip through Wine's server. Runs until it is ended.
int KeepBusy() {
  std::atomic<HWND> list{nullptr}, label{nullptr};
  std::thread([&] {
    label = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    list = CreateWindowExW(0, L"ListBox", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }).detach();
  if (!Eventually([&] { return list != nullptr; })) return 1;
  for (unsigned round = 0;; ++round) {
    const std::wstring text(1 + round % 300, static_cast<wchar_t>(L'a' + round % 26));
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < 20; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ListItems(list);
    SetWindowTextW(label, text.c_str());
    TextOf(label);
  }
}

}  // namespace ostrevan::e2e
