#include <gtest/gtest.h>

#include "codepage.h"
#include "texts.h"

namespace ostrevan {
namespace {

TEST(Utf16Boundary, EveryNameWindowsCanHoldComesBack) {
  const std::u16string names[] = {
      u"caf\u00E9.wav", u"\u9332\u97F3\U0001F399.wav", u"\uB179\uC74C.wav", u"plain.wav", u"",
      // Lone surrogates: Windows file names may hold them.
      std::u16string(u"a") + char16_t(0xD800) + u"b", std::u16string(1, char16_t(0xDFFF)),
  };
  for (const std::u16string& name : names) EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(name)), name);
  EXPECT_EQ(Utf8FromUtf16(u"\u9332\u97F3\U0001F399"), u8"録音🎙");
  EXPECT_EQ(Utf16FromUtf8("a\xFF" "b"), u"a\uFFFDb");
}

TEST(Utf16Boundary, WellFormedUtf8) {
  const std::pair<std::string, bool> cases[] = {
      {u8"録音🎙.wav", true}, {"plain", true}, {"", true},
      {"\x83\x5C.wav", false},       // Shift-JIS
      {"\xC0\xAF", false},           // overlong "/"
      {"\xED\xA0\x80", false},       // a lone surrogate
      {"\xE9\x8C", false},           // cut short
      {"\xF4\x90\x80\x80", false},   // past U+10FFFF
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidUtf8(text), valid) << text;
}

TEST(SystemCodePage, ExactOnlyWhenEveryCharacterHasACode) {
#ifdef _WIN32
  // The Windows tests run with code page 932.
  EXPECT_EQ(ToSystemCodePageExactly(u8"C:\\録音\\表.wav"), std::optional<std::string>("C:\\\x98\x5E\x89\xB9\\\x95\x5C.wav"));
  EXPECT_EQ(ToSystemCodePageExactly(u8"café.wav"), std::nullopt);
  EXPECT_EQ(ToSystemCodePageExactly(u8"녹음.wav"), std::nullopt);
  EXPECT_EQ(FromSystemCodePage("\x95\x5C"), u8"表");
  EXPECT_EQ(ToSystemCodePage(u8"café 녹음 表"), "caf? ?? \x95\x5C") << "no look-alikes";
#else
  EXPECT_EQ(ToSystemCodePageExactly(u8"café.wav"), std::optional<std::string>(u8"café.wav"));
#endif
  EXPECT_EQ(Text(texts::kFinished), u8"終わりました");
}

TEST(FormatText, ReplacesThePlaceholderOnlyOnce) {
  // A path holding "%s" or "%n" is data, never a format.
  EXPECT_EQ(FormatText(texts::kCannotOpen, "C:\\a%s%n.wav"), u8"ファイル C:\\a%s%n.wav は開けません");
  EXPECT_EQ(FormatText(texts::kCannotOpen, ""), u8"ファイル  は開けません");
  // With several, each placeholder of the template takes the next; none inside an argument.
  EXPECT_EQ(FormatText(texts::kClipLengthDiffers, {"a%s.wav", "1", "2"}),
            u8"クリップ a%s.wav の長さ 1 が取り出した範囲の長さ 2 と違います。書き戻しません");
}

}  // namespace
}  // namespace ostrevan
