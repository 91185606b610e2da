#pragma once
// A cut or a write-back run so that the window keeps answering: the engine works on a
// thread of its own while this thread handles the program's messages.

#include <windows.h>

#include "engine_ui.h"
#include "form_builder.h"
#include "form_handlers.h"
#include "progress_view.h"

namespace ostrevan::app {

// Runs `work` on a worker thread and returns when it has ended. Meanwhile the main window is
// disabled (its active state and focus come back afterwards), this thread handles the
// program's messages (paint, move, minimize), and once the work has run for
// rules::kProgressDelayMs the progress window, owned by `owner` in `font` at `scale`, shows
// it; its "中止" makes the engine stop at its next block. What the work shows through its
// EngineUi (information boxes, the record text) `ui` shows on this thread, in order, the
// work waiting for it: the progress window is hidden while a box is up. An error of the work
// is raised here once it has ended.
void RunLongWork(rules::LongWork kind, const rules::EngineWork& work, EngineUi& ui, HWND owner, HFONT font,
                 const LayoutScale& scale);

}  // namespace ostrevan::app
