#include <gtest/gtest.h>

#include "drop_routing.h"
#include "test_files.h"

namespace ostrevan::rules {
namespace {

DropRoute Route(const std::string& name) { return RouteDroppedName(name); }

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
  EXPECT_EQ(LastThreeCharacters(u8"a録音x"), u8"録音x");
  EXPECT_EQ(LastThreeCharacters(u8"録wav"), "wav");
  EXPECT_EQ(LastThreeCharacters(u8"🎙"), u8"🎙");
  EXPECT_EQ(Route(u8"녹음.WAV"), DropRoute::LoadWave);
  EXPECT_EQ(Route(u8"café"), DropRoute::PassOver);
}

}  // namespace
}  // namespace ostrevan::rules
