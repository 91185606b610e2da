#include "record_checker.h"

#include "block_copy.h"
#include "window_texts.h"

namespace ostrevan::rules {

namespace {

// The check's reads ask it between blocks whether to go on.
class StopUi : public EngineUi {
 public:
  explicit StopUi(const std::atomic<bool>& stop) : stop_(stop) {}
  void ShowInfo(const std::string&) override {}
  bool Progress(const std::string&, uint64_t, uint64_t) override { return !stop_; }

 private:
  const std::atomic<bool>& stop_;
};

}  // namespace

RecordTag TagOf(RecordState state, bool undo) {
  switch (state) {
    case RecordState::Same:
      return undo ? RecordTag::WrittenBack : RecordTag::Unchanged;
    case RecordState::Ready:
      return RecordTag::Ready;
    case RecordState::Interrupted:
      return RecordTag::Interrupted;
    case RecordState::Changed:
      return RecordTag::Refused;
    case RecordState::Missing:
      return RecordTag::Missing;
    case RecordState::Invalid:
      return RecordTag::Invalid;
  }
  return RecordTag::Invalid;
}

const char* TagText(RecordTag tag) {
  switch (tag) {
    case RecordTag::Ready:
      return texts::kTagReady;
    case RecordTag::WrittenBack:
      return texts::kTagWrittenBack;
    case RecordTag::Unchanged:
      return texts::kTagUnchanged;
    case RecordTag::Interrupted:
      return texts::kTagInterrupted;
    case RecordTag::Refused:
      return texts::kTagRefused;
    case RecordTag::Missing:
      return texts::kTagMissing;
    case RecordTag::Invalid:
      return texts::kTagInvalid;
    case RecordTag::Checking:
      break;
  }
  return texts::kTagChecking;
}

void RecordChecks::Add(const std::string& path) {
  entries_.push_back({path, NewTicket(), RecordTag::Checking, true});
}

void RecordChecks::Remove(size_t index) {
  if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void RecordChecks::MarkAllStale() {
  for (Entry& entry : entries_) entry = {entry.path, NewTicket(), RecordTag::Checking, true};
}

std::optional<RecordChecks::Job> RecordChecks::Next() const {
  for (const Entry& entry : entries_) {
    if (entry.stale) return Job{entry.ticket, entry.path};
  }
  return std::nullopt;
}

void RecordChecks::Done(const Job& job, RecordTag tag) {
  for (Entry& entry : entries_) {
    if (entry.ticket != job.ticket || !entry.stale) continue;
    entry.tag = tag;
    entry.stale = false;
  }
}

std::vector<RecordTag> RecordChecks::Tags() const {
  std::vector<RecordTag> tags;
  for (const Entry& entry : entries_) tags.push_back(entry.tag);
  return tags;
}

RecordChecker::RecordChecker(std::function<void()> changed, Check check)
    : changed_(std::move(changed)), check_(std::move(check)) {}

RecordChecker::~RecordChecker() { Pause(); }

void RecordChecker::Add(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    checks_.Add(path);
  }
  Resume();
}

void RecordChecker::Remove(size_t index) {
  Pause();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    checks_.Remove(index);
  }
  Resume();
}

void RecordChecker::Clear() {
  Pause();
  std::lock_guard<std::mutex> lock(mutex_);
  checks_.Clear();
}

void RecordChecker::Pause() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void RecordChecker::RecheckAll() {
  Pause();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    checks_.MarkAllStale();
  }
  Resume();
}

void RecordChecker::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A running thread takes what was added before it looks for more.
    if (running_ || !checks_.Next()) return;
    running_ = true;
  }
  // A thread that said it was done has nothing left but to end.
  if (thread_.joinable()) thread_.join();
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

std::vector<RecordTag> RecordChecker::Tags() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return checks_.Tags();
}

void RecordChecker::Run() {
  StopUi ui(stop_);
  for (;;) {
    std::optional<RecordChecks::Job> job;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!stop_) job = checks_.Next();
      if (!job) {
        running_ = false;
        return;
      }
    }
    RecordTag tag;
    try {
      const RecordStatus status = check_(job->path, ui);
      tag = TagOf(status.state, status.undo);
    } catch (const StopRequested&) {
      continue;  // the record stays to be checked; the loop ends on the stop
    } catch (...) {
      // Whatever keeps a record from being checked keeps it from being written back: no box.
      tag = RecordTag::Missing;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      checks_.Done(*job, tag);
    }
    changed_();
  }
}

}  // namespace ostrevan::rules
