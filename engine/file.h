#pragma once
// Byte-addressed file access with the sharing the program relies on: a file opened
// exclusively cannot be opened by anyone else (another opener of ours, and on Windows any
// other program) until it is closed. Two implementations share this header: Win32
// (CreateFileW with share mode 0 or FILE_SHARE_READ) and POSIX (open plus flock). Paths are
// UTF-8 on Windows, where they reach the system as UTF-16 (in the \\?\ form, so that any
// length works), and bytes as they are on POSIX.
//
// A file held a moment by another program (a virus scanner, the search indexer, a sync client,
// a second opener of ours) is asked for again: an open, a rename or a removal refused because
// of such a holder is retried kHeldRetries times, after a pause of kHeldPauseMs × n before
// the nth retry (about two seconds in all, as SQLite does on Windows), and only then fails.
// A missing file and any other failure fail at once.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrevan {

inline constexpr int kHeldRetries = 12;
inline constexpr int kHeldPauseMs = 25;

namespace platform {
// What one attempt of a platform operation came to. Held: refused because another opener has
// the file for now (Windows: a sharing, lock or access violation on a file that is neither a
// folder nor read-only where writing is asked; POSIX: our own lock); worth asking again.
enum class Outcome { Done, Held, Failed };
}  // namespace platform

enum class FileMode {
  ReadExclusive,       // an existing file, read only, shared with nobody
  ReadWriteExclusive,  // an existing file, read and write, shared with nobody; never created or emptied
  CreateEmpty,         // created, or emptied when it is there; read and write, shared with nobody
  ReadShared,          // an existing file, read only, shared with other readers, writers refused
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`. False when it cannot be had: missing, a folder,
  // no access, or still held by another opener after the retries.
  bool Open(const std::string& path, FileMode mode);
  bool IsOpen() const;
  void Close();

  // Reads up to `size` bytes at `position`. Returns the count read, fewer only at the end
  // of the file. Raises the read error for an I/O failure.
  size_t ReadAt(int64_t position, void* buffer, size_t size);

  // Writes `size` bytes at `position`. Returns the count the file took: fewer means the
  // disk is full or the file may grow no further.
  size_t WriteAt(int64_t position, const void* buffer, size_t size);

  int64_t Length();

  // Puts written bytes on the disk. False on failure.
  bool Flush();

 private:
  // The platform's own operations (file_posix.cpp, file_win32.cpp); the public ones above
  // (file.cpp) pass through the test seam of file_faults.h first.
  platform::Outcome PlatformOpen(const std::string& path, FileMode mode);
  size_t PlatformReadAt(int64_t position, void* buffer, size_t size);
  size_t PlatformWriteAt(int64_t position, const void* buffer, size_t size);
  bool PlatformFlush();

  std::string path_;  // as opened, for the test seam
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// Puts the file `from` in the place of `to` in one step (a rename over it, on the disk when
// this returns unless `durable` is false): anyone looking finds the old file or the new one,
// never a mix. False when the rename failed, `to` then unchanged; or when it was asked durable
// and the folder could not be put on the disk, the rename then possibly done already.
bool ReplaceFileWith(const std::string& from, const std::string& to, bool durable = true);

// Removes the file `path`; false when it cannot.
bool RemoveFile(const std::string& path);

// Puts the folder that holds `path` on the disk, so that names made, renamed or removed in
// it since survive a power loss (POSIX; Windows has no such call, and its renames write
// through). False on failure.
bool SyncFolderOf(const std::string& path);

// The platform's own operations behind the three above; one attempt each.
namespace platform {
Outcome ReplaceFileWith(const std::string& from, const std::string& to);
Outcome RemoveFile(const std::string& path);
bool SyncFolderOf(const std::string& path);
}  // namespace platform

// `path` made absolute against the current folder (an absolute path stays as it is).
std::string AbsolutePath(const std::string& path);

// True when the two paths name one file as far as the names tell: both made absolute, then
// compared as the system compares names (Windows without regard to case, POSIX byte for byte).
bool NamesTheSameFile(const std::string& left, const std::string& right);

// True when `path` names an existing file; a folder does not count and an empty path never exists.
bool FileExists(const std::string& path);

}  // namespace ostrevan
