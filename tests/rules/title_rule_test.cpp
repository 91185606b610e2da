#include <gtest/gtest.h>

#include "codepage.h"
#include "title_rule.h"
#include "test_files.h"

namespace ostrevan::rules {
namespace {

std::string Title(const std::string& path) {
  return ApplicationTitle(path, testing::IsShiftJisLeadByte,
                          [](const std::string& text) { return LowerAscii(text, testing::IsShiftJisLeadByte); });
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

}  // namespace
}  // namespace ostrevan::rules
