// POSIX file access. flock gives our own openers the exclusion that share modes give on
// Windows: a second exclusive opener of ours is refused (as held, so after the retries of
// file.cpp). Other programs on Linux do not take these advisory locks, so they are
// not kept out.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "engine_error.h"
#include "file.h"
#include "texts.h"

namespace ostrevan {

// Positions beyond 2 GiB must not wrap: a wrapped write-back position could land in a header.
static_assert(sizeof(off_t) >= 8, "64-bit file offsets are needed (_FILE_OFFSET_BITS=64)");

File::~File() { Close(); }

File::File(File&& other) noexcept : path_(std::move(other.path_)), fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

platform::Outcome File::PlatformOpen(const std::string& path, FileMode mode) {
  // O_NONBLOCK keeps the open itself from waiting on a FIFO; only regular files are kept.
  int flags = O_CLOEXEC | O_NONBLOCK;
  int lock = LOCK_EX;
  switch (mode) {
    case FileMode::ReadExclusive: flags |= O_RDONLY; break;
    case FileMode::ReadWriteExclusive: flags |= O_RDWR; break;
    // No O_TRUNC here: the file is emptied only once the lock is ours, so a file that
    // someone else holds is never emptied.
    case FileMode::CreateEmpty: flags |= O_RDWR | O_CREAT; break;
    case FileMode::ReadShared: flags |= O_RDONLY; lock = LOCK_SH; break;
  }
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return platform::Outcome::Failed;
  struct stat info {};
  bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (usable && ::flock(fd, lock | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? platform::Outcome::Held : platform::Outcome::Failed;
  }
  // A new file is empty already: truncating it anyway makes ext4 write it out on close.
  if (usable && mode == FileMode::CreateEmpty) {
    usable = ::fstat(fd, &info) == 0 && (info.st_size == 0 || ::ftruncate(fd, 0) == 0);
  }
  if (!usable || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return platform::Outcome::Failed;
  }
  fd_ = fd;
  return platform::Outcome::Done;
}

bool File::IsOpen() const { return fd_ >= 0; }

void File::Close() {
  if (fd_ >= 0) {
    ::close(fd_);  // closing also releases the lock
    fd_ = -1;
    path_.clear();
  }
}

size_t File::PlatformReadAt(int64_t position, void* buffer, size_t size) {
  auto* out = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::pread(fd_, out + done, size - done, static_cast<off_t>(position + static_cast<int64_t>(done)));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EngineError(Text(texts::kReadError));
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t File::PlatformWriteAt(int64_t position, const void* buffer, size_t size) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t put = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(position + static_cast<int64_t>(done)));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;  // disk full, file size limit, I/O error: the caller sees the short count
    done += static_cast<size_t>(put);
  }
  return done;
}

int64_t File::Length() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throw EngineError(Text(texts::kReadError));
  return static_cast<int64_t>(info.st_size);
}

bool File::PlatformFlush() { return ::fsync(fd_) == 0; }

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

namespace {
// Names are never held here: locks keep out openers only.
platform::Outcome DoneIf(bool done) { return done ? platform::Outcome::Done : platform::Outcome::Failed; }
}  // namespace

platform::Outcome platform::ReplaceFileWith(const std::string& from, const std::string& to) {
#ifdef RENAME_EXCHANGE
  // ext4 writes a file out at once when a rename puts it over another, which makes a cut over
  // an existing clip wait for the disk. Swapping the two names and then removing the old file
  // does not, and anyone looking still finds the old file or the new one under `to`.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(from.c_str());
    return Outcome::Done;
  }
#endif
  return DoneIf(::rename(from.c_str(), to.c_str()) == 0);
}

platform::Outcome platform::RemoveFile(const std::string& path) { return DoneIf(::unlink(path.c_str()) == 0); }

bool platform::SyncFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::string folder(256, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return path;
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  std::string relative = path;
  while (relative.compare(0, 2, "./") == 0) relative.erase(0, 2);
  return folder + (folder.back() == '/' ? "" : "/") + relative;
}

bool NamesTheSameFile(const std::string& left, const std::string& right) {
  return AbsolutePath(left) == AbsolutePath(right);
}

}  // namespace ostrevan
