#include "texts.h"

namespace ostrevan {

std::string Text(const char* utf8) { return utf8; }

std::string FormatText(const char* utf8Template, const std::string& argument) {
  const std::string text(utf8Template);
  const size_t at = text.find("%s");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + argument + text.substr(at + 2);
}

}  // namespace ostrevan
