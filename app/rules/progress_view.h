#pragma once
// What the progress window of a long cut or write-back shows, from what the engine reports
// between its blocks.

#include <cstdint>
#include <optional>
#include <string>

namespace ostrevan::rules {

enum class LongWork { Cut, WriteBack };

// An operation that has run this long gets its progress window; a shorter one shows none.
inline constexpr int kProgressDelayMs = 1000;
// The progress bar's range: steps rather than bytes, which overflow its 32-bit position.
inline constexpr int kProgressSteps = 1000;

// Texts in UTF-8.
struct ProgressView {
  std::string caption;  // "取り出し中" or "置き換え中"
  std::string name;     // the file's name, without its folder
  std::string amount;   // "412 / 1,382 MB"
  int position = 0;     // 0 to kProgressSteps
};

// What the engine reported last: `done` of `total` bytes of the work on `path` (the clip
// being cut, or the source being written back).
struct ProgressReport {
  std::string path;
  uint64_t done = 0;
  uint64_t total = 0;
};

// The view of a report; before the first one (none), the caption alone.
ProgressView DescribeProgress(LongWork work, const std::optional<ProgressReport>& report);

}  // namespace ostrevan::rules
