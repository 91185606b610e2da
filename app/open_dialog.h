#pragma once
// OpenDialog1: the platform's file-open dialog as the main window uses it.

#include <windows.h>

#include <string>

namespace ostrevan::app {

class OpenDialog {
 public:
  // Description and pattern of the one filter entry, in the system code page.
  void SetFilter(const std::string& description, const std::string& pattern);
  // Shows the dialog; true when a file was chosen (its full path is then FileName()).
  // The chosen path stays in the name field for the next time.
  bool Execute(HWND owner);
  std::string FileName() const { return fileName_; }

 private:
  std::string filter_;  // pairs of NUL-ended texts, then one more NUL
  char fileName_[260] = {};
};

}  // namespace ostrevan::app
