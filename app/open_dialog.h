#pragma once
// OpenDialog1: the platform's file-open dialog as the main window uses it.

#include <windows.h>

#include <string>


namespace ostrevan::app {

class OpenDialog {
 public:
  // Description and pattern of the one filter entry (UTF-8).
  void SetFilter(const std::string& description, const std::string& pattern);
  // Shows the dialog, owned by `owner`, in the folder of `loadedPath` (the recording loaded,
  // if any) or of the file chosen last; true when a file was chosen (its full path is then
  // FileName()), false when it was cancelled. The path chosen last stays in the name field
  // when the dialog starts in its folder. Paths of up to 32,767 characters come whole; one
  // too long for the dialog itself (MAX_PATH) is taken when typed whole in the name field,
  // and such a folder is not started in. When the dialog fails (CommDlgExtendedError() is
  // not 0), raises an EngineError that names the error code (kOpenDialogFailed), for the
  // error box.
  bool Execute(HWND owner, const std::wstring& loadedPath);
  // The chosen path (UTF-8).
  std::string FileName() const;

 private:
  std::wstring filter_;  // pairs of NUL-ended texts, then one more NUL
  std::wstring chosen_;
};

}  // namespace ostrevan::app
