#include "dialog_placement.h"

namespace ostrevan::rules {

Point CentredOnDesktop(int desktopWidth, int desktopHeight, int windowWidth, int windowHeight) {
  return {(desktopWidth - windowWidth) / 2, (desktopHeight - windowHeight) / 2};
}

Point UpperThirdOfMonitor(const Rect& monitor, int width, int height) {
  return {monitor.left + (monitor.width - width) / 2, monitor.top + (monitor.height - height) / 3};
}

Point CentredOnMonitor(const Rect& monitor, int width, int height) {
  return {monitor.left + (monitor.width - width) / 2, monitor.top + (monitor.height - height) / 2};
}

}  // namespace ostrevan::rules
