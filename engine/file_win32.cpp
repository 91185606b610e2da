// Win32 file access: CreateFileW with share mode 0, or FILE_SHARE_READ for files that
// others may read at the same time. Paths are UTF-8 inside and UTF-16 at every call, so any
// name Windows can hold is reached, whatever the system code page.

#include <windows.h>

#include <utility>

#include "codepage.h"
#include "engine_error.h"
#include "file.h"
#include "texts.h"

namespace ostrevan {

namespace {

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces of this size.
constexpr size_t kMaxPiece = 1u << 30;

OVERLAPPED At(int64_t position) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position) >> 32);
  return at;
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) { other.handle_ = nullptr; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool File::PlatformOpen(const std::string& path, FileMode mode) {
  DWORD access = GENERIC_READ;
  DWORD share = 0;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case FileMode::ReadExclusive: break;
    case FileMode::ReadWriteExclusive: access |= GENERIC_WRITE; break;
    case FileMode::CreateEmpty: access |= GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case FileMode::ReadShared: share = FILE_SHARE_READ; break;
  }
  HANDLE handle = CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  // Only files on a disk: device names such as CON or COM1 are no recordings.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  return true;
}

bool File::IsOpen() const { return handle_ != nullptr; }

void File::Close() {
  if (handle_ != nullptr) {
    CloseHandle(AsHandle(handle_));
    handle_ = nullptr;
    path_.clear();
  }
}

size_t File::PlatformReadAt(int64_t position, void* buffer, size_t size) {
  auto* out = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    DWORD piece = static_cast<DWORD>(size - done < kMaxPiece ? size - done : kMaxPiece);
    OVERLAPPED at = At(position + static_cast<int64_t>(done));
    DWORD got = 0;
    if (!ReadFile(AsHandle(handle_), out + done, piece, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      throw EngineError(Text(texts::kReadError));
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

size_t File::PlatformWriteAt(int64_t position, const void* buffer, size_t size) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    DWORD piece = static_cast<DWORD>(size - done < kMaxPiece ? size - done : kMaxPiece);
    OVERLAPPED at = At(position + static_cast<int64_t>(done));
    DWORD put = 0;
    if (!WriteFile(AsHandle(handle_), in + done, piece, &put, &at) || put == 0) break;
    done += put;
  }
  return done;
}

int64_t File::Length() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(handle_), &size)) throw EngineError(Text(texts::kReadError));
  return size.QuadPart;
}

bool File::PlatformFlush() { return FlushFileBuffers(AsHandle(handle_)) != FALSE; }

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool platform::ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool platform::RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != FALSE; }

// NTFS keeps names in its own journal and MoveFileEx above writes through: nothing to do.
bool platform::SyncFolderOf(const std::string&) { return true; }

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring wide = Widen(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return Narrow(full);
}

}  // namespace ostrevan
