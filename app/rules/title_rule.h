#pragma once
// The application title: the caption of both boxes and the taskbar entry's label.

#include <functional>
#include <string>

#include "ascii_case.h"

namespace ostrevan::rules {

// From the executable's path (UTF-8): the part after the last "\", cut at its first ".",
// every character after the first lowered with `lower`. The first character is kept as it
// is, however many bytes it takes.
std::string ApplicationTitle(const std::string& modulePath,
                             const std::function<std::string(const std::string&)>& lower);

}  // namespace ostrevan::rules
