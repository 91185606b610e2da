#pragma once
// Whether a byte opens a double-byte character; passed in so that the rules can be checked
// with the Shift-JIS table on any machine.

#include <functional>

namespace ostrevan::ui {

using LeadBytePredicate = std::function<bool(unsigned char)>;

}  // namespace ostrevan::ui
