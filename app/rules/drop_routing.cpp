#include "drop_routing.h"

#include <vector>

#include "ascii_case.h"
#include "codepage.h"

namespace ostrevan::rules {

std::string LastThreeCharacters(const std::string& name) {
  std::vector<size_t> starts;
  for (size_t at = 0; at < name.size(); at += Utf8CharacterLength(static_cast<unsigned char>(name[at]))) {
    starts.push_back(at);
  }
  if (starts.size() <= 3) return name;
  return name.substr(starts[starts.size() - 3]);
}

DropRoute RouteDroppedName(const std::string& name) {
  const std::string ending = LowerAscii(LastThreeCharacters(name));
  if (ending == "wav") return DropRoute::LoadWave;
  if (ending == "ini") return DropRoute::ListRecord;
  return DropRoute::PassOver;
}

}  // namespace ostrevan::rules
