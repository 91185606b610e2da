#pragma once
// What a write-back, an undo or a cut does with one pair of files, decided in one place from
// the facts about the pair: no I/O here. record_facts.h gathers the facts; write_back.cpp and
// save_clip.cpp carry out the steps and decide nothing.

#include <optional>
#include <string>
#include <vector>

#include "clip_record.h"
#include "record_state.h"
#include "replacing_mark.h"

namespace ostrevan {

// The undo record of a record (X.undo.ini), as found.
enum class UndoRecordFact {
  None,       // not there
  ThisRange,  // names the record's range
  OtherRange  // names another range or source, or holds no record: it is moved aside
};

// What is known about one record before its write-back: read, never changed.
struct RecordFacts {
  std::string recordPath;
  bool isUndo = false;  // the record is an undo record X.undo.ini
  ClipRecord record;
  // A fault found while the files were opened and read, which refuses the record: the state it
  // counts as and the text 実行 shows. Nothing below is known then.
  std::optional<RecordState> fault;
  std::string faultText;
  // The pair's undo files (for a record X.ini).
  bool undoHalfMoved = false;  // a cut stopped while it moved the undo files aside
  UndoRecordFact undoRecord = UndoRecordFact::None;
  std::string undoFingerprint;  // of an undo record of this range
  bool undoClipThere = false;
  // Fingerprints of what the range holds now, and of the clip's audio (as long as the range).
  std::string now;
  std::string clipAudio;
  // Of the undo clip's audio, for the check only: whether an undo would change the range.
  std::optional<std::string> undoClipAudio;
  // The pair's mark when it names this range, and whether the file it names still keeps the
  // audio it names.
  std::optional<ReplacingMark> mark;
  bool markKeptIntact = false;
  // The first of InterruptedRunCandidates whose file, with the clips, explains every byte of
  // the range as a stopped run leaves it, and holds what the record names.
  std::optional<KeptIn> interruptedBy;
};

// The steps of a run, in the order they are carried out.
enum class Step {
  FinishHalfMove,      // the undo files a stopped cut was moving aside go where they were going
  MoveUndoAside,       // an undo pair of another range goes to a free name
  SaveWhatIsReplaced,  // the range's audio is copied to the file `keptIn` names
  WriteUndoRecord,     // the undo record names what the range holds now
  WriteMark,           // the mark says what the range holds and where that is kept
  WriteClip,           // the clip's audio into the range; a stop puts the range back
  Flush,               // the source on the disk
  RenewRecords,        // the pair's records name the clip's audio; the mark, then journals go
};

struct WriteBackPlan {
  RecordState state = RecordState::Invalid;
  std::string refusal;  // the text of Changed, Missing and Invalid
  std::vector<Step> steps;
  std::optional<KeptIn> keptIn;  // the file that keeps (or will keep) what the range held before
  bool finishing = false;        // the run takes over one that was stopped part way
  bool madeUndo = false;         // the run makes the undo clip and record: a stop removes them
  bool ownsMark = false;         // the run removes the pair's mark when done
  bool undo = false;             // writing the undo record back would change the range now
};

// Whether the file `keptIn` names stays where it is through the plan's moves: the undo files
// of a pair leave with a move aside.
bool StaysInPlace(const RecordFacts& facts, KeptIn keptIn);

// The mark names this range, what the record names, and a file that still keeps it.
bool MarkCanBeUsed(const RecordFacts& facts);

// The files that may hold what a stopped run was replacing, in the order they are tried, or
// none when the plan does not need to know (the range holds what the record names, or the
// clip's audio, or the mark tells).
std::vector<KeptIn> InterruptedRunCandidates(const RecordFacts& facts);

WriteBackPlan PlanWriteBack(const RecordFacts& facts);

// What a cut finds where it will put a new pair: the clip, record and undo files there now.
// Read after a half-finished move aside has been finished.
struct CutPairFacts {
  bool clipThere = false;
  std::optional<std::string> clipAudio;  // its fingerprint; none when it cannot be read
  bool recordThere = false;
  std::optional<ClipRecord> record;  // none when it is not there or cannot be read
  bool leftByStoppedRun = false;     // a journal or a mark: only a stopped run leaves one
  bool undoFilesThere = false;       // an undo record or undo clip
  std::optional<ClipRecord> undoRecord;
};

enum class CutStep {
  MovePairAside,  // the whole pair goes to a free name: its clip was edited, or a run stopped
  MoveUndoAside,  // the undo files alone: they belong to another range
  RemoveRecord,   // a record of another range, which must never lie beside the new clip
};

// The steps before a cut writes `fresh` and its clip over the pair.
std::vector<CutStep> PlanKeepAside(const CutPairFacts& facts, const ClipRecord& fresh);

}  // namespace ostrevan
