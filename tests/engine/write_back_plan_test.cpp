// Every state a record can be in, and the steps its write-back takes from there, without files:
// fingerprints are letters (A: the audio as cut, B: the clip's edit, C: another edit, X: what
// nobody wrote).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pair_files.h"
#include "texts.h"
#include "write_back_plan.h"

namespace ostrevan::testing {
namespace {

std::string StepsText(const std::vector<Step>& steps) {
  static const char* const kNames[] = {"half-move", "undo-aside", "save", "undo-record", "mark",
                                       "write",     "flush",      "renew"};
  std::string text;
  for (Step step : steps) text += std::string(text.empty() ? "" : " ") + kNames[static_cast<int>(step)];
  return text;
}

const char* KeptText(const std::optional<KeptIn>& keptIn) {
  if (!keptIn) return "-";
  return *keptIn == KeptIn::UndoClip ? "undo-clip" : *keptIn == KeptIn::Journal ? "journal" : "undo-journal";
}

// A record X.ini cut from A, its clip edited to B.
RecordFacts Edited() {
  RecordFacts facts;
  facts.recordPath = "/rec/take-1-2.ini";
  facts.record = {60, 120, "/rec/take.wav", "A"};
  facts.now = "A";
  facts.clipAudio = "B";
  return facts;
}

ReplacingMark Mark(const char* before, KeptIn keptIn, const char* writing) {
  return {{60, 120, "/rec/take.wav", before}, keptIn, writing};
}

TEST(WriteBackPlan, EveryStateAndItsSteps) {
  const std::string changed = FormatText(texts::kSourceChangedSinceCut, "/rec/take.wav");
  const std::string clipChanged = FormatText(texts::kClipChangedAfterStop, "/rec/take-1-2.wav");
  struct Row {
    const char* what;
    std::function<void(RecordFacts&)> facts;
    RecordState state;
    const char* steps;
    const char* kept;
    bool finishing, madeUndo, undo;
    std::string refusal;
  };
  const Row rows[] = {
      {"a fresh cut", [](RecordFacts& f) { f.clipAudio = "A"; }, RecordState::Same, "flush renew", "-", false, false,
       false, ""},
      {"an edited clip, first write-back", [](RecordFacts&) {}, RecordState::Ready,
       "save undo-record mark write flush renew", "undo-clip", false, true, false, ""},
      {"a second write-back keeps a journal",
       [](RecordFacts& f) {
         f.record.fingerprint = f.now = "B", f.clipAudio = "C";
         f.undoRecord = UndoRecordFact::ThisRange, f.undoFingerprint = "B", f.undoClipThere = true;
       },
       RecordState::Ready, "save mark write flush renew", "journal", false, false, false, ""},
      {"written back, with its undo",
       [](RecordFacts& f) {
         f.record.fingerprint = f.now = "B";
         f.undoRecord = UndoRecordFact::ThisRange, f.undoFingerprint = "B", f.undoClipThere = true;
         f.undoClipAudio = "A";
       },
       RecordState::Same, "flush renew", "-", false, false, true, ""},
      {"an older record without a fingerprint", [](RecordFacts& f) { f.record.fingerprint = "", f.now = "X"; },
       RecordState::Ready, "save undo-record mark write flush renew", "undo-clip", false, true, false, ""},
      {"the range holds something else", [](RecordFacts& f) { f.now = "X"; }, RecordState::Changed, "", "-", false,
       false, false, changed},
      {"a journal explains the range", [](RecordFacts& f) { f.now = "X", f.interruptedBy = KeptIn::Journal; },
       RecordState::Interrupted, "write flush renew", "journal", true, false, false, ""},
      {"a mark, stopped before the source changed",
       [](RecordFacts& f) { f.mark = Mark("A", KeptIn::UndoClip, "B"), f.markKeptIntact = true; }, RecordState::Ready,
       "mark write flush renew", "undo-clip", false, false, false, ""},
      {"a mark, stopped while writing",
       [](RecordFacts& f) { f.now = "X", f.mark = Mark("A", KeptIn::UndoClip, "B"), f.markKeptIntact = true; },
       RecordState::Interrupted, "write flush renew", "undo-clip", true, false, false, ""},
      {"a mark, stopped after the last byte",
       [](RecordFacts& f) { f.now = "B", f.mark = Mark("A", KeptIn::UndoClip, "B"), f.markKeptIntact = true; },
       RecordState::Interrupted, "flush renew", "undo-clip", true, false, false, ""},
      {"a mark, the clip edited again since",
       [](RecordFacts& f) {
         f.now = "X", f.clipAudio = "C", f.mark = Mark("A", KeptIn::UndoClip, "B"), f.markKeptIntact = true;
       },
       RecordState::Changed, "", "-", false, false, false, clipChanged},
      {"a mark whose kept copy is gone, no journal",
       [](RecordFacts& f) { f.now = "X", f.mark = Mark("A", KeptIn::Journal, "B"); }, RecordState::Changed, "", "-",
       false, false, false, changed},
      {"a mark of other audio is replaced",
       [](RecordFacts& f) { f.mark = Mark("C", KeptIn::Journal, "B"), f.markKeptIntact = true; }, RecordState::Ready,
       "save undo-record mark write flush renew", "undo-clip", false, true, false, ""},
      {"an undo pair of another range goes aside",
       [](RecordFacts& f) { f.undoRecord = UndoRecordFact::OtherRange, f.undoClipThere = true; }, RecordState::Ready,
       "undo-aside save undo-record mark write flush renew", "undo-clip", false, true, false, ""},
      {"a cut stopped moving the undo pair",
       [](RecordFacts& f) { f.undoHalfMoved = true, f.undoRecord = UndoRecordFact::OtherRange; }, RecordState::Ready,
       "half-move save undo-record mark write flush renew", "undo-clip", false, true, false, ""},
      {"an undo record: the undo would restore",
       [](RecordFacts& f) {
         f.recordPath = "/rec/take-1-2.undo.ini", f.isUndo = true, f.record.fingerprint = f.now = "B";
         f.clipAudio = "A", f.undoClipAudio = "A";
       },
       RecordState::Ready, "save mark write flush renew", "undo-journal", false, false, true, ""},
      {"an undo finishes whatever the clip holds",
       [](RecordFacts& f) {
         f.recordPath = "/rec/take-1-2.undo.ini", f.isUndo = true, f.now = "X", f.clipAudio = "C";
         f.mark = Mark("A", KeptIn::UndoJournal, "B"), f.markKeptIntact = true;
       },
       RecordState::Interrupted, "write flush renew", "undo-journal", true, false, false, ""},
      {"a fault while reading", [](RecordFacts& f) { f.fault = RecordState::Missing, f.faultText = "gone"; },
       RecordState::Missing, "", "-", false, false, false, "gone"},
  };
  for (const Row& row : rows) {
    RecordFacts facts = Edited();
    row.facts(facts);
    const WriteBackPlan plan = PlanWriteBack(facts);
    EXPECT_EQ(RecordStateName(plan.state), std::string(RecordStateName(row.state))) << row.what;
    EXPECT_EQ(StepsText(plan.steps), row.steps) << row.what;
    EXPECT_STREQ(KeptText(plan.keptIn), row.kept) << row.what;
    EXPECT_EQ(plan.refusal, row.refusal) << row.what;
    EXPECT_EQ(plan.finishing, row.finishing) << row.what;
    EXPECT_EQ(plan.madeUndo, row.madeUndo) << row.what;
    EXPECT_EQ(plan.undo, row.undo) << row.what;
    // Whatever runs, the mark it finds or writes goes when the records are renewed.
    const bool runs = row.refusal.empty();
    EXPECT_EQ(plan.ownsMark, runs && (facts.mark.has_value() || plan.steps.size() > 4)) << row.what;
  }
}

// Only a range that holds neither what the record names nor the clip asks which file explains
// it; files a move aside takes away are not asked.
TEST(WriteBackPlan, WhichFilesMayExplainAStoppedRun) {
  using K = std::vector<KeptIn>;
  RecordFacts facts = Edited();
  EXPECT_EQ(InterruptedRunCandidates(facts), K{});
  facts.now = "X";
  EXPECT_EQ(InterruptedRunCandidates(facts), (K{KeptIn::Journal, KeptIn::UndoJournal, KeptIn::UndoClip}));
  facts.undoRecord = UndoRecordFact::OtherRange;
  EXPECT_EQ(InterruptedRunCandidates(facts), K{KeptIn::Journal});
  facts.isUndo = true;
  EXPECT_EQ(InterruptedRunCandidates(facts), (K{KeptIn::UndoJournal, KeptIn::Journal, KeptIn::UndoClip}));
  facts.mark = Mark("A", KeptIn::UndoJournal, "B"), facts.markKeptIntact = true;
  EXPECT_EQ(InterruptedRunCandidates(facts), K{});
}

CutPairFacts Pair(bool clipThere, std::optional<std::string> clipAudio, std::optional<ClipRecord> record,
                  bool leftByStoppedRun = false, std::optional<ClipRecord> undoRecord = std::nullopt) {
  return {clipThere, std::move(clipAudio), true, std::move(record), leftByStoppedRun, undoRecord.has_value(), undoRecord};
}

TEST(WriteBackPlan, WhatACutKeepsAside) {
  const ClipRecord fresh{60, 120, "/rec/take.wav", "A"};
  const ClipRecord otherRange{0, 120, "/rec/take.wav", "Z"};
  struct Row {
    const char* what;
    CutPairFacts facts;
    std::vector<CutStep> steps;
  };
  const Row rows[] = {
      {"nothing there", CutPairFacts(), {}},
      {"the clip as cut", Pair(true, "A", fresh), {}},
      {"the clip as last written back", Pair(true, "B", ClipRecord{60, 120, "/rec/take.wav", "B"}), {}},
      {"an edited clip", Pair(true, "B", fresh), {CutStep::MovePairAside}},
      {"an unreadable clip", Pair(true, std::nullopt, fresh), {CutStep::MovePairAside}},
      {"a stopped run's journal", Pair(true, "A", fresh, true), {CutStep::MovePairAside}},
      {"a record of another range", Pair(true, "A", otherRange), {CutStep::RemoveRecord}},
      {"an unreadable record", Pair(false, std::nullopt, std::nullopt), {CutStep::RemoveRecord}},
      {"undo files of another range", Pair(true, "A", fresh, false, otherRange), {CutStep::MoveUndoAside}},
      {"undo files of this range", Pair(true, "A", fresh, false, fresh), {}},
  };
  for (const Row& row : rows) EXPECT_EQ(PlanKeepAside(row.facts, fresh), row.steps) << row.what;
}

}  // namespace
}  // namespace ostrevan::testing
