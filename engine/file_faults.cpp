#include "file_faults.h"

#include <algorithm>
#include <atomic>

#include "engine_error.h"
#include "file.h"
#include "texts.h"

namespace ostrevan {

namespace {
std::atomic<FileFaults*> installed{nullptr};
}  // namespace

void SetFileFaults(FileFaults* faults) { installed.store(faults); }

size_t File::ReadAt(int64_t position, void* buffer, size_t size) {
  FileFaults* faults = installed.load();
  if (faults && faults->ReadFails(path_, position)) throw EngineError(Text(texts::kReadError));
  return PlatformReadAt(position, buffer, size);
}

size_t File::WriteAt(int64_t position, const void* buffer, size_t size) {
  FileFaults* faults = installed.load();
  const size_t allowed = faults ? std::min(size, faults->WriteAllowance(path_, position, size)) : size;
  return PlatformWriteAt(position, buffer, allowed);
}

bool File::Flush() {
  FileFaults* faults = installed.load();
  if (faults && faults->FlushFails(path_)) return false;
  return PlatformFlush();
}

}  // namespace ostrevan
