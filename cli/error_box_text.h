#pragma once
// The text the error box shows for an error message.

#include <string>

namespace ostrevan {

// A "." is appended when the message is not empty and its last byte compares greater than
// "." (so every message ending in a double-byte character gets one).
inline std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    return message + ".";
  }
  return message;
}

}  // namespace ostrevan
