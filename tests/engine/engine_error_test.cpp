#include "engine_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "texts.h"

namespace ostrevan {
namespace {

TEST(ErrorText, FullStopAddedAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorText(""), "");
  EXPECT_EQ(ErrorText("Disk full."), "Disk full.");
  EXPECT_EQ(ErrorText("(code 5)"), "(code 5)");
  EXPECT_EQ(ErrorText("trailing blank "), "trailing blank ");
  EXPECT_EQ(ErrorText("abc"), "abc.");
  EXPECT_EQ(ErrorText("a/"), "a/.");
  EXPECT_EQ(ErrorText("a-"), "a-");
}

TEST(ErrorText, JapaneseEndingsGetTheFullStop) {
  // "ファイル x は開けません" in Shift-JIS ends in "ん", 82 F1.
  EXPECT_EQ(ErrorText("\x83t\x83@\x83" "C\x83\x8B x \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1"),
            "\x83t\x83@\x83" "C\x83\x8B x \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1.");
  // A double-byte character whose trail byte is low still compares by its lead byte.
  EXPECT_EQ(ErrorText("\x83\x41"), "\x83\x41.");
  EXPECT_EQ(ErrorText(u8"ゼロによる除算"), u8"ゼロによる除算.");
}

template <typename Raise>
std::string MessageWhenCaught(Raise raise) {
  try {
    raise();
  } catch (...) {
    return CurrentErrorMessage();
  }
  return "(nothing raised)";
}

TEST(CurrentErrorMessage, EachKindOfErrorGivesItsMessage) {
  EXPECT_EQ(MessageWhenCaught([] { throw EngineError("\x83\x41 engine"); }), "\x83\x41 engine");
  EXPECT_EQ(MessageWhenCaught([] { throw std::bad_alloc(); }), Text(texts::kOutOfMemory));
  EXPECT_EQ(MessageWhenCaught([] { throw std::length_error("too long"); }), "too long");
  EXPECT_EQ(MessageWhenCaught([] { throw 5; }), "");
}

}  // namespace
}  // namespace ostrevan
