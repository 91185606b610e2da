#include "pair_files.h"

#include "ascii_case.h"
#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "integer_text.h"
#include "name_limit.h"
#include "texts.h"

namespace ostrevan {

std::string PairBase(const std::string& recordPath) { return PathWithoutExtension(recordPath); }
std::string ClipPathOfRecord(const std::string& recordPath) { return PairBase(recordPath) + ".wav"; }
std::string UndoRecordPathOf(const std::string& recordPath) { return PairBase(recordPath) + kUndoSuffix + ".ini"; }
std::string UndoClipPathOf(const std::string& recordPath) { return PairBase(recordPath) + kUndoSuffix + ".wav"; }
std::string JournalPathOf(const std::string& recordPath) { return PairBase(recordPath) + ".journal.wav"; }
std::string ReplacingMarkPathOf(const std::string& recordPath) { return PairBase(recordPath) + ".replacing"; }

bool IsUndoRecordPath(const std::string& recordPath) { return EndsWithIgnoringAsciiCase(recordPath, ".undo.ini"); }

std::string MainRecordPathOf(const std::string& undoRecordPath) {
  const std::string base = PairBase(undoRecordPath);  // X.undo
  return base.substr(0, base.size() - std::string(kUndoSuffix).size()) + ".ini";
}

std::vector<std::string> PairFilesOf(const std::string& recordPath) {
  const std::string undoRecord = UndoRecordPathOf(recordPath);
  return {ClipPathOfRecord(recordPath), UndoClipPathOf(recordPath), JournalPathOf(recordPath),
          JournalPathOf(undoRecord),    ReplacingMarkPathOf(recordPath), undoRecord, recordPath};
}

void RefuseNamesTooLong(const std::string& recordPath) {
  std::string longest;
  for (const std::string& file : PairFilesOf(recordPath)) {
    const std::string name = file + kNewSuffix;
    if (!NameFits(name) && name.size() > longest.size()) longest = name;
  }
  if (!longest.empty()) throw EngineError(FormatText(texts::kNameTooLong, longest));
}

std::string FreeRecordPathBeside(const std::string& recordPath) {
  for (int64_t n = 2;; ++n) {
    const std::string candidate = PairBase(recordPath) + " (" + DecimalText(n) + ").ini";
    bool free = true;
    for (const std::string& file : PairFilesOf(candidate)) free = free && !FileExists(file);
    if (free) return candidate;
  }
}

std::optional<HalfMove> HalfMovedPairOf(const std::string& recordPath) {
  const std::vector<std::string> here = PairFilesOf(recordPath);
  const bool clipHere = FileExists(ClipPathOfRecord(recordPath));
  const std::string undoBase = PairBase(recordPath) + kUndoSuffix;
  for (int64_t n = 2;; ++n) {
    const std::string candidate = PairBase(recordPath) + " (" + DecimalText(n) + ").ini";
    const std::vector<std::string> there = PairFilesOf(candidate);
    bool any = false, clash = false, restHere = false, undoRestHere = false;
    for (size_t i = 0; i < there.size(); ++i) {
      const bool isHere = FileExists(here[i]);
      any = any || FileExists(there[i]);
      clash = clash || (isHere && FileExists(there[i]));
      restHere = restHere || isHere;
      undoRestHere = undoRestHere || (isHere && here[i].compare(0, undoBase.size(), undoBase) == 0);
    }
    // Names are taken in order: past the first free one, no move went.
    if (!any) return std::nullopt;
    if (clash) continue;
    // A whole pair moves its clip first, its undo files alone their undo clip first.
    if (!clipHere && FileExists(ClipPathOfRecord(candidate)) && restHere) return HalfMove{candidate, false};
    if (FileExists(UndoClipPathOf(candidate)) && !FileExists(ClipPathOfRecord(candidate)) &&
        !FileExists(candidate) && undoRestHere) {
      return HalfMove{candidate, true};
    }
  }
}

void MovePair(const std::string& recordPath, const std::string& toRecordPath, bool undoOnly) {
  RefuseNamesTooLong(toRecordPath);
  const std::vector<std::string> from = PairFilesOf(recordPath);
  const std::vector<std::string> to = PairFilesOf(toRecordPath);
  const std::string undoBase = PairBase(recordPath) + kUndoSuffix;
  for (size_t i = 0; i < from.size(); ++i) {
    const bool undoFile = from[i].compare(0, undoBase.size(), undoBase) == 0;
    if ((undoOnly && !undoFile) || !FileExists(from[i])) continue;
    if (!ReplaceFileWith(from[i], to[i])) throw EngineError(FormatText(texts::kCannotCreate, to[i]));
  }
}

std::optional<HalfMove> FinishHalfMove(const std::string& recordPath) {
  const std::optional<HalfMove> half = HalfMovedPairOf(recordPath);
  if (half) MovePair(recordPath, half->toRecordPath, half->undoOnly);
  return half;
}

}  // namespace ostrevan
