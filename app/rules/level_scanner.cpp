#include "level_scanner.h"

#include "integer_text.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

namespace {

// Hands each measured minute to the map's levels as it comes.
class MapSink : public LevelSink {
 public:
  MapSink(std::mutex& mutex, MapLevels& levels, const std::function<void()>& changed, const std::atomic<bool>& stop)
      : mutex_(mutex), levels_(levels), changed_(changed), stop_(stop) {}
  void Scanned(int64_t minute, const MinuteLevel& level) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (minute < levels_.Count()) levels_.minutes[static_cast<size_t>(minute)] = level;
    }
    changed_();
  }
  bool KeepGoing() override { return !stop_; }

 private:
  std::mutex& mutex_;
  MapLevels& levels_;
  const std::function<void()>& changed_;
  const std::atomic<bool>& stop_;
};

}  // namespace

std::string MapStatus(const MapLevels& levels) {
  if (levels.minutes.empty()) return levels.note;
  int64_t measured = 0;
  for (const auto& minute : levels.minutes) measured += minute.has_value();
  const std::string status = FormatText(texts::kMapStatus, {DecimalText(levels.Count()), DecimalText(measured)});
  return levels.note.empty() ? status : status + u8"（" + levels.note + u8"）";
}

LevelScanner::LevelScanner(std::function<void()> changed) : changed_(std::move(changed)) {}

LevelScanner::~LevelScanner() { Pause(); }

void LevelScanner::Begin(const std::string& path, const AudioLayout& layout) {
  Forget();
  path_ = path;
  layout_ = layout;
  const int64_t count = MinuteCountOf(layout);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    levels_.minutes.assign(static_cast<size_t>(count), std::nullopt);
    levels_.length = LengthInMinutes(layout);
    if (count == 0) levels_.note = Text(texts::kMapNoAudio);
  }
  if (count > 0) pending_.push_back({0, count});
  Resume();
}

void LevelScanner::Forget() {
  Pause();
  path_.clear();
  pending_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  levels_ = MapLevels{};
}

void LevelScanner::Pause() {
  if (!thread_.joinable()) return;
  stop_ = true;
  thread_.join();
}

void LevelScanner::Resume() {
  if (thread_.joinable() || pending_.empty()) return;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

void LevelScanner::Remeasure(uint64_t offset, uint64_t size) {
  const MinuteSpanRange touched = MinutesTouching(layout_, offset, size);
  if (path_.empty() || touched.first >= touched.end) return;
  Pause();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int64_t minute = touched.first; minute < touched.end && minute < levels_.Count(); ++minute) {
      levels_.minutes[static_cast<size_t>(minute)] = std::nullopt;
    }
    levels_.note.clear();
    levels_.error.clear();
  }
  pending_.insert(pending_.begin(), {touched.first, touched.end});
  Resume();
}

MapLevels LevelScanner::Levels() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return levels_;
}

void LevelScanner::Run() {
  MapSink sink(mutex_, levels_, changed_, stop_);
  while (!pending_.empty()) {
    MinuteRange& range = pending_.front();
    const ScanOutcome outcome = ScanLevelsOf(path_, layout_, range.first, range.end, sink);
    if (outcome.end == ScanEnd::Stopped) {
      range.first = outcome.nextMinute;
      return;
    }
    if (outcome.end == ScanEnd::Failed) {
      // What is unreadable now stays so until something changes: measured again only on
      // request (a new load, or a write into the file).
      pending_.clear();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        levels_.note = FormatText(texts::kMapUnreadable, DecimalText(outcome.nextMinute));
        levels_.error = outcome.error;
      }
      changed_();
      return;
    }
    pending_.erase(pending_.begin());
  }
}

}  // namespace ostrevan::rules
