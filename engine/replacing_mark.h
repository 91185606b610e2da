#pragma once
// The mark a write-back or an undo puts beside a record (X.replacing, on the disk) before the
// first byte of the source changes, and removes once the records name what the range holds.
// While it is there the range may be half written, and the mark says what it held before
// and which file of the pair keeps that audio, so that the run can be finished or undone
// from the mark alone, whatever the clip holds by then.
//
// Its text is a record's (offset, byte count, source, the fingerprint of the audio the range
// held before), then the name of the file that keeps that audio, then the fingerprint of the
// audio being written.

#include <optional>
#include <string>

#include "clip_record.h"

namespace ostrevan {

// Which file of the pair keeps the audio the range held before the run.
enum class KeptIn { UndoClip, Journal, UndoJournal };

struct ReplacingMark {
  ClipRecord range;  // its fingerprint: the audio the range held before the run
  KeptIn keptIn = KeptIn::UndoClip;
  std::string writing;  // the fingerprint of the audio the run writes
};

// The file that keeps the audio, in the pair of the record `mainRecordPath` (X.ini).
std::string KeptAudioPath(const std::string& mainRecordPath, KeptIn keptIn);
// Which file `path` is of that pair, when it is one that can keep the audio.
std::optional<KeptIn> KeptInOf(const std::string& mainRecordPath, const std::string& path);

// Writes the mark of the pair of `mainRecordPath`, on the disk when this returns.
void WriteReplacingMark(const std::string& mainRecordPath, const ReplacingMark& mark);

// The mark of that pair; none when there is none, or it cannot be read or understood (a mark
// that is not whole names nothing: it is written under a new name and renamed into place).
std::optional<ReplacingMark> ReadReplacingMark(const std::string& mainRecordPath);

// Removes the mark, the removal on the disk when this returns. Raises "ストリームへの書き込みエラー".
void RemoveReplacingMark(const std::string& mainRecordPath);

}  // namespace ostrevan
