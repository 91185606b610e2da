#pragma once
// Where a dropped file goes, decided by the last three characters of its name.

#include <string>

namespace ostrevan::rules {

enum class DropRoute { LoadWave, ListRecord, PassOver };

// The last three characters of `name` (a multi-byte character counts as one), or the whole
// name when it is shorter.
std::string LastThreeCharacters(const std::string& name);

// "wav" in any case loads the file, "ini" in any case lists it, anything else is passed over.
// No dot is needed before the ending. Recorders name their files in upper case (ZOOM0001.WAV),
// so the case of the ending does not matter.
DropRoute RouteDroppedName(const std::string& name);

}  // namespace ostrevan::rules
