#include "name_limit.h"

#ifdef _WIN32
#include "codepage.h"
#else
#include <unistd.h>
#endif

namespace ostrevan {

bool NameFits(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
#ifdef _WIN32
  // NTFS, exFAT and FAT's long names alike.
  return Widen(name).size() <= 255;
#else
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return name.size() <= static_cast<size_t>(limit > 0 ? limit : 255);
#endif
}

}  // namespace ostrevan
