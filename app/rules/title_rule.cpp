#include "title_rule.h"

namespace ostrevan::rules {

std::string ApplicationTitle(const std::string& modulePath,
                             const std::function<std::string(const std::string&)>& lower) {
  size_t nameStart = 0;
  for (size_t at = 0; at < modulePath.size(); at += CharacterLength(modulePath, at)) {
    if (modulePath[at] == '\\') nameStart = at + 1;
  }
  std::string name = modulePath.substr(nameStart);
  for (size_t at = 0; at < name.size(); at += CharacterLength(name, at)) {
    if (name[at] == '.') {
      name.resize(at);
      break;
    }
  }
  if (name.empty()) return name;
  const size_t first = CharacterLength(name, 0);
  return name.substr(0, first) + lower(name.substr(first));
}

std::string LowerAscii(const std::string& text) {
  std::string out = text;
  for (size_t at = 0; at < out.size(); at += CharacterLength(out, at)) {
    if (out[at] >= 'A' && out[at] <= 'Z') out[at] = static_cast<char>(out[at] - 'A' + 'a');
  }
  return out;
}

}  // namespace ostrevan::rules
