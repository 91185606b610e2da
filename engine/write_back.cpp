#include "write_back.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "block_copy.h"
#include "clip_header.h"
#include "clip_record.h"
#include "engine_error.h"
#include "engine_ui.h"
#include "file.h"
#include "new_file.h"
#include "pair_files.h"
#include "record_facts.h"
#include "replacing_mark.h"
#include "texts.h"
#include "write_back_plan.h"

namespace ostrevan {

namespace {

// One record's run: its open files, the facts gathered from them, and the plan made of those.
struct Run {
  OpenedRecord opened;
  RecordFacts facts;
  WriteBackPlan plan;
  const ClipRecord& record() const { return facts.record; }
  std::string KeptPath() const { return KeptAudioPath(opened.mainRecordPath, *plan.keptIn); }
};

// Puts what the range holds now on the disk, in the file the plan names, before the source
// is written.
void SaveWhatIsReplaced(Run& run, WorkMeter& meter) {
  OpenedRecord& opened = run.opened;
  try {
    NewFile copy(run.KeptPath());
    const std::string header = ClipHeaderBytes(opened.sourceLayout, opened.writeBytes);
    WriteExactly(copy.file(), 0, header.data(), header.size());
    CopyRange(opened.source, opened.writeAt, opened.writeBytes, copy.file(), static_cast<int64_t>(header.size()),
              opened.writeBytes, nullptr, &meter);
    copy.Commit();
  } catch (const EngineError& error) {
    // The source could not be read: that is no fault of the copy.
    if (error.message() == Text(texts::kReadError)) throw;
    throw EngineError(FormatText(texts::kUndoNotWritten, run.KeptPath()));
  }
}

// The undo record names what the range holds until the source is written.
void WriteUndoRecord(const Run& run) {
  const std::string undoRecordPath = UndoRecordPathOf(run.opened.recordPath);
  ClipRecord fresh = run.record();
  fresh.fingerprint = run.facts.now;
  try {
    WriteRecordFile(undoRecordPath, fresh);
  } catch (const EngineError&) {
    throw EngineError(FormatText(texts::kUndoNotWritten, undoRecordPath));
  }
}

// Before the first byte of the source changes: what the range holds, where that is kept,
// and what is written.
void WriteMark(const Run& run) {
  ClipRecord before = run.record();
  before.fingerprint = run.facts.now;
  WriteReplacingMark(run.opened.mainRecordPath, {before, *run.plan.keptIn, run.facts.clipAudio});
}

// After the source holds the clip's audio on the disk: the records name it, the undo record
// first (so an undo works as soon as the range has changed), then the mark and the journals go.
void RenewRecords(const Run& run) {
  const std::string& clipAudio = run.facts.clipAudio;
  auto renew = [&](const std::string& path, const ClipRecord& record) {
    if (record.fingerprint == clipAudio) return;
    ClipRecord renewed = record;
    renewed.fingerprint = clipAudio;
    try {
      WriteRecordFile(path, renewed);
    } catch (const EngineError&) {
      throw EngineError(FormatText(texts::kRecordNotUpdated, path));
    }
  };
  // The other record of the pair: the undo record of a record, or the record of an undo.
  const std::string& recordPath = run.opened.recordPath;
  const std::string& mainRecordPath = run.opened.mainRecordPath;
  const std::string otherPath = run.facts.isUndo ? mainRecordPath : UndoRecordPathOf(recordPath);
  std::optional<ClipRecord> other;
  try {
    other = ReadRecordIfThere(otherPath);
  } catch (const EngineError&) {
    throw EngineError(FormatText(texts::kRecordNotUpdated, otherPath));
  }
  const bool sameRange = other && SameRange(*other, run.record());
  if (run.facts.isUndo) {
    renew(recordPath, run.record());
    if (sameRange) renew(otherPath, *other);
  } else {
    if (sameRange) renew(otherPath, *other);
    renew(recordPath, run.record());
  }
  // The range and the records agree again: the mark goes, then the journals it may name.
  if (run.plan.ownsMark) RemoveReplacingMark(mainRecordPath);
  for (const std::string& journal : {JournalPathOf(mainRecordPath), JournalPathOf(UndoRecordPathOf(mainRecordPath))}) {
    if (FileExists(journal)) RemoveFile(journal);
  }
}

// A stop while the source is written: the range goes back to the bytes it held before the
// run (before the stopped run, for one that finished it), which the records name; the mark
// goes, then a journal, or the undo files this run made.
void PutRangeBack(Run& run) {
  OpenedRecord& opened = run.opened;
  const std::string keptPath = run.KeptPath();
  File journal;
  const std::optional<AudioIn> saved = AudioOf(opened, keptPath, journal);
  if (!saved) throw EngineError(FormatText(texts::kCannotOpen, keptPath));
  CopyRange(*saved->file, saved->start, saved->available, opened.source, opened.writeAt, opened.writeBytes);
  if (!opened.source.Flush()) throw EngineError(Text(texts::kWriteError));
  journal.Close();
  if (run.plan.ownsMark) RemoveReplacingMark(opened.mainRecordPath);
  if (*run.plan.keptIn != KeptIn::UndoClip) RemoveFile(keptPath);
  if (run.plan.madeUndo) {
    RemoveFile(UndoRecordPathOf(opened.mainRecordPath));
    RemoveFile(UndoClipPathOf(opened.mainRecordPath));
  }
}

enum class Ended { Done, Stopped, StoppedFinishing, RecordChanged };

// Gathers the record's facts, plans, and carries out the plan's steps.
Ended WriteBackOne(const std::string& recordPath, const ClipRecord& record, const std::string& recordText,
                   EngineUi& ui) {
  Run run;
  OpenedRecord& opened = run.opened;
  std::optional<WorkMeter> meter;
  // The source stays locked until the records name what it holds: another run or a cut of
  // this pair waits for it.
  if (!GatherRecordFacts(recordPath, record, recordText, Gathering::ForWriteBack, ui, opened, run.facts, meter)) {
    return Ended::RecordChanged;
  }
  run.plan = PlanWriteBack(run.facts);
  if (!run.plan.refusal.empty()) throw EngineError(run.plan.refusal);
  for (const Step step : run.plan.steps) {
    switch (step) {
      case Step::FinishHalfMove: FinishHalfMove(recordPath); break;
      case Step::MoveUndoAside: MovePair(recordPath, FreeRecordPathBeside(recordPath), true); break;
      case Step::SaveWhatIsReplaced: SaveWhatIsReplaced(run, *meter); break;
      case Step::WriteUndoRecord: WriteUndoRecord(run); break;
      case Step::WriteMark: WriteMark(run); break;
      case Step::WriteClip:
        ui.SourceWriting(record.sourcePath, static_cast<uint64_t>(opened.writeAt - opened.sourceLayout.DataStart()),
                         opened.writeBytes);
        try {
          CopyRange(opened.clip, opened.clipLayout.DataStart(), opened.clipLayout.AudioSize(), opened.source,
                    opened.writeAt, opened.writeBytes, nullptr, &*meter);
        } catch (const StopRequested&) {
          PutRangeBack(run);
          return run.plan.finishing ? Ended::StoppedFinishing : Ended::Stopped;
        }
        break;
      case Step::Flush:
        if (!opened.source.Flush()) throw EngineError(Text(texts::kWriteError));
        opened.clip.Close();
        break;
      case Step::RenewRecords: RenewRecords(run); break;
    }
  }
  return Ended::Done;
}

// A record listed twice would be written back twice, and with its undo record it would be
// written back and at once undone: such a list is refused before anything is written. Names
// are compared as the system compares them.
void RefuseRecordsListedTogether(const std::vector<std::string>& recordPaths) {
  std::vector<std::string> pairOf;  // each record's main record
  for (const std::string& path : recordPaths) pairOf.push_back(IsUndoRecordPath(path) ? MainRecordPathOf(path) : path);
  for (size_t later = 1; later < recordPaths.size(); ++later) {
    for (size_t first = 0; first < later; ++first) {
      if (!NamesTheSameFile(pairOf[first], pairOf[later])) continue;
      const std::string& a = recordPaths[first];
      const std::string& b = recordPaths[later];
      if (IsUndoRecordPath(a) == IsUndoRecordPath(b)) throw EngineError(FormatText(texts::kRecordListedTwice, {a, b}));
      const bool undoFirst = IsUndoRecordPath(a);  // the record is named first
      throw EngineError(FormatText(texts::kRecordWithItsUndo, {undoFirst ? b : a, undoFirst ? a : b}));
    }
  }
}

}  // namespace

void WriteBackClips(const std::vector<std::string>& recordPaths, EngineUi& ui) {
  RefuseRecordsListedTogether(recordPaths);
  for (const std::string& recordPath : recordPaths) {
    for (int reads = 1;; ++reads) {
      const RecordLines lines = ReadRecordLines(recordPath);
      ui.ShowRecordText(lines.text);
      const ClipRecord record = ParseClipRecord(recordPath, lines);
      if (!FileExists(record.sourcePath)) {
        ui.ShowInfo(Text(texts::kSourceMissing) + record.sourcePath);
        return;
      }
      Ended ended = Ended::Stopped;
      try {
        ended = WriteBackOne(recordPath, record, lines.text, ui);
      } catch (const StopRequested&) {
        // Stopped before the source was written: nothing of this record changed.
      }
      if (ended == Ended::Done) break;
      if (ended == Ended::RecordChanged) {
        // Replaced while this run waited for the source; a record that keeps changing is not read.
        if (reads == 10) throw EngineError(FormatText(texts::kCannotOpen, recordPath));
        continue;
      }
      ui.ShowInfo(FormatText(ended == Ended::Stopped ? texts::kWriteBackStopped : texts::kRecoveryStopped,
                             record.sourcePath));
      return;
    }
  }
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
