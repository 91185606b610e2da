#include "progress_view.h"

#include <algorithm>

#include "file.h"
#include "integer_text.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

ProgressView DescribeProgress(LongWork work, const std::optional<ProgressReport>& report) {
  ProgressView view;
  view.caption = Text(work == LongWork::Cut ? texts::kCutProgressCaption : texts::kWriteBackProgressCaption);
  if (!report) return view;
  const uint64_t total = report->total;
  view.name = FileNameOf(report->path);
  view.amount = ProgressAmountText(report->done, total);
  if (total > 0) {
    const uint64_t kept = std::min(report->done, total);
    // Divided first for totals whose product with the steps would overflow.
    const uint64_t steps =
        total > UINT64_MAX / kProgressSteps ? kept / (total / kProgressSteps) : kept * kProgressSteps / total;
    view.position = static_cast<int>(std::min<uint64_t>(steps, kProgressSteps));
  }
  return view;
}

}  // namespace ostrevan::rules
