#pragma once
// What the error box says for an error's message.

#include <string>

namespace ostrevan::rules {

// The message with a "." appended when it is not empty and its last character compares
// greater than "." as bytes. A double-byte character compares by its lead byte, which in
// Shift-JIS (as the trail bytes, and every byte of a UTF-8 sequence) is above "."; so every
// Japanese ending gets the ".", while ".", ")" or a blank at the end are left alone.
std::string ErrorBoxText(const std::string& message);

}  // namespace ostrevan::rules
