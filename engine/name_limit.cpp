#include "name_limit.h"

#include "file.h"

#ifdef _WIN32
#include "codepage.h"
#else
#include <unistd.h>
#endif

namespace ostrevan {

bool NameFits(const std::string& path) {
  const std::string name = FileNameOf(path);
#ifdef _WIN32
  // NTFS, exFAT and FAT's long names alike.
  return Widen(name).size() <= 255;
#else
  // The limit of the folder that holds it: what comes before the name and its separator.
  const size_t folderLength = path.size() - name.size();
  const std::string folder = folderLength == 0 ? "." : folderLength == 1 ? "/" : path.substr(0, folderLength - 1);
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return name.size() <= static_cast<size_t>(limit > 0 ? limit : 255);
#endif
}

}  // namespace ostrevan
