#include "file_faults.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine_error.h"
#include "file.h"
#include "texts.h"

namespace ostrevan {

namespace {
std::atomic<FileFaults*> installed{nullptr};
}  // namespace

void SetFileFaults(FileFaults* faults) { installed.store(faults); }

bool File::Open(const std::string& path, FileMode mode) {
  Close();
  FileFaults* faults = installed.load();
  if (faults && mode == FileMode::CreateEmpty && faults->CreateFails(path)) return false;
  if (path.empty() || !PlatformOpen(path, mode)) return false;
  path_ = path;
  if (faults && mode == FileMode::CreateEmpty) faults->Created(path);
  return true;
}

void SlowFilesFromEnvironment() {
  const char* value = std::getenv("OSTREVAN_SLOW_BLOCK_MS");
  const int ms = value ? std::atoi(value) : 0;
  if (ms <= 0) return;
  class Slow : public FileFaults {
   public:
    explicit Slow(int ms) : ms_(ms) {}
    void BeforeTransfer(const std::string&, size_t size) override {
      if (size > 64 * 1024) std::this_thread::sleep_for(std::chrono::milliseconds(ms_));
    }

   private:
    int ms_;
  };
  static Slow slow(ms);
  SetFileFaults(&slow);
}

size_t File::ReadAt(int64_t position, void* buffer, size_t size) {
  FileFaults* faults = installed.load();
  if (faults && faults->ReadFails(path_, position)) throw EngineError(Text(texts::kReadError));
  if (faults) faults->BeforeTransfer(path_, size);
  return PlatformReadAt(position, buffer, size);
}

size_t File::WriteAt(int64_t position, const void* buffer, size_t size) {
  FileFaults* faults = installed.load();
  if (!faults) return PlatformWriteAt(position, buffer, size);
  faults->BeforeTransfer(path_, size);
  const size_t put = PlatformWriteAt(position, buffer, std::min(size, faults->WriteAllowance(path_, position, size)));
  faults->Written(path_, position, buffer, put);
  return put;
}

bool File::Flush() {
  FileFaults* faults = installed.load();
  if (faults && faults->FlushFails(path_)) return false;
  if (!PlatformFlush()) return false;
  if (faults) faults->Flushed(path_);
  return true;
}

bool ReplaceFileWith(const std::string& from, const std::string& to, bool durable) {
  FileFaults* faults = installed.load();
  if (faults && faults->RenameFails(from, to)) return false;
  if (!platform::ReplaceFileWith(from, to)) return false;
  if (faults) faults->Renamed(from, to);
  // The rename is on the disk once the folder that holds it is.
  if (durable) SyncFolderOf(to);
  return true;
}

bool RemoveFile(const std::string& path) {
  if (!platform::RemoveFile(path)) return false;
  FileFaults* faults = installed.load();
  if (faults) faults->Removed(path);
  return true;
}

bool SyncFolderOf(const std::string& path) {
  if (!platform::SyncFolderOf(path)) return false;
  FileFaults* faults = installed.load();
  if (faults) faults->FolderFlushed(path);
  return true;
}

}  // namespace ostrevan
