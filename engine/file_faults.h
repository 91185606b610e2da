#pragma once
// A seam for tests: file operations that fail on demand, in-process, with the same engine
// code on every platform (a short write as on a full disk, a failed flush, an I/O error on
// read, a file that cannot be made or renamed, a file held a moment by another program), and
// that tell a recorder what reaches the files and their names, so that a test can build every
// state a power loss may leave.
// Nothing is installed outside tests, and then every operation goes straight through.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrevan {

class FileFaults {
 public:
  virtual ~FileFaults() = default;
  // How many of `size` bytes a write to `path` at `position` puts; `size` for no fault.
  virtual size_t WriteAllowance(const std::string& /*path*/, int64_t /*position*/, size_t size) { return size; }
  // True to fail a read of `path` at `position` as an I/O error.
  virtual bool ReadFails(const std::string& /*path*/, int64_t /*position*/) { return false; }
  // Told of every flush of `path`; true to fail it.
  virtual bool FlushFails(const std::string& /*path*/) { return false; }
  // True to refuse making or emptying `path` (FileMode::CreateEmpty), as a full folder does.
  virtual bool CreateFails(const std::string& /*path*/) { return false; }
  // True to fail the rename of `from` over `to`, `to` then unchanged.
  virtual bool RenameFails(const std::string& /*from*/, const std::string& /*to*/) { return false; }
  // Asked before every attempt to open, create, rename (for both names) or remove `path`; true
  // to refuse that attempt as held by another program, which the retries then ask again.
  virtual bool Held(const std::string& /*path*/) { return false; }
  // True to fail putting the folder that holds `path` on the disk.
  virtual bool FolderFlushFails(const std::string& /*path*/) { return false; }

  // Told before each pause of the retries of a held file: `path` is the file asked for (for a
  // rename, the name it goes to). Another operation is waiting for the file then.
  virtual void Waiting(const std::string& /*path*/) {}

  // Told before every read and write of `size` bytes; may take its time, as a slow disk does.
  virtual void BeforeTransfer(const std::string& /*path*/, size_t /*size*/) {}

  // What happened, told after it succeeded. A write tells the bytes the file took.
  virtual void Written(const std::string& /*path*/, int64_t /*position*/, const void* /*bytes*/, size_t /*size*/) {}
  virtual void Flushed(const std::string& /*path*/) {}
  // A file opened with FileMode::CreateEmpty: made, or emptied when it was there.
  virtual void Created(const std::string& /*path*/) {}
  virtual void Renamed(const std::string& /*from*/, const std::string& /*to*/) {}
  virtual void Removed(const std::string& /*path*/) {}
  // The folder holding `path` was put on the disk: the names in it are durable.
  virtual void FolderFlushed(const std::string& /*path*/) {}
};

// Installs `faults` for every file operation until it is replaced, or removed with nullptr.
void SetFileFaults(FileFaults* faults);
// What is installed now; nullptr outside tests. Asked by every file operation (file.cpp).
FileFaults* InstalledFileFaults();

// For tests of a whole program: with OSTREVAN_SLOW_BLOCK_MS=N in the environment, every read
// and write of a block of the engine's copies (more than 64 KiB) takes N ms longer, as on a
// slow disk, so that a cut or a write-back of a small file lasts long enough to watch.
void SlowFilesFromEnvironment();

}  // namespace ostrevan
