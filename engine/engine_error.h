#pragma once
// The one error type the engine raises, and the one way both front ends turn an error into
// the text they show. Messages are UTF-8, as every text inside the program.

#include <stdexcept>
#include <string>

namespace ostrevan {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
  std::string message() const { return what(); }
};

// The message of the exception being handled; call it only inside a catch block. An
// EngineError gives its message, running out of memory "メモリが足りません", another standard
// exception its what(), anything else an empty message.
std::string CurrentErrorMessage();

// The text an error is shown with: the message with a "." appended when it is not empty and
// its last character compares greater than "." as bytes. Every byte of a UTF-8 multi-byte
// character is above ".", so every Japanese ending gets the ".", while ".", ")" or a blank
// at the end are left alone.
std::string ErrorText(const std::string& message);

}  // namespace ostrevan
