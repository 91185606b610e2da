#pragma once
// The files that belong to one clip, all named after its record X.ini:
//   X.wav          the clip
//   X.undo.wav     the range's audio as it was before the first write-back (the undo clip)
//   X.undo.ini     its record: writing it back is the undo
//   X.journal.wav  what a write-back or an undo is replacing, while it runs, when the undo
//                  clip does not hold that already (X.undo.journal.wav for an undo)
// and files under a ".new" name while they are written, renamed into place when complete.

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

// True for a record named X.undo.ini (in any case of letters).
bool IsUndoRecordPath(const std::string& recordPath);
// The record X.ini whose undo record is `undoRecordPath` (X.undo.ini).
std::string MainRecordPathOf(const std::string& undoRecordPath);

// Every file of the pair of `recordPath` (record, clip, undo clip and record, journals), in
// the order they are best moved: the record last, so a pair moved half way is never a record
// without its clip.
std::vector<std::string> PairFilesOf(const std::string& recordPath);

// A record path "X (n).ini", n = 2, 3 ..., beside `recordPath`, none of whose pair's files
// exist.
std::string FreeRecordPathBeside(const std::string& recordPath);

// Moves the files of the pair of `recordPath` that exist to the same names of the pair of
// `toRecordPath` (only the undo clip, undo record and undo journal when `undoOnly`). Raises
// "ファイル %s を作成できません" with the name that could not be had.
void MovePair(const std::string& recordPath, const std::string& toRecordPath, bool undoOnly);

}  // namespace ostrevan
