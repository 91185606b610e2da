// The file operations every caller uses: each passes through the test seam (file_faults.h),
// asks again while another program holds the file, then calls the platform's own operation
// (file_posix.cpp, file_win32.cpp).

#include "file.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <thread>

#include "engine_error.h"
#include "file_faults.h"
#include "texts.h"

namespace ostrevan {

using platform::Outcome;

namespace {

// True when the installed faults hold any of `paths` (each is asked).
bool HeldByFaults(std::initializer_list<const std::string*> paths) {
  FileFaults* faults = InstalledFileFaults();
  bool held = false;
  for (const std::string* path : paths) held = (faults && faults->Held(*path)) || held;
  return held;
}

// Runs `attempt` until it is done or fails for good, asking again while the file is held
// (a scanner or an indexer lets go within milliseconds, an editor does not): see file.h.
template <typename Attempt>
bool RetriedWhileHeld(const std::string& waitingFor, Attempt attempt) {
  for (int retry = 1;; ++retry) {
    const Outcome outcome = attempt();
    if (outcome != Outcome::Held || retry > kHeldRetries) return outcome == Outcome::Done;
    if (FileFaults* faults = InstalledFileFaults()) faults->Waiting(waitingFor);
    std::this_thread::sleep_for(std::chrono::milliseconds(kHeldPauseMs * retry));
  }
}

}  // namespace

bool File::Open(const std::string& path, FileMode mode) {
  Close();
  FileFaults* faults = InstalledFileFaults();
  if (faults && mode == FileMode::CreateEmpty && faults->CreateFails(path)) return false;
  if (path.empty()) return false;
  const bool opened = RetriedWhileHeld(path, [&] { return HeldByFaults({&path}) ? Outcome::Held : PlatformOpen(path, mode); });
  if (!opened) return false;
  path_ = path;
  if (faults && mode == FileMode::CreateEmpty) faults->Created(path);
  return true;
}

size_t File::ReadAt(int64_t position, void* buffer, size_t size) {
  FileFaults* faults = InstalledFileFaults();
  if (faults && faults->ReadFails(path_, position)) throw EngineError(Text(texts::kReadError));
  if (faults) faults->BeforeTransfer(path_, size);
  return PlatformReadAt(position, buffer, size);
}

size_t File::WriteAt(int64_t position, const void* buffer, size_t size) {
  FileFaults* faults = InstalledFileFaults();
  if (!faults) return PlatformWriteAt(position, buffer, size);
  faults->BeforeTransfer(path_, size);
  const size_t put = PlatformWriteAt(position, buffer, std::min(size, faults->WriteAllowance(path_, position, size)));
  faults->Written(path_, position, buffer, put);
  return put;
}

bool File::Flush() {
  FileFaults* faults = InstalledFileFaults();
  if (faults && faults->FlushFails(path_)) return false;
  if (!PlatformFlush()) return false;
  if (faults) faults->Flushed(path_);
  return true;
}

bool ReplaceFileWith(const std::string& from, const std::string& to, bool durable) {
  FileFaults* faults = InstalledFileFaults();
  if (faults && faults->RenameFails(from, to)) return false;
  const bool renamed = RetriedWhileHeld(to, [&] {
    return HeldByFaults({&from, &to}) ? Outcome::Held : platform::ReplaceFileWith(from, to);
  });
  if (!renamed) return false;
  if (faults) faults->Renamed(from, to);
  // The rename is on the disk once the folder that holds it is.
  return !durable || SyncFolderOf(to);
}

bool RemoveFile(const std::string& path) {
  if (!RetriedWhileHeld(path, [&] { return HeldByFaults({&path}) ? Outcome::Held : platform::RemoveFile(path); })) {
    return false;
  }
  FileFaults* faults = InstalledFileFaults();
  if (faults) faults->Removed(path);
  return true;
}

bool SyncFolderOf(const std::string& path) {
  FileFaults* faults = InstalledFileFaults();
  if (faults && faults->FolderFlushFails(path)) return false;
  if (!platform::SyncFolderOf(path)) return false;
  if (faults) faults->FolderFlushed(path);
  return true;
}

}  // namespace ostrevan
