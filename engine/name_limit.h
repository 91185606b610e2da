#pragma once
// How long one name in a folder may be: 255 bytes on Linux's file systems, 255 UTF-16 units
// on Windows'. A name past it cannot be made, so files that will be needed later (an undo,
// a journal) are checked before the first of them is written.

#include <string>

namespace ostrevan {

// True when the last name of `path` fits the limit of the file system that holds its folder.
bool NameFits(const std::string& path);

}  // namespace ostrevan
