// The end-to-end tests; or, when the shell calls it to open an address, the stand-in
// browser; or, for the screenshot, the program posed with a recording loaded; or the holder
// of the Wine session the test cases share; or a busy program beside them.

#include <gtest/gtest.h>

#include "program_driver.h"

int main(int argc, char** argv) {
  if (ostrevan::e2e::RecordOpenedAddress(argc, argv)) return 0;
  if (argc == 3 && std::string(argv[1]) == "--pose") return ostrevan::e2e::PoseForScreenshot(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--hold-session") return ostrevan::e2e::HoldSession(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--pose-progress") return ostrevan::e2e::PoseProgressForScreenshot(argv[2]);
  if (argc == 2 && std::string(argv[1]) == "--keep-busy") return ostrevan::e2e::KeepBusy();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
