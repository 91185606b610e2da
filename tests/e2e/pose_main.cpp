// The program posed for a screenshot: `e2e_pose window|progress SIGNAL-FOLDER` (see
// scripts/screenshot).

#include <string>

#include "program_driver.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string pose = argv[1];
  if (pose == "window") return ostrevan::e2e::PoseForScreenshot(argv[2]);
  if (pose == "progress") return ostrevan::e2e::PoseProgressForScreenshot(argv[2]);
  return 2;
}
