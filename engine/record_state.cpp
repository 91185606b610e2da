#include "record_state.h"

#include <optional>

#include "engine_error.h"
#include "file.h"
#include "record_facts.h"
#include "texts.h"
#include "write_back_plan.h"

namespace ostrevan {

const char* RecordStateName(RecordState state) {
  switch (state) {
    case RecordState::Same: return "same";
    case RecordState::Ready: return "ready";
    case RecordState::Interrupted: return "interrupted";
    case RecordState::Changed: return "changed";
    case RecordState::Missing: return "missing";
    case RecordState::Invalid: return "invalid";
  }
  return "invalid";
}

RecordStatus CheckRecord(const std::string& recordPath, EngineUi& ui) {
  RecordStatus status;
  status.recordPath = recordPath;
  RecordLines lines;
  try {
    lines = ReadRecordLines(recordPath);
    status.record = ParseClipRecord(recordPath, lines);
  } catch (const EngineError& error) {
    // A record that is not there, or that cannot be opened, is missing; one that opens and
    // does not hold a record cannot be trusted.
    const bool opened = !lines.text.empty() || error.message() != FormatText(texts::kCannotOpen, recordPath);
    status.state = opened && FileExists(recordPath) ? RecordState::Invalid : RecordState::Missing;
    status.message = error.message();
    return status;
  }
  OpenedRecord opened;
  RecordFacts facts;
  std::optional<WorkMeter> meter;
  GatherRecordFacts(recordPath, *status.record, lines.text, Gathering::ForCheck, ui, opened, facts, meter);
  const WriteBackPlan plan = PlanWriteBack(facts);
  status.state = plan.state;
  status.undo = plan.undo;
  status.message = plan.refusal;
  return status;
}

}  // namespace ostrevan
