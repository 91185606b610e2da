#pragma once
// The one error type the engine raises. Its message is already in the system code page,
// ready for the error box (which adds the final ".").

#include <stdexcept>
#include <string>

namespace ostrevan {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& messageInSystemCodePage)
      : std::runtime_error(messageInSystemCodePage) {}
  std::string message() const { return what(); }
};

}  // namespace ostrevan
