#pragma once
// What a power loss may leave on the disk. A recorder (installed as the file seam) logs what
// an operation does to the files of one folder, in order; a replayer builds from that log
// every state of the folder that the disk may hold after a power loss at each point, and a
// state is written out as real files so that the engine can run on it.
//
// The disk as modelled here (kept simple on purpose; where it is kinder than a real disk,
// it says so):
// - A file's bytes are durable once it is flushed. Of each write since then, each 512-byte
//   sector (by file offset) it touched may have reached the disk or not, on its own, applied
//   in the order of the writes: a sector written twice may hold the first write, the second
//   over what was there before (a torn sector), both or neither. A file that grew may come
//   back shorter, or with zeros where a lost sector lay.
// - Emptying an existing file (FileMode::CreateEmpty) may be lost until the file is
//   flushed: the file then starts from its bytes at the last flush. Writes made before the
//   emptying are not modelled beyond that (they are gone either way).
// - A name made, renamed or removed is durable once its folder is flushed. Until then any
//   subset of the pending name operations may have reached the disk, applied in their order;
//   one that no longer applies (a rename of a name that is not there) is passed over.
// - Files are kept apart by identity, not name: a rename moves a file, not its bytes.

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "file_faults.h"
#include "test_files.h"

namespace ostrevan::testing {

inline constexpr int64_t kSectorSize = 512;

// A folder's files, name to bytes.
using FolderFiles = std::map<std::string, Bytes>;

// A folder in memory (tmpfs) for scratch folders whose files are written and flushed many
// thousand times, or "" for the system's temporary folder.
std::string MemoryBackedFolder();

// The regular files of `folder` (not its sub-folders).
FolderFiles ReadFolder(const std::string& folder);
// Empties `folder` of files and writes `files` into it.
void MaterializeFolder(const FolderFiles& files, const std::string& folder);

struct DiskEvent {
  enum class Kind { Write, Flush, Create, Rename, Remove, FolderFlush, Mark };
  explicit DiskEvent(Kind what = Kind::Mark, std::string file = "", std::string newName = "")
      : kind(what), name(std::move(file)), to(std::move(newName)) {}
  Kind kind;
  std::string name;  // the file's name in the folder (a rename's old name); a mark's text
  std::string to;    // a rename's new name
  int64_t position = 0;
  Bytes bytes;  // what a write put
};
std::string Describe(const DiskEvent& event);

// Logs every file operation in `folder` from construction until Stop() or destruction, after
// taking the folder's files as they are (taken as durable). Operations on files elsewhere are
// kept apart in `elsewhere`.
class DiskRecorder : public FileFaults {
 public:
  explicit DiskRecorder(std::string folder);
  // The same, with the folder's files given (just written there, say).
  DiskRecorder(std::string folder, FolderFiles before);
  ~DiskRecorder() override;
  DiskRecorder(const DiskRecorder&) = delete;
  DiskRecorder& operator=(const DiskRecorder&) = delete;

  void Stop();
  // A moment the test wants placed among the operations (a message shown, say).
  void Mark(const std::string& text);

  const FolderFiles& before() const { return before_; }
  const std::vector<DiskEvent>& events() const { return events_; }
  const std::vector<std::string>& elsewhere() const { return elsewhere_; }

  void Written(const std::string& path, int64_t position, const void* bytes, size_t size) override;
  void Flushed(const std::string& path) override;
  void Created(const std::string& path) override;
  void Renamed(const std::string& from, const std::string& to) override;
  void Removed(const std::string& path) override;
  void FolderFlushed(const std::string& path) override;

 private:
  // The name in the folder, or "" (and noted in `elsewhere_`) for a path outside it.
  std::string NameOf(const std::string& path);
  void Add(DiskEvent event);

  std::string folder_;
  FolderFiles before_;
  std::vector<DiskEvent> events_;
  std::vector<std::string> elsewhere_;
  bool installed_ = true;
};

struct CrashState {
  FolderFiles files;
  std::string description;  // the crash point and the choices, for a failure message
};

// The states a power loss allows after each prefix of a log.
class CrashStates {
 public:
  CrashStates(const FolderFiles& before, const std::vector<DiskEvent>& events);
  ~CrashStates();
  CrashStates(const CrashStates&) = delete;
  CrashStates& operator=(const CrashStates&) = delete;

  // Crash points: before the first operation, and after each one (marks are no operation).
  size_t Points() const;
  // The marks logged before the point.
  const std::vector<std::string>& MarksBefore(size_t point) const;
  // How many states the point allows: exact up to 2^62, that much beyond.
  uint64_t Count(size_t point) const;
  // log2 of the count, for counts beyond any integer.
  double Log2Count(size_t point) const;
  // The state numbered `index` (< Count(point)).
  CrashState State(size_t point, uint64_t index) const;
  // A state picked by `random`: any choice of names, a share of new sectors per file drawn
  // first (so that nearly all-old and nearly all-new files come up, not only even mixes).
  CrashState RandomState(size_t point, std::mt19937_64& random) const;

 private:
  struct Model;
  std::vector<Model> points_;
};

struct CrashStateCounts {
  uint64_t points = 0;
  uint64_t checked = 0;   // states built and handed on
  uint64_t sampled = 0;   // of which picked at random, at points with too many to build
  double log2Possible = 0;  // of the sum of all states at all points
  std::string Text() const;
};

struct StateChoice {
  uint64_t enumerateUpTo = 4096;  // every state of a point that has no more than this
  uint64_t samples = 10000;       // spread over the points that have more, picked at random
  uint64_t randomStart = 1;       // the same number picks the same states on every run
};

// Hands `check` the states of every crash point of the log, with the marks logged before it.
CrashStateCounts ForEachCrashState(
    const FolderFiles& before, const std::vector<DiskEvent>& events, const StateChoice& choice,
    const std::function<void(const std::vector<std::string>& marksBefore, const CrashState& state)>& check);

}  // namespace ostrevan::testing
