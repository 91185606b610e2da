#include <gtest/gtest.h>

#include "codepage.h"
#include "error_text.h"
#include "title_rule.h"

namespace ostrevan::rules {
namespace {

std::string Title(const std::string& path) {
  return ApplicationTitle(path, IsShiftJisLeadByte,
                          [](const std::string& text) { return LowerAscii(text, IsShiftJisLeadByte); });
}

TEST(ApplicationTitle, NameBeforeTheFirstDotWithAllButTheFirstCharacterLowered) {
  EXPECT_EQ(Title("C:\\Program Files\\Ostrevan\\ostrevan.exe"), "ostrevan");
  EXPECT_EQ(Title("C:\\TOOL.EXE"), "Tool");
  EXPECT_EQ(Title("D:\\a.b\\my.tool.exe"), "my");
  EXPECT_EQ(Title("C:\\x\\My-Tool.Exe"), "My-tool");
  EXPECT_EQ(Title("NOPATH"), "Nopath");
  EXPECT_EQ(Title("C:\\dir\\.hidden"), "");
}

TEST(ApplicationTitle, DoubleByteCharactersStayWhole) {
  // "ア" is 83 41: its trail byte looks like "A" but is neither lowered nor split.
  EXPECT_EQ(Title("C:\\x\\\x83\x41TOOL.EXE"), "\x83\x41tool");
  EXPECT_EQ(Title("C:\\x\\T\x83\x41OOL.EXE"), "T\x83\x41ool");
  // "表" is 95 5C: its trail byte is no path separator.
  EXPECT_EQ(Title("C:\\x\\AB\x95\x5C" "CD.exe"), "Ab\x95\x5C" "cd");
}

TEST(ErrorBoxText, FullStopAddedAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText(""), "");
  EXPECT_EQ(ErrorBoxText("Disk full."), "Disk full.");
  EXPECT_EQ(ErrorBoxText("(code 5)"), "(code 5)");
  EXPECT_EQ(ErrorBoxText("trailing blank "), "trailing blank ");
  EXPECT_EQ(ErrorBoxText("abc"), "abc.");
  EXPECT_EQ(ErrorBoxText("a/"), "a/.");
  EXPECT_EQ(ErrorBoxText("a-"), "a-");
}

TEST(ErrorBoxText, JapaneseEndingsGetTheFullStop) {
  // "ファイル x は開けません" in Shift-JIS ends in "ん", 82 F1.
  EXPECT_EQ(ErrorBoxText("\x83t\x83@\x83" "C\x83\x8B x \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1"),
            "\x83t\x83@\x83" "C\x83\x8B x \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1.");
  // A double-byte character whose trail byte is low still compares by its lead byte.
  EXPECT_EQ(ErrorBoxText("\x83\x41"), "\x83\x41.");
  EXPECT_EQ(ErrorBoxText(u8"ゼロによる除算"), u8"ゼロによる除算.");
}

}  // namespace
}  // namespace ostrevan::rules
