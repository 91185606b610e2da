#include "texts.h"

#include "codepage.h"

namespace ostrevan {

std::string Text(const char* utf8) { return ToSystemCodePage(utf8); }

std::string FormatText(const char* utf8Template, const std::string& argument) {
  const std::string utf8(utf8Template);
  const size_t at = utf8.find("%s");
  if (at == std::string::npos) return ToSystemCodePage(utf8);
  return ToSystemCodePage(utf8.substr(0, at)) + argument + ToSystemCodePage(utf8.substr(at + 2));
}

}  // namespace ostrevan
