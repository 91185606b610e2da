#pragma once
// Gathers what the write-back plan decides from (write_back_plan.h): opens a record's source
// and clip, checks what refuses them, fingerprints the range and the clip, and reads what a
// stopped run or a stopped cut left beside the record. Reads only; decides nothing.

#include <cstdint>
#include <optional>
#include <string>

#include "block_copy.h"
#include "engine_ui.h"
#include "file.h"
#include "wave_format.h"
#include "write_back_plan.h"

namespace ostrevan {

// A record's source and clip, open, and the range of the source the record names.
struct OpenedRecord {
  std::string recordPath;
  std::string mainRecordPath;  // the record itself, or for an undo record the record it undoes
  File source;
  AudioLayout sourceLayout;
  File clip;
  AudioLayout clipLayout;
  int64_t writeAt = 0;  // where the range starts in the source file
  uint64_t writeBytes = 0;
};

// Audio bytes of a file, in blocks, zeros past their end.
struct AudioIn {
  File* file;
  int64_t start;
  uint64_t available;
  void Read(uint64_t done, unsigned char* out, size_t size) const;
};

// Opens `path` as audio in the source's format (into `file`), or reuses the open clip when it
// is that file. None when it cannot be opened or holds other audio.
std::optional<AudioIn> AudioOf(OpenedRecord& opened, const std::string& path, File& file);

enum class Gathering {
  ForWriteBack,  // the source is locked until the run ends; nobody else may open it
  ForCheck,      // every file is shared with other readers and closed afterwards
};

// Opens the record's files and gathers its facts (a refusal becomes `facts.fault`). The work
// of reading is told to `meter`, made here, which may raise StopRequested. False when the
// record read under the source's lock is no longer `recordText` (for a write-back only): a cut
// or another run replaced it in the meantime, and it is read again.
bool GatherRecordFacts(const std::string& recordPath, const ClipRecord& record, const std::string& recordText,
                       Gathering gathering, EngineUi& ui, OpenedRecord& opened, RecordFacts& facts,
                       std::optional<WorkMeter>& meter);

// What a cut finds at the pair of `recordPath`.
CutPairFacts GatherCutPairFacts(const std::string& recordPath);

}  // namespace ostrevan
