#pragma once
// The levels of the loaded recording, measured on a thread of its own so that the window
// keeps answering, and kept for the minute map to draw. The thread holds the file only
// while it reads: paused, it has closed it, and goes on later from where it stopped.

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "level_scan.h"
#include "minute_map_rule.h"

namespace ostrevan::rules {

// What the map shows: a level for each measured minute, and why the rest has none.
struct MapLevels {
  std::vector<std::optional<MinuteLevel>> minutes;  // one per started minute; none: not measured
  double length = 0;  // the audio's length in minutes
  std::string note;   // a short note in place of the missing minutes ("" while measuring)
  std::string error;  // the whole reason a scan ended early, for the tooltip
  int64_t Count() const { return static_cast<int64_t>(minutes.size()); }
};

// The map's text: how many of the minutes are measured, then the note if there is one;
// empty with no recording.
std::string MapStatus(const MapLevels& levels);

class LevelScanner {
 public:
  // `changed` is called on the scan's thread whenever what Levels() gives has changed.
  explicit LevelScanner(std::function<void()> changed);
  ~LevelScanner();
  LevelScanner(const LevelScanner&) = delete;
  LevelScanner& operator=(const LevelScanner&) = delete;

  // Forgets what it had and measures every minute of the audio of `path`, as `layout` says.
  void Begin(const std::string& path, const AudioLayout& layout);
  // Stops and forgets: no recording.
  void Forget();
  // Stops at the end of the block it is reading, and closes the file. Returns at once when
  // nothing runs.
  void Pause();
  // Goes on with the minutes not measured yet.
  void Resume();
  // The minutes that hold audio bytes [offset, offset + size) are measured again; the file's
  // bytes there have changed.
  void Remeasure(uint64_t offset, uint64_t size);

  const std::string& Path() const { return path_; }
  MapLevels Levels() const;

 private:
  void Run();

  std::function<void()> changed_;
  std::string path_;
  AudioLayout layout_;
  // Ranges of minutes still to measure, first to last; touched by the thread only while it runs.
  std::vector<MinuteRange> pending_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  MapLevels levels_;
};

}  // namespace ostrevan::rules
