#pragma once
// The window procedure of a window that an object owns: the object comes as the creation
// parameter of CreateWindowEx, is kept in the window's user data, and handles every message
// from then on through its HandleMessage. The owner befriends OwnedWindowProc<Owner>.

#include <windows.h>

#include "application.h"

namespace ostrevan::app {

template <typename Owner>
LRESULT CALLBACK OwnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!owner) return DefWindowProcW(window, message, wParam, lParam);
  // No error may unwind through the system's frames: it is shown here and the message ends.
  LRESULT result = 0;
  RunHandler([&] { result = owner->HandleMessage(message, wParam, lParam); });
  return result;
}

}  // namespace ostrevan::app
