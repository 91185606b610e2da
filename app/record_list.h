#pragma once
// ListBox1, the write-back list, drawn by the window: each record's path on the left, cut
// with "..." in its middle when too long, and its tag (record_checker.h) at the right. The
// tag an item shows is its item data, so what another program reads there is what is drawn.

#include <windows.h>

#include <vector>

#include "form_builder.h"
#include "record_checker.h"

namespace ostrevan::app {

// WM_DRAWITEM of the list: the item whole, selected or not, and its focus rectangle.
void DrawRecordItem(const DRAWITEMSTRUCT& item, HFONT font, const LayoutScale& scale);

// The list's items take `tags`, one per item in order; those that changed are redrawn.
void ShowRecordTags(HWND list, const std::vector<rules::RecordTag>& tags);

}  // namespace ostrevan::app
