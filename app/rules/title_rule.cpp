#include "title_rule.h"

#include <algorithm>

#include "codepage.h"
#include "file.h"

namespace ostrevan::rules {

std::string ApplicationTitle(const std::string& modulePath,
                             const std::function<std::string(const std::string&)>& lower) {
  std::string name = FileNameOf(modulePath);
  name.resize(std::min(name.size(), name.find('.')));
  if (name.empty()) return name;
  const size_t first = std::min(Utf8CharacterLength(static_cast<unsigned char>(name[0])), name.size());
  return name.substr(0, first) + lower(name.substr(first));
}

}  // namespace ostrevan::rules
