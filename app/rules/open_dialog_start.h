#pragma once
// Where the open dialog of "参照" starts. Paths are in 16-bit characters, as the dialog
// takes them.

#include <string>

namespace ostrevan::rules {

struct DialogStart {
  std::wstring folder;  // the folder the dialog shows; empty: the system's choice
  std::wstring file;    // what the name field starts with; empty: nothing
};

// In the folder of the loaded recording (`loadedPath`, Label6's path), or, with none loaded,
// in the folder of the file chosen last. The file chosen last stays in the name field when
// the dialog starts in its folder, so that confirming it loads it again.
DialogStart OpenDialogStart(const std::wstring& loadedPath, const std::wstring& lastChosenPath);

// The folder of `path`: up to its last "\" or "/", which is kept only after a drive
// ("C:\"); empty when it has none.
std::wstring FolderOf(const std::wstring& path);

}  // namespace ostrevan::rules
