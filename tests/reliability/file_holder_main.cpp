// Another program holding a file open, for the tests of sources in use:
//   reliability_file_holder FILE READY RELEASE
// Opens FILE for reading and writing, shared with nobody, creates READY, then holds the
// file until RELEASE exists (at most a minute). On Windows it opens the file as any other
// program would (CreateFileA with share mode 0); elsewhere it is an opener of ours, since
// only our own openers take the lock there.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "file.h"
#endif

namespace {

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: reliability_file_holder FILE READY RELEASE\n");
    return 64;
  }
#ifdef _WIN32
  HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
#else
  ostrevan::File held;
  if (!held.Open(argv[1], ostrevan::FileMode::ReadWriteExclusive)) return 2;
#endif
  std::ofstream(argv[2]) << "held\n";
  for (int waited = 0; waited < 6000 && !Exists(argv[3]); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
#ifdef _WIN32
  CloseHandle(held);
#endif
  return 0;
}
