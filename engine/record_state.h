#pragma once
// The state of one clip record, as the write-back sees it: what pressing 実行 with the record
// in the list would do, worked out by reading (never writing) the record, its pair's files
// and the range of its source.

#include <optional>
#include <string>

#include "clip_record.h"
#include "engine_ui.h"

namespace ostrevan {

enum class RecordState {
  Same,         // the range holds the clip's audio: nothing to write (a fresh cut, or written back)
  Ready,        // the range holds what the record names and the clip differs: 実行 writes it
  Interrupted,  // a run was stopped part way: 実行 finishes it
  Changed,      // the range holds something else, or the clip cannot be written: 実行 refuses
  Missing,      // the source or the clip is not there or cannot be read
  Invalid,      // the record cannot be trusted: its lines, numbers or fingerprint
};

// "same", "ready", "interrupted", "changed", "missing", "invalid": the names scripts read.
const char* RecordStateName(RecordState state);

struct RecordStatus {
  std::string recordPath;
  RecordState state = RecordState::Invalid;
  // Writing the pair's undo record (X.undo.ini) back would change the range now.
  bool undo = false;
  // The record's lines (offset, byte count, source), when they could be read.
  std::optional<ClipRecord> record;
  // What 実行 would show for the record: its refusal or error; empty when it would write or
  // have nothing to write.
  std::string message;
};

// Works out the state of the record at `recordPath`. Reads the record, the clip, the range of
// the source and what a stopped run left beside them; every file is opened shared for reading
// and closed before this returns, and nothing is created, moved or written. The reads are told
// to `ui`'s Progress (path, bytes done, total), which may stop them: StopRequested is raised.
// Never raises EngineError: what stops the check is the state it reports (Missing when a file
// cannot be had).
RecordStatus CheckRecord(const std::string& recordPath, EngineUi& ui);

}  // namespace ostrevan
