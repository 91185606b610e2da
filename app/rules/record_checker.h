#pragma once
// The write-back list's tags: what "実行" would do with each listed record, worked out on a
// thread of its own (a check reads up to about 100 MB) one record at a time, in list order.
// The thread holds a record's files only while it checks it: paused, it has let go of them,
// so a write-back never finds them open.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "record_state.h"

namespace ostrevan::rules {

// A record's tag. Checking is 0: a list item's data starts at 0, so a new item shows it.
enum class RecordTag : int { Checking = 0, Ready, WrittenBack, Unchanged, Interrupted, Refused, Missing, Invalid };

RecordTag TagOf(RecordState state, bool undo);
// The tag's text; Checking and anything unknown read "確認中".
const char* TagText(RecordTag tag);

// One entry per list item, in list order: which are still to be checked and what the others
// gave. A result goes to the entry it was asked for only: an entry removed meanwhile, or
// marked stale again, takes none.
class RecordChecks {
 public:
  struct Job {
    uint64_t ticket;
    std::string path;
  };

  void Add(const std::string& path);
  void Remove(size_t index);
  void Clear() { entries_.clear(); }
  // Every entry is checked again, each showing Checking until then.
  void MarkAllStale();
  // The first entry still to be checked.
  std::optional<Job> Next() const;
  void Done(const Job& job, RecordTag tag);
  std::vector<RecordTag> Tags() const;

 private:
  struct Entry {
    std::string path;
    uint64_t ticket;  // given anew whenever the entry becomes stale
    RecordTag tag;
    bool stale;
  };
  uint64_t NewTicket() { return nextTicket_++; }

  std::vector<Entry> entries_;
  uint64_t nextTicket_ = 0;
};

class RecordChecker {
 public:
  using Check = std::function<RecordStatus(const std::string&, EngineUi&)>;
  // `changed` is called on the checking thread whenever Tags() has changed.
  explicit RecordChecker(std::function<void()> changed, Check check = CheckRecord);
  ~RecordChecker();
  RecordChecker(const RecordChecker&) = delete;
  RecordChecker& operator=(const RecordChecker&) = delete;

  // A record joined the end of the list: checked after those before it.
  void Add(const std::string& path);
  // Stop first: the record being checked may be the one that goes.
  void Remove(size_t index);
  void Clear();
  // Stops at the end of the block it is reading and closes the files. Returns at once when
  // nothing runs.
  void Pause();
  // Every record again, after work that may have changed them; goes on.
  void RecheckAll();
  void Resume();
  std::vector<RecordTag> Tags() const;

 private:
  void Run();

  std::function<void()> changed_;
  Check check_;
  mutable std::mutex mutex_;
  RecordChecks checks_;
  bool running_ = false;  // the thread has work; once false it takes no more and ends
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace ostrevan::rules
