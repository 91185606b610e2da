#include <gtest/gtest.h>

#include "texts.h"
#include "engine_error.h"
#include "integer_text.h"
#include "test_files.h"

namespace ostrevan {
namespace {


TEST(ParseIntegerText, AcceptsDecimalWithBlanksAndSign) {
  EXPECT_EQ(ParseIntegerText("0"), 0);
  EXPECT_EQ(ParseIntegerText("  42"), 42);
  EXPECT_EQ(ParseIntegerText("+7"), 7);
  EXPECT_EQ(ParseIntegerText(" -0012"), -12);
  EXPECT_EQ(ParseIntegerText("2147483647"), 2147483647);
  EXPECT_EQ(ParseIntegerText("-2147483648"), INT32_MIN);
}

TEST(ParseIntegerText, AcceptsAllFiveHexPrefixesAsThirtyTwoBitPatterns) {
  EXPECT_EQ(ParseIntegerText("$1f"), 31);
  EXPECT_EQ(ParseIntegerText("x1F"), 31);
  EXPECT_EQ(ParseIntegerText("X10"), 16);
  EXPECT_EQ(ParseIntegerText("0x10"), 16);
  EXPECT_EQ(ParseIntegerText("0XaB"), 171);
  EXPECT_EQ(ParseIntegerText("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseIntegerText("$80000000"), INT32_MIN);
  EXPECT_EQ(ParseIntegerText("-$10"), 16);  // a sign before a hex number has no effect
  EXPECT_EQ(ParseIntegerText(" 0x000000001"), 1);
}

TEST(ParseIntegerText, RefusesWithTheWholeTextInTheMessage) {
  for (const char* bad : {"", "   ", "+", "-", "$", "0x", "x", "1 ", " 1 2", "12a", "2147483648", "-2147483649",
                          "$100000000", "0x1g", "--1", "+-1", "1.5", "\t1", "00x10", "3-"}) {
    try {
      ParseIntegerText(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EngineError& error) {
      EXPECT_EQ(error.message(), "'" + std::string(bad) + Text(u8"' は整数ではありません"));
    }
  }
}

TEST(ParseInteger64Text, WidensOnlyTheDecimalRange) {
  EXPECT_EQ(ParseInteger64Text("4294967296"), 4294967296LL);
  EXPECT_EQ(ParseInteger64Text("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseInteger64Text("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseInteger64Text("$FFFFFFFF"), -1);
  EXPECT_THROW(ParseInteger64Text("9223372036854775808"), EngineError);
  EXPECT_THROW(ParseInteger64Text(""), EngineError);
  EXPECT_THROW(ParseInteger64Text("52920000 "), EngineError);
}

TEST(DecimalText, IsPlain) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(-5), "-5");
  EXPECT_EQ(DecimalText(52920000), "52920000");
}

TEST(ProgressAmountText, MegabytesGroupedKilobytesForSmallWork) {
  EXPECT_EQ(ProgressAmountText(412'345'678, 1'382'400'000), "412 / 1,382 MB");
  EXPECT_EQ(ProgressAmountText(0, 1'234'567'890'123), "0 / 1,234,567 MB");
  EXPECT_EQ(ProgressAmountText(480'000, 1'920'000), "480 / 1,920 KB");
}

}  // namespace
}  // namespace ostrevan
