#include <gtest/gtest.h>

#include "codepage.h"
#include "drop_routing.h"
#include "test_files.h"

namespace ostrevan::rules {
namespace {

DropRoute Route(const std::string& name) { return RouteDroppedName(name, testing::IsShiftJisLeadByte); }

TEST(DropRouting, EndingDecidesWithoutRegardToCase) {
  EXPECT_EQ(Route("C:\\rec\\a.wav"), DropRoute::LoadWave);
  EXPECT_EQ(Route("C:\\rec\\ZOOM0001.WAV"), DropRoute::LoadWave);
  EXPECT_EQ(Route("C:\\rec\\take.Wav"), DropRoute::LoadWave);
  EXPECT_EQ(Route("C:\\rec\\a-0-1.ini"), DropRoute::ListRecord);
  EXPECT_EQ(Route("C:\\rec\\A-0-1.INI"), DropRoute::ListRecord);
  EXPECT_EQ(Route("C:\\rec\\c.txt"), DropRoute::PassOver);
  EXPECT_EQ(Route("C:\\rec\\a.wave"), DropRoute::PassOver);
  EXPECT_EQ(Route("C:\\rec\\a.wav "), DropRoute::PassOver);
}

TEST(DropRouting, NoDotNeededAndShortNamesTakenWhole) {
  EXPECT_EQ(Route("C:\\rec\\mywav"), DropRoute::LoadWave);
  EXPECT_EQ(Route("wav"), DropRoute::LoadWave);
  EXPECT_EQ(Route("av"), DropRoute::PassOver);
  EXPECT_EQ(Route(""), DropRoute::PassOver);
}

TEST(DropRouting, LastThreeAreCharactersNotBytes) {
  // "録音x": two double-byte characters and one single byte are the last three.
  EXPECT_EQ(LastThreeCharacters("a\x98\x5E\x89\xB9x", testing::IsShiftJisLeadByte), "\x98\x5E\x89\xB9x");
  EXPECT_EQ(LastThreeCharacters("\x89\xB9wav", testing::IsShiftJisLeadByte), "wav");
  EXPECT_EQ(LastThreeCharacters("\x89\xB9", testing::IsShiftJisLeadByte), "\x89\xB9");
  // A trail byte that looks like "w" does not make "wav": "\x83w" is one character.
  EXPECT_EQ(Route("x\x83wav"), DropRoute::PassOver);
  EXPECT_EQ(Route("x\x83" "Awav"), DropRoute::LoadWave);
}

}  // namespace
}  // namespace ostrevan::rules
