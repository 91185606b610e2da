#pragma once
// The files that belong to one clip, all named after its record X.ini:
//   X.wav          the clip
//   X.undo.wav     the range's audio as it was before the first write-back (the undo clip)
//   X.undo.ini     its record: writing it back is the undo
//   X.journal.wav  what a write-back or an undo is replacing, while it runs, when the undo
//                  clip does not hold that already (X.undo.journal.wav for an undo)
//   X.replacing    while a write-back or an undo writes the source: which range, and which of
//                  the files above keeps the audio it held before (replacing_mark.h)
// and files under a ".new" name while they are written, renamed into place when complete.

#include <optional>
#include <string>
#include <vector>

namespace ostrevan {

inline constexpr const char* kUndoSuffix = ".undo";
inline constexpr const char* kNewSuffix = ".new";

// The path of a record `X.ini` without ".ini", that is X.
std::string PairBase(const std::string& recordPath);
std::string ClipPathOfRecord(const std::string& recordPath);      // X.wav
std::string UndoRecordPathOf(const std::string& recordPath);      // X.undo.ini
std::string UndoClipPathOf(const std::string& recordPath);        // X.undo.wav
std::string JournalPathOf(const std::string& recordPath);         // X.journal.wav
std::string ReplacingMarkPathOf(const std::string& recordPath);   // X.replacing

// True for a record named X.undo.ini (in any case of letters).
bool IsUndoRecordPath(const std::string& recordPath);
// The record X.ini whose undo record is `undoRecordPath` (X.undo.ini).
std::string MainRecordPathOf(const std::string& undoRecordPath);

// Every file of the pair of `recordPath` (record, clip, undo clip and record, journals, the
// mark), in the order they are best moved: the record last, so a pair moved half way is never
// a record without its clip.
std::vector<std::string> PairFilesOf(const std::string& recordPath);

// Raises "ファイル名 %s が長すぎるため作れません…" with the longest name of the pair of
// `recordPath` (under its ".new" name, as it is first made) that the file system could not hold.
void RefuseNamesTooLong(const std::string& recordPath);

// A record path "X (n).ini", n = 2, 3 ..., beside `recordPath`, none of whose pair's files
// exist.
std::string FreeRecordPathBeside(const std::string& recordPath);

// A move of the pair of `recordPath` to "X (n)" that stopped half way: the whole pair (its
// clip moved, other files still here) or its undo files alone (the undo clip moved, the undo
// record or journal still here, "X (n)" holding no clip or record); none of the files under
// both names.
struct HalfMove {
  std::string toRecordPath;  // X (n).ini
  bool undoOnly = false;
};
std::optional<HalfMove> HalfMovedPairOf(const std::string& recordPath);

// Moves the files of the pair of `recordPath` that exist to the same names of the pair of
// `toRecordPath` (only the undo clip, undo record and undo journal when `undoOnly`). Every
// new name is checked first (RefuseNamesTooLong). Raises "ファイル %s を作成できません" with
// the name that could not be had.
void MovePair(const std::string& recordPath, const std::string& toRecordPath, bool undoOnly);

// Finishes a move that stopped half way (HalfMovedPairOf) and returns it; none when there was none.
std::optional<HalfMove> FinishHalfMove(const std::string& recordPath);

}  // namespace ostrevan
