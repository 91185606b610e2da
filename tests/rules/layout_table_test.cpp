#include <gtest/gtest.h>

#include <set>

#include "Unit1Layout.h"

namespace ostrevan::app {
namespace {

// The window dispatches commands on the control ID and finds a control's row by it: every
// row must be found by its own identifier, and none may take the dialog keys' IDs (IDOK 1,
// IDCANCEL 2), which Enter and Esc send without a default button.
TEST(LayoutTable, EveryRowIsFoundByItsOwnIdentifier) {
  std::set<int> ids;
  for (size_t i = 0; i < kForm1ControlCount; ++i) {
    const ControlLayout& row = kForm1Controls[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(&LayoutOf(row.id), &row);
    EXPECT_TRUE(ids.insert(static_cast<int>(row.id)).second);
    EXPECT_GT(static_cast<int>(row.id), 2);
  }
}

// Only the window and the group boxes hold controls (the group boxes pass their controls'
// notifications on to the window).
TEST(LayoutTable, ParentsAreTheWindowOrAGroupBox) {
  for (size_t i = 0; i < kForm1ControlCount; ++i) {
    const ControlLayout& row = kForm1Controls[i];
    SCOPED_TRACE(row.name);
    if (row.parent != ControlId::Form1) {
      EXPECT_EQ(LayoutOf(row.parent).kind, ControlKind::GroupBox);
    }
  }
}

}  // namespace
}  // namespace ostrevan::app
