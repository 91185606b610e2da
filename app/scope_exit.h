#pragma once
// What a scope must do however it is left, returned from or unwound by an error.

#include <utility>

namespace ostrevan::app {

// Runs `call` at the end of the scope. The call must not throw: it may run during unwinding.
template <typename Call>
class ScopeExit {
 public:
  explicit ScopeExit(Call call) : call_(std::move(call)) {}
  ~ScopeExit() { call_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Call call_;
};

}  // namespace ostrevan::app
