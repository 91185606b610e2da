#pragma once
// The application title: the caption of both boxes and the taskbar entry's label.

#include <functional>
#include <string>

#include "lead_byte.h"

namespace ostrevan::rules {

// From the executable's path (already in the ANSI code page): the part after the last "\",
// cut at its first ".", every character after the first lowered with `lower`. The first
// character, one or two bytes, is kept as it is. A "\" that is the trail byte of a
// double-byte character is no separator.
std::string ApplicationTitle(const std::string& modulePath, const LeadBytePredicate& isLeadByte,
                             const std::function<std::string(const std::string&)>& lower);

// Lowers the ASCII letters only, leaving double-byte characters whole (their trail bytes
// can look like letters): how dropped names' endings are compared, and the stand-in for
// CharLowerA in the tests.
std::string LowerAscii(const std::string& text, const LeadBytePredicate& isLeadByte);

}  // namespace ostrevan::rules
