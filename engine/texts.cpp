#include "texts.h"

namespace ostrevan {

std::string Text(const char* utf8) { return utf8; }

std::string FormatText(const char* utf8Template, const std::string& argument) {
  return FormatText(utf8Template, {argument});
}

std::string FormatText(const char* utf8Template, std::initializer_list<std::string> arguments) {
  const std::string text(utf8Template);
  std::string result;
  size_t from = 0;
  for (const std::string& argument : arguments) {
    const size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    result += text.substr(from, at - from) + argument;
    from = at + 2;
  }
  return result + text.substr(from);
}

}  // namespace ostrevan
