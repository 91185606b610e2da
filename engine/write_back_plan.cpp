#include "write_back_plan.h"

#include "pair_files.h"
#include "texts.h"

namespace ostrevan {

namespace {

// The undo record and undo clip as they will be once the plan's moves are done.
UndoRecordFact UndoRecordAfterMoves(const RecordFacts& facts) {
  return facts.undoHalfMoved || facts.undoRecord == UndoRecordFact::OtherRange ? UndoRecordFact::None
                                                                                 : facts.undoRecord;
}

WriteBackPlan Refused(RecordState state, std::string text) {
  WriteBackPlan plan;
  plan.state = state;
  plan.refusal = std::move(text);
  return plan;
}

}  // namespace

bool StaysInPlace(const RecordFacts& facts, KeptIn keptIn) {
  if (facts.isUndo || keptIn == KeptIn::Journal) return true;
  return !facts.undoHalfMoved && facts.undoRecord != UndoRecordFact::OtherRange;
}

bool MarkCanBeUsed(const RecordFacts& facts) {
  const std::string& expected = facts.record.fingerprint;
  return facts.mark && facts.markKeptIntact && (expected.empty() || facts.mark->range.fingerprint == expected);
}

std::vector<KeptIn> InterruptedRunCandidates(const RecordFacts& facts) {
  const std::string& expected = facts.record.fingerprint;
  if (facts.now == facts.clipAudio || expected.empty() || facts.now == expected || MarkCanBeUsed(facts)) return {};
  // The run's own journal first, then the other record's, then the first write-back's copy.
  std::vector<KeptIn> order = facts.isUndo
                                  ? std::vector<KeptIn>{KeptIn::UndoJournal, KeptIn::Journal, KeptIn::UndoClip}
                                  : std::vector<KeptIn>{KeptIn::Journal, KeptIn::UndoJournal, KeptIn::UndoClip};
  std::vector<KeptIn> candidates;
  for (KeptIn keptIn : order) {
    if (StaysInPlace(facts, keptIn)) candidates.push_back(keptIn);
  }
  return candidates;
}

WriteBackPlan PlanWriteBack(const RecordFacts& facts) {
  if (facts.fault) return Refused(*facts.fault, facts.faultText);
  const ClipRecord& record = facts.record;
  const bool holdsClip = facts.now == facts.clipAudio;

  WriteBackPlan plan;
  plan.ownsMark = facts.mark.has_value();
  if (MarkCanBeUsed(facts)) {
    // A stopped run's mark: the copy it kept is reused; when the range has changed since,
    // the run is finished.
    plan.keptIn = facts.mark->keptIn;
    plan.finishing = facts.now != facts.mark->range.fingerprint;
    // Only the clip the stopped run was writing may finish it, or one that holds what the
    // range held before (writing it puts the range back); the undo needs no clip.
    if (plan.finishing && !holdsClip && !facts.isUndo && facts.clipAudio != facts.mark->writing &&
        facts.clipAudio != facts.mark->range.fingerprint) {
      return Refused(RecordState::Changed, FormatText(texts::kClipChangedAfterStop, ClipPathOfRecord(facts.recordPath)));
    }
  } else if (!holdsClip && !record.fingerprint.empty() && facts.now != record.fingerprint) {
    // The range holds neither what the record names nor the clip: only what a stopped run
    // left explains it.
    if (!facts.interruptedBy) {
      return Refused(RecordState::Changed, FormatText(texts::kSourceChangedSinceCut, record.sourcePath));
    }
    plan.keptIn = facts.interruptedBy;
    plan.finishing = true;
  }
  plan.state = plan.finishing ? RecordState::Interrupted : holdsClip ? RecordState::Same : RecordState::Ready;

  const UndoRecordFact undoRecord = UndoRecordAfterMoves(facts);
  if (!facts.isUndo) {
    if (facts.undoHalfMoved) plan.steps.push_back(Step::FinishHalfMove);
    if (facts.undoRecord == UndoRecordFact::OtherRange && !facts.undoHalfMoved) plan.steps.push_back(Step::MoveUndoAside);
  }
  if (!holdsClip) {
    if (!plan.keptIn) {
      // The first write-back's copy is the undo clip, kept for good; later ones, and an
      // undo's, are a journal, removed once the run is complete.
      const bool firstCopy = !facts.isUndo && !(facts.undoClipThere && StaysInPlace(facts, KeptIn::UndoClip));
      plan.keptIn = firstCopy ? KeptIn::UndoClip : facts.isUndo ? KeptIn::UndoJournal : KeptIn::Journal;
      plan.madeUndo = firstCopy && undoRecord == UndoRecordFact::None;
      plan.steps.push_back(Step::SaveWhatIsReplaced);
      // The undo record names what the range holds until the source is written.
      if (!facts.isUndo && (undoRecord != UndoRecordFact::ThisRange || facts.undoFingerprint != facts.now)) {
        plan.steps.push_back(Step::WriteUndoRecord);
      }
    }
    if (!plan.finishing) {
      plan.steps.push_back(Step::WriteMark);
      plan.ownsMark = true;
    }
    plan.steps.push_back(Step::WriteClip);
  }
  // Flushed even when the range held the clip already: an earlier run may have stopped
  // before its bytes reached the disk.
  plan.steps.push_back(Step::Flush);
  plan.steps.push_back(Step::RenewRecords);

  const bool undoThere = facts.isUndo || undoRecord == UndoRecordFact::ThisRange;
  plan.undo = undoThere && facts.undoClipAudio && *facts.undoClipAudio != facts.now;
  return plan;
}

std::vector<CutStep> PlanKeepAside(const CutPairFacts& facts, const ClipRecord& fresh) {
  // A clip that holds what its record names (cut or last written back), or what is cut now,
  // may be replaced; an edited or unreadable one may not, nor a pair a stopped run left.
  const bool replaceable =
      !facts.leftByStoppedRun &&
      (!facts.clipThere ||
       (facts.clipAudio && (*facts.clipAudio == fresh.fingerprint ||
                            (facts.record && facts.record->fingerprint == *facts.clipAudio))));
  if (!replaceable) return {CutStep::MovePairAside};
  std::vector<CutStep> steps;
  if (facts.undoFilesThere && !(facts.undoRecord && SameRange(*facts.undoRecord, fresh))) {
    steps.push_back(CutStep::MoveUndoAside);
  }
  if (facts.recordThere && !(facts.record && SameRange(*facts.record, fresh))) steps.push_back(CutStep::RemoveRecord);
  return steps;
}

}  // namespace ostrevan
