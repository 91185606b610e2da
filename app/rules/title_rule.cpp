#include "title_rule.h"

namespace ostrevan::rules {

std::string ApplicationTitle(const std::string& modulePath, const LeadBytePredicate& isLeadByte,
                             const std::function<std::string(const std::string&)>& lower) {
  size_t nameStart = 0;
  for (size_t at = 0; at < modulePath.size(); at += CharacterLength(modulePath, at, isLeadByte)) {
    if (modulePath[at] == '\\') nameStart = at + 1;
  }
  std::string name = modulePath.substr(nameStart);
  for (size_t at = 0; at < name.size(); at += CharacterLength(name, at, isLeadByte)) {
    if (name[at] == '.') {
      name.resize(at);
      break;
    }
  }
  if (name.empty()) return name;
  const size_t first = CharacterLength(name, 0, isLeadByte);
  return name.substr(0, first) + lower(name.substr(first));
}

std::string LowerAscii(const std::string& text, const LeadBytePredicate& isLeadByte) {
  std::string out = text;
  for (size_t at = 0; at < out.size(); at += CharacterLength(out, at, isLeadByte)) {
    if (out[at] >= 'A' && out[at] <= 'Z') out[at] = static_cast<char>(out[at] - 'A' + 'a');
  }
  return out;
}

}  // namespace ostrevan::rules
