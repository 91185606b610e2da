#pragma once
// Kernel objects that give themselves back: a handle owned is closed at the end of its owner's
// life, as gdi.h does for device contexts and GDI objects.

#include <windows.h>

namespace ostrevan::app {

// A kernel handle (event, file, thread) closed with CloseHandle. Both nullptr and
// INVALID_HANDLE_VALUE stand for none: the system's functions fail with one or the other.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  // The handle, no longer closed here.
  HANDLE Release() {
    const HANDLE released = handle_;
    handle_ = nullptr;
    return released;
  }

 private:
  void Reset() {
    if (*this) CloseHandle(handle_);
    handle_ = nullptr;
  }
  HANDLE handle_ = nullptr;
};

}  // namespace ostrevan::app
