#include <gtest/gtest.h>

#include "title_rule.h"
#include "test_files.h"

namespace ostrevan::rules {
namespace {

std::string Title(const std::string& path) {
  return ApplicationTitle(path, [](const std::string& text) { return LowerAscii(text); });
}

TEST(ApplicationTitle, NameBeforeTheFirstDotWithAllButTheFirstCharacterLowered) {
  EXPECT_EQ(Title("C:\\Program Files\\Ostrevan\\ostrevan.exe"), "ostrevan");
  EXPECT_EQ(Title("C:\\TOOL.EXE"), "Tool");
  EXPECT_EQ(Title("D:\\a.b\\my.tool.exe"), "my");
  EXPECT_EQ(Title("C:\\x\\My-Tool.Exe"), "My-tool");
  EXPECT_EQ(Title("NOPATH"), "Nopath");
  EXPECT_EQ(Title("C:\\dir\\.hidden"), "");
}

TEST(ApplicationTitle, MultiByteCharactersStayWhole) {
  EXPECT_EQ(Title(u8"C:\\x\\録音TOOL.EXE"), u8"録音tool");
  EXPECT_EQ(Title(u8"C:\\x\\🎙AB.EXE"), u8"🎙ab");
  EXPECT_EQ(Title(u8"C:\\録\\ÉTÉ.exe"), u8"ÉtÉ");  // only ASCII in this stand-in
}

}  // namespace
}  // namespace ostrevan::rules
