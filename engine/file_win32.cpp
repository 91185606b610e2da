// Win32 file access: CreateFileW with share mode 0, or FILE_SHARE_READ for files that
// others may read at the same time. Paths are UTF-8 inside and UTF-16 in the \\?\ form at
// every call (SystemPathOf), so any name and any length Windows can hold is reached,
// whatever the system code page.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "codepage.h"
#include "engine_error.h"
#include "file.h"
#include "long_path.h"
#include "texts.h"

namespace ostrevan {

namespace {

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces of this size.
constexpr size_t kMaxPiece = 1u << 30;

// `wide` made full against the current folder; "" when it cannot be.
std::wstring FullPathName(const std::wstring& wide) {
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return L"";
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return L"";
  full.resize(length);
  return full;
}

// What the failure of the last call on `paths` came to. Sharing and lock violations come from
// another program's handle: a scanner or an indexer lets go within milliseconds. Access is
// denied by such a handle too (to a file it is deleting, or that it holds without sharing
// deletion), but for good to a folder and, when writing, to a read-only file.
platform::Outcome LastFailure(std::initializer_list<const std::wstring*> paths, bool writing) {
  const DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return platform::Outcome::Held;
  if (error != ERROR_ACCESS_DENIED) return platform::Outcome::Failed;
  for (const std::wstring* path : paths) {
    const DWORD attributes = GetFileAttributesW(path->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (writing && (attributes & FILE_ATTRIBUTE_READONLY))) {
      return platform::Outcome::Failed;
    }
  }
  return platform::Outcome::Held;
}

platform::Outcome DoneOr(BOOL done, std::initializer_list<const std::wstring*> paths) {
  return done ? platform::Outcome::Done : LastFailure(paths, true);
}

OVERLAPPED At(int64_t position) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position) >> 32);
  return at;
}

}  // namespace

std::wstring SystemPathOf(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;  // meant literally: nothing to make full
  const std::wstring full = FullPathName(wide);
  return ExtendedLengthPath(full.empty() ? wide : full);
}

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

platform::Outcome File::PlatformOpen(const std::string& path, FileMode mode) {
  DWORD access = GENERIC_READ;
  DWORD share = 0;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case FileMode::ReadExclusive: break;
    case FileMode::ReadWriteExclusive: access |= GENERIC_WRITE; break;
    case FileMode::CreateEmpty: access |= GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    case FileMode::ReadShared: share = FILE_SHARE_READ; break;
  }
  const std::wstring systemPath = SystemPathOf(path);
  HANDLE handle = CreateFileW(systemPath.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastFailure({&systemPath}, (access & GENERIC_WRITE) != 0);
  // Only files on a disk: device names such as CON or COM1 are no recordings.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return platform::Outcome::Failed;
  }
  handle_ = handle;
  return platform::Outcome::Done;
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
  DWORD attributes = GetFileAttributesW(SystemPathOf(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::Outcome platform::ReplaceFileWith(const std::string& from, const std::string& to) {
  const std::wstring systemFrom = SystemPathOf(from);
  const std::wstring systemTo = SystemPathOf(to);
  return DoneOr(MoveFileExW(systemFrom.c_str(), systemTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
                {&systemFrom, &systemTo});
}

platform::Outcome platform::RemoveFile(const std::string& path) {
  const std::wstring systemPath = SystemPathOf(path);
  return DoneOr(DeleteFileW(systemPath.c_str()), {&systemPath});
}

// NTFS keeps names in its own journal and MoveFileEx above writes through: nothing to do.
bool platform::SyncFolderOf(const std::string&) { return true; }

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring full = FullPathName(Widen(path));
  return full.empty() ? path : Narrow(full);
}

bool NamesTheSameFile(const std::string& left, const std::string& right) {
  // Ordinal, as the file system compares: no two distinct names are taken for one by a
  // language's rules.
  const std::wstring a = Widen(AbsolutePath(left));
  const std::wstring b = Widen(AbsolutePath(right));
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace ostrevan
