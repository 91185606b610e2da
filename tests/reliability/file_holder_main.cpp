// Another program holding a file open, for the tests of sources in use:
//   reliability_file_holder FILE READY RELEASE
// Opens FILE for reading and writing, shared with nobody, creates READY, then holds the
// file until RELEASE exists (at most a minute). On Windows it opens the file as any other
// program would (CreateFileW with share mode 0); elsewhere it is an opener of ours, since
// only our own openers take the lock there.
//   reliability_file_holder --every-file FOLDER READY RELEASE     (Windows)
// Acts as a virus scanner or an indexer: over and over, opens each file of FOLDER for
// reading, sharing neither writing nor deletion, for a moment, until RELEASE exists (at most
// a minute). Creates READY once it has held a file, and at the end writes into it how many
// times it held one.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include "file.h"
#endif

namespace {

bool Exists(const std::filesystem::path& path) { return std::ifstream(path).good(); }

// The arguments as the system names files: in 16-bit characters on Windows, whatever the code
// page, so that any name works.
std::vector<std::filesystem::path> Arguments(int argc, char** argv) {
  std::vector<std::filesystem::path> paths;
#ifdef _WIN32
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; i < count && i < argc; ++i) paths.emplace_back(wide[i]);
  LocalFree(wide);
#else
  for (int i = 0; i < argc; ++i) paths.emplace_back(argv[i]);
#endif
  return paths;
}

#ifdef _WIN32
int HoldEveryFileInTurn(const std::filesystem::path& folder, const std::filesystem::path& ready,
                        const std::filesystem::path& release) {
  // Held a moment, then let go for longer, so that a file alone in the folder is free more
  // often than not (scanners keep a file from a few milliseconds up to a few hundred).
  constexpr DWORD kHoldMs = 20;
  constexpr DWORD kFreeMs = 30;
  long held = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!Exists(release) && std::chrono::steady_clock::now() < deadline) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      HANDLE file = CreateFileW(it->path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) continue;  // a file of ours, held without sharing, or gone
      if (held++ == 0) std::ofstream(ready) << "held\n";
      Sleep(kHoldMs);
      CloseHandle(file);
      Sleep(kFreeMs);
    }
    Sleep(kFreeMs);  // an empty folder, or only files it cannot open
  }
  std::ofstream(ready) << held;
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::filesystem::path> args = Arguments(argc, argv);
#ifdef _WIN32
  if (args.size() == 5 && args[1] == L"--every-file") return HoldEveryFileInTurn(args[2], args[3], args[4]);
#endif
  if (args.size() != 4) {
    std::fprintf(stderr, "usage: reliability_file_holder FILE READY RELEASE\n"
                         "       reliability_file_holder --every-file FOLDER READY RELEASE\n");
    return 64;
  }
#ifdef _WIN32
  HANDLE held = CreateFileW(args[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
#else
  ostrevan::File held;
  if (!held.Open(args[1].string(), ostrevan::FileMode::ReadWriteExclusive)) return 2;
#endif
  std::ofstream(args[2]) << "held\n";
  for (int waited = 0; waited < 6000 && !Exists(args[3]); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
#ifdef _WIN32
  CloseHandle(held);
#endif
  return 0;
}
