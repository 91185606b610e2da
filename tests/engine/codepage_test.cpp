#include <gtest/gtest.h>

#include "codepage.h"
#include "texts.h"
#include "test_files.h"

namespace ostrevan {
namespace {

TEST(SystemCodePage, TextsReachTheSystemCodePage) {
#ifdef _WIN32
  // The Windows tests run with code page 932: "表" is 0x95 0x5C, a trail byte that looks like "\".
  EXPECT_EQ(ToSystemCodePage(u8"表"), "\x95\x5C");
  EXPECT_TRUE(IsSystemLeadByte(0x95));
  EXPECT_EQ(Text(texts::kFinished), "\x8F\x49\x82\xED\x82\xE8\x82\xDC\x82\xB5\x82\xBD");
  EXPECT_EQ(FromSystemCodePage(Text(texts::kFinished)), u8"終わりました");
#else
  EXPECT_EQ(Text(texts::kFinished), u8"終わりました");
  EXPECT_FALSE(IsSystemLeadByte(0xE8));
#endif
  EXPECT_TRUE(testing::IsShiftJisLeadByte(0x95));
  EXPECT_FALSE(testing::IsShiftJisLeadByte(0x5C));
}

TEST(FormatText, ReplacesThePlaceholderOnlyOnce) {
  // A path holding "%s" or "%n" is data, never a format.
  EXPECT_EQ(FormatText(texts::kCannotOpen, "C:\\a%s%n.wav"),
            ToSystemCodePage(u8"ファイル ") + "C:\\a%s%n.wav" + ToSystemCodePage(u8" は開けません"));
  EXPECT_EQ(FormatText(texts::kCannotOpen, ""), ToSystemCodePage(u8"ファイル  は開けません"));
}

}  // namespace
}  // namespace ostrevan
