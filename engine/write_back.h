#pragma once
// Writing edited clips back into their sources, in place, byte for byte.

#include <string>
#include <vector>

#include "engine_ui.h"

namespace ostrevan {

// For each record path in order: reads the record, finds the clip beside it (the record's
// name with ".wav"), checks everything that could refuse it (the range must still hold what
// the record's fingerprint says, or the clip's audio already), then overwrites the recorded
// range of the source's audio data with the clip's audio, puts it on the disk, and replaces
// the record with one whose fingerprint names what the range now holds.
// Shows "終わりました" at the end (also for an empty list), or "取り出し元ファイルがありません"
// followed by the path when a source is missing (the run ends there). Errors are raised and
// end the run; the failing record's source is untouched unless the failure is a write.
// A list naming one record twice, or a record and its undo record, is refused with an error
// before anything is read or written.
void WriteBackClips(const std::vector<std::string>& recordPaths, EngineUi& ui);

}  // namespace ostrevan
