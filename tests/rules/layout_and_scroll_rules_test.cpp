#include <gtest/gtest.h>

#include "texts.h"
#include "dialog_placement.h"
#include "engine_error.h"
#include "layout_scale.h"
#include "scroll_bar_rule.h"
#include "test_files.h"

namespace ostrevan::rules {
namespace {

using ostrevan::Text;
using ostrevan::testing::ErrorOf;

TEST(ScrollBarMaximum, PositionAboveTheNewMaximumMovesDown) {
  ScrollBarRange range;
  range.position = 50;
  EXPECT_TRUE(SetScrollBarMaximum(range, 9));
  EXPECT_EQ(range.maximum, 9);
  EXPECT_EQ(range.position, 9);
}

TEST(ScrollBarMaximum, PositionWithinTheRangeStays) {
  ScrollBarRange range;
  range.position = 3;
  EXPECT_FALSE(SetScrollBarMaximum(range, 9));
  EXPECT_EQ(range.position, 3);
  EXPECT_FALSE(SetScrollBarMaximum(range, 3));
  EXPECT_TRUE(SetScrollBarMaximum(range, 0));
  EXPECT_EQ(range.position, 0);
  EXPECT_EQ(range.maximum, 0);
}

TEST(ScrollBarMaximum, BelowTheMinimumOrPageSizeIsRefusedAndChangesNothing) {
  ScrollBarRange range;
  range.position = 7;
  EXPECT_EQ(ErrorOf([&] { SetScrollBarMaximum(range, -1); }), Text(u8"スクロールバー プロパティが範囲を越えました"));
  EXPECT_EQ(range.maximum, 100);
  EXPECT_EQ(range.position, 7);
  range.pageSize = 5;
  EXPECT_THROW(SetScrollBarMaximum(range, 4), EngineError);
  EXPECT_THROW(SetScrollBarMaximum(range, 1LL << 31), EngineError);
}

TEST(ScrollBarPosition, KeptWithinTheRange) {
  ScrollBarRange range;
  range.maximum = 9;
  EXPECT_EQ(ClampScrollBarPosition(range, -1), 0);
  EXPECT_EQ(ClampScrollBarPosition(range, 10), 9);
  EXPECT_EQ(ClampScrollBarPosition(range, 4), 4);
}

TEST(LayoutScale, FollowsTheMeasuredTextHeightRounded) {
  EXPECT_FALSE(LayoutNeedsScaling(96));
  EXPECT_TRUE(LayoutNeedsScaling(120));
  EXPECT_EQ(ScaledFontHeight(96), 12);
  EXPECT_EQ(ScaledFontHeight(120), 15);
  EXPECT_EQ(ScaledFontHeight(144), 18);
  EXPECT_EQ(ScaleLayoutValue(337, 15), 421);  // 421.25
  EXPECT_EQ(ScaleLayoutValue(423, 15), 529);  // 528.75
  EXPECT_EQ(ScaleLayoutValue(6, 13), 7);      // 6.5 rounds up
  EXPECT_EQ(ScaleLayoutValue(360, 12), 360);
}

TEST(Placement, DivisionsRoundTowardZero) {
  const Point window = CentredOnDesktop(1280, 1024, 343, 452);
  EXPECT_EQ(window.left, 468);
  EXPECT_EQ(window.top, 286);
  const Point wide = CentredOnDesktop(300, 200, 343, 452);  // larger than the desktop
  EXPECT_EQ(wide.left, -21);
  EXPECT_EQ(wide.top, -126);
  const Point dialog = UpperThirdOfMonitor({1280, 0, 1920, 1080}, 563, 417);
  EXPECT_EQ(dialog.left, 1280 + 678);
  EXPECT_EQ(dialog.top, 221);
  const Point box = CentredOnMonitor({0, 0, 1024, 768}, 201, 101);
  EXPECT_EQ(box.left, 411);
  EXPECT_EQ(box.top, 333);
}

}  // namespace
}  // namespace ostrevan::rules
