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
#include "fingerprint.h"
#include "load_wave.h"
#include "new_file.h"
#include "pair_files.h"
#include "play_time.h"
#include "replacing_mark.h"
#include "texts.h"
#include "wave_format.h"

namespace ostrevan {

namespace {

// One record's write-back: its files, opened and checked before anything is written.
struct WriteBack {
  std::string recordPath;
  ClipRecord record;
  bool isUndo = false;
  File source;
  AudioLayout sourceLayout;
  File clip;
  AudioLayout clipLayout;
  int64_t writeAt = 0;
  uint64_t writeBytes = 0;
  std::string mainRecordPath;      // the record itself, or for an undo the record it undoes
  std::optional<ClipRecord> undo;  // the undo record of a record, when it belongs to its range
  std::string keptPath;            // what holds the range's bytes from before: this run's copy, or a stopped run's
  bool finishing = false;          // the run takes over one that was stopped part way
  bool madeUndo = false;           // this run made the undo clip and record
  bool ownsMark = false;           // the pair's mark is this range's: the run removes it when done
  std::string expected;            // the fingerprint the range must hold: the record's
  std::string clipAudio;           // the fingerprint of what the range will hold
  std::string now;                 // and of what it holds
};

// Opens the source and the clip and reads both fingerprints. Raises what refuses the record.
// False when the record read under the source's lock is no longer `recordText`: a cut or
// another run replaced it in the meantime, and it is read again.
bool Prepare(WriteBack& wb, const std::string& recordText, EngineUi& ui, std::optional<WorkMeter>& meter) {
  const ClipRecord& record = wb.record;
  const std::string clipPath = ClipPathOfRecord(wb.recordPath);

  if (!wb.source.Open(record.sourcePath, FileMode::ReadWriteExclusive)) {
    throw EngineError(FormatText(texts::kCannotOpen, record.sourcePath));
  }
  wb.sourceLayout = ReadCuttableLayout(wb.source, record.sourcePath);
  if (ReadRecordLines(wb.recordPath).text != recordText) return false;

  // Writes stay inside the source's audio data as it is now.
  const auto audioSize = static_cast<int64_t>(wb.sourceLayout.AudioSize());
  if (record.clipOffset < 0 || (record.clipBytes > 0 && record.clipOffset >= audioSize)) {
    throw EngineError(FormatText(texts::kRangeOutsideData, wb.recordPath));
  }
  // A cut always starts on a whole frame and holds whole frames: anything else was not made
  // by a cut, and would write part of a frame.
  const uint16_t frame = wb.sourceLayout.format.blockAlign;
  if (frame != 0 && (record.clipOffset % frame != 0 || record.clipBytes % frame != 0)) {
    throw EngineError(FormatText(texts::kSourceChangedSinceCut, record.sourcePath));
  }
  // An empty range may lie anywhere, even past the end: it writes nothing.
  wb.writeBytes = record.clipOffset >= audioSize
                      ? 0
                      : static_cast<uint64_t>(std::min(record.clipBytes, audioSize - record.clipOffset));
  // An empty range's offset may be any number: it is not added to a position.
  wb.writeAt = wb.sourceLayout.DataStart() + (wb.writeBytes == 0 ? 0 : record.clipOffset);

  if (!wb.clip.Open(clipPath, FileMode::ReadExclusive)) throw EngineError(FormatText(texts::kCannotOpen, clipPath));
  wb.clipLayout = ReadCuttableLayout(wb.clip, clipPath);
  if (wb.clipLayout.format != wb.sourceLayout.format) throw EngineError(FormatText(texts::kFormatMismatch, clipPath));
  // A clip that ends before its own header says is a broken copy, not an edit.
  if (wb.clipLayout.statedBeyondFile) throw EngineError(FormatText(texts::kClipCutShort, clipPath));
  // An editor that made the clip shorter or longer moved its audio in time: writing it would
  // leave silence, or drop its tail. A clip of a range that runs past the audio's end may
  // hold that part or not.
  const uint64_t clipLength = wb.clipLayout.AudioSize();
  if (clipLength < wb.writeBytes || clipLength > static_cast<uint64_t>(record.clipBytes)) {
    const uint64_t rangeLength = clipLength < wb.writeBytes ? wb.writeBytes : static_cast<uint64_t>(record.clipBytes);
    const SampleFormat& format = wb.sourceLayout.format;
    throw EngineError(FormatText(texts::kClipLengthDiffers,
                                 {clipPath, LengthText(clipLength, format.blockAlign, format.sampleRate),
                                  LengthText(rangeLength, format.blockAlign, format.sampleRate)}));
  }

  // The work: reading the clip and the range, copying the range aside, writing the clip.
  meter.emplace(ui, record.sourcePath, 4 * wb.writeBytes);
  // The clip is read whole before the source is touched, so a clip that cannot be read
  // leaves the source as it was.
  wb.clipAudio = FingerprintOfRange(wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize(), wb.writeBytes,
                                    &*meter);
  wb.now = FingerprintOfRange(wb.source, wb.writeAt, wb.writeBytes, wb.writeBytes, &*meter);
  return true;
}

// Audio bytes of a file, in blocks, zeros past their end.
struct AudioIn {
  File* file;
  int64_t start;
  uint64_t available;
  void Read(uint64_t done, unsigned char* out, size_t size) const {
    size_t got = 0;
    if (done < available) {
      const auto wanted = static_cast<size_t>(std::min<uint64_t>(size, available - done));
      got = file->ReadAt(start + static_cast<int64_t>(done), out, wanted);
    }
    std::fill(out + got, out + size, 0);
  }
};

// Opens `path` as audio in the source's format, or reuses the run's clip when it is that file.
std::optional<AudioIn> AudioOf(WriteBack& wb, const std::string& path, File& file) {
  if (path == ClipPathOfRecord(wb.recordPath)) {
    return AudioIn{&wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize()};
  }
  if (!file.Open(path, FileMode::ReadExclusive)) return std::nullopt;
  const std::optional<AudioLayout> layout = ReadAudioLayout(file);
  if (!layout || layout->format != wb.sourceLayout.format) return std::nullopt;
  return AudioIn{&file, layout->DataStart(), layout->AudioSize()};
}

// True when the journal at `journalPath` holds what the record names, and every byte of the
// range equals the byte at the same place in the journal, the clip or the undo clip: what a
// write-back or an undo stopped at any point leaves, and nothing else does.
bool IsAnInterruptedRun(WriteBack& wb, const std::string& journalPath) {
  File journalFile, otherFile;
  const std::optional<AudioIn> journal = AudioOf(wb, journalPath, journalFile);
  if (!journal) return false;
  std::vector<AudioIn> sources = {*journal, {&wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize()}};
  // The pair's other clip: a write-back's undo clip, or the clip an undo undoes.
  const std::string other = wb.isUndo ? ClipPathOfRecord(wb.mainRecordPath) : UndoClipPathOf(wb.mainRecordPath);
  if (other != journalPath) {
    if (const std::optional<AudioIn> audio = AudioOf(wb, other, otherFile)) sources.push_back(*audio);
  }

  constexpr size_t kBlock = 1 << 20;
  std::vector<unsigned char> range(kBlock);
  std::vector<std::vector<unsigned char>> candidates(sources.size(), std::vector<unsigned char>(kBlock));
  Fingerprint journalAudio;
  for (uint64_t done = 0; done < wb.writeBytes; done += kBlock) {
    const auto size = static_cast<size_t>(std::min<uint64_t>(kBlock, wb.writeBytes - done));
    AudioIn{&wb.source, wb.writeAt, wb.writeBytes}.Read(done, range.data(), size);
    for (size_t k = 0; k < sources.size(); ++k) sources[k].Read(done, candidates[k].data(), size);
    for (size_t i = 0; i < size; ++i) {
      bool explained = false;
      for (const auto& candidate : candidates) explained = explained || candidate[i] == range[i];
      if (!explained) return false;
    }
    journalAudio.Update(candidates[0].data(), size);
  }
  return journalAudio.Text() == wb.expected;
}

// The files that may hold what a stopped run was replacing: the journals of the pair, and
// the undo clip (the first write-back's copy).
std::vector<std::string> JournalCandidates(const WriteBack& wb) {
  return {JournalPathOf(wb.recordPath), JournalPathOf(wb.isUndo ? wb.mainRecordPath : UndoRecordPathOf(wb.recordPath)),
          UndoClipPathOf(wb.mainRecordPath)};
}

// The undo record of `recordPath`, when there is one that belongs to its range. One that
// names another range or source (or holds no record) is moved aside with its undo clip, so
// that this record gets an undo of its own.
std::optional<ClipRecord> UndoRecordFor(const WriteBack& wb) {
  const std::string undoRecordPath = UndoRecordPathOf(wb.recordPath);
  if (!FileExists(undoRecordPath)) return std::nullopt;  // nothing to move aside
  const std::optional<ClipRecord> undo = ReadRecordIfThere(undoRecordPath);
  if (undo && SameRange(*undo, wb.record)) return undo;
  MovePair(wb.recordPath, FreeRecordPathBeside(wb.recordPath), true);
  return std::nullopt;
}

// Puts what the range holds now on the disk beside the record before the source is written:
// the first write-back's copy is the undo clip, kept for good; later ones, and an undo's,
// are a journal, removed once the run is complete.
void SaveWhatIsReplaced(WriteBack& wb, WorkMeter& meter) {
  const std::string undoClipPath = UndoClipPathOf(wb.recordPath);
  const std::string undoRecordPath = UndoRecordPathOf(wb.recordPath);
  const std::optional<ClipRecord>& undo = wb.undo;
  const bool firstCopy = !wb.isUndo && !FileExists(undoClipPath);
  wb.madeUndo = firstCopy && !undo;
  const std::string copyPath = firstCopy ? undoClipPath : JournalPathOf(wb.recordPath);
  wb.keptPath = copyPath;
  std::string failedPath = copyPath;
  try {
    {
      NewFile copy(copyPath);
      const std::string header = ClipHeaderBytes(wb.sourceLayout, wb.writeBytes);
      WriteExactly(copy.file(), 0, header.data(), header.size());
      CopyRange(wb.source, wb.writeAt, wb.writeBytes, copy.file(), static_cast<int64_t>(header.size()),
                wb.writeBytes, nullptr, &meter);
      copy.Commit();
    }
    // The undo record names what the range holds until the source is written.
    if (!wb.isUndo && (!undo || undo->fingerprint != wb.now)) {
      failedPath = undoRecordPath;
      ClipRecord fresh = wb.record;
      fresh.fingerprint = wb.now;
      WriteRecordFile(undoRecordPath, fresh);
    }
  } catch (const EngineError& error) {
    // The source could not be read: that is no fault of the copy.
    if (error.message() == Text(texts::kReadError)) throw;
    throw EngineError(FormatText(texts::kUndoNotWritten, failedPath));
  }
}

// The pair's mark, when it names this range and the file it names still keeps the audio the
// records name: a run stopped while it wrote the source. A mark that names other audio than
// the record is not this run's to finish.
std::optional<ReplacingMark> MarkOfThisRange(WriteBack& wb) {
  std::optional<ReplacingMark> mark = ReadReplacingMark(wb.mainRecordPath);
  if (!mark || !SameRange(mark->range, wb.record)) return std::nullopt;
  wb.ownsMark = true;
  if (!wb.expected.empty() && mark->range.fingerprint != wb.expected) return std::nullopt;
  File keptFile;
  const std::optional<AudioIn> kept = AudioOf(wb, KeptAudioPath(wb.mainRecordPath, mark->keptIn), keptFile);
  if (!kept || kept->available < wb.writeBytes ||
      FingerprintOfRange(*kept->file, kept->start, kept->available, wb.writeBytes) != mark->range.fingerprint) {
    return std::nullopt;
  }
  return mark;
}

// After the source holds the clip's audio on the disk: the records name it, the undo record
// first (so an undo works as soon as the range has changed), then the mark and the journals go.
void RenewRecords(const WriteBack& wb) {
  auto renew = [&](const std::string& path, const ClipRecord& record) {
    if (record.fingerprint == wb.clipAudio) return;
    ClipRecord renewed = record;
    renewed.fingerprint = wb.clipAudio;
    try {
      WriteRecordFile(path, renewed);
    } catch (const EngineError&) {
      throw EngineError(FormatText(texts::kRecordNotUpdated, path));
    }
  };
  // The other record of the pair: the undo record of a record, or the record of an undo.
  const std::string otherPath = wb.isUndo ? MainRecordPathOf(wb.recordPath) : UndoRecordPathOf(wb.recordPath);
  std::optional<ClipRecord> other;
  try {
    other = ReadRecordIfThere(otherPath);
  } catch (const EngineError&) {
    throw EngineError(FormatText(texts::kRecordNotUpdated, otherPath));
  }
  const bool sameRange = other && SameRange(*other, wb.record);
  if (wb.isUndo) {
    renew(wb.recordPath, wb.record);
    if (sameRange) renew(otherPath, *other);
  } else {
    if (sameRange) renew(otherPath, *other);
    renew(wb.recordPath, wb.record);
  }
  // The range and the records agree again: the mark goes, then the journals it may name.
  if (wb.ownsMark) RemoveReplacingMark(wb.mainRecordPath);
  for (const std::string& journal :
       {JournalPathOf(wb.mainRecordPath), JournalPathOf(UndoRecordPathOf(wb.mainRecordPath))}) {
    if (FileExists(journal)) RemoveFile(journal);
  }
}

// A stop while the source is written: the range goes back to the bytes it held before the
// run (before the stopped run, for one that finished it), which the records name; the mark
// goes, then a journal, or the undo files this run made.
void PutRangeBack(WriteBack& wb) {
  File journal;
  const std::optional<AudioIn> saved = AudioOf(wb, wb.keptPath, journal);
  if (!saved) throw EngineError(FormatText(texts::kCannotOpen, wb.keptPath));
  CopyRange(*saved->file, saved->start, saved->available, wb.source, wb.writeAt, wb.writeBytes);
  if (!wb.source.Flush()) throw EngineError(Text(texts::kWriteError));
  journal.Close();
  if (wb.ownsMark) RemoveReplacingMark(wb.mainRecordPath);
  if (wb.keptPath != UndoClipPathOf(wb.mainRecordPath)) RemoveFile(wb.keptPath);
  if (wb.madeUndo) {
    RemoveFile(UndoRecordPathOf(wb.mainRecordPath));
    RemoveFile(UndoClipPathOf(wb.mainRecordPath));
  }
}

// Decides whether the run may go on from what the range holds: the audio the record names,
// the clip's already, or what a stopped run left (its mark, or in files of earlier versions
// its journal alone). Raises the refusal.
void CheckTheRange(WriteBack& wb, bool holdsClip) {
  if (const std::optional<ReplacingMark> mark = MarkOfThisRange(wb)) {
    wb.keptPath = KeptAudioPath(wb.mainRecordPath, mark->keptIn);
    // Stopped before the source changed: an ordinary run, which reuses the copy already kept.
    if (wb.now == mark->range.fingerprint) return;
    wb.finishing = true;
    // Only the clip the stopped run was writing may finish it, or one that holds what the
    // range held before (writing it puts the range back); the undo needs no clip.
    if (!holdsClip && !wb.isUndo && wb.clipAudio != mark->writing && wb.clipAudio != mark->range.fingerprint) {
      throw EngineError(FormatText(texts::kClipChangedAfterStop, ClipPathOfRecord(wb.recordPath)));
    }
    return;
  }
  if (holdsClip || wb.expected.empty() || wb.now == wb.expected) return;
  for (const std::string& journal : JournalCandidates(wb)) {
    if (wb.keptPath.empty() && IsAnInterruptedRun(wb, journal)) wb.keptPath = journal;
  }
  if (wb.keptPath.empty()) throw EngineError(FormatText(texts::kSourceChangedSinceCut, wb.record.sourcePath));
  wb.finishing = true;
}

enum class Ended { Done, Stopped, StoppedFinishing, RecordChanged };

Ended WriteBackOne(const std::string& recordPath, const ClipRecord& record, const std::string& recordText,
                   EngineUi& ui) {
  WriteBack wb;
  wb.recordPath = recordPath;
  wb.record = record;
  wb.isUndo = IsUndoRecordPath(recordPath);
  wb.mainRecordPath = wb.isUndo ? MainRecordPathOf(recordPath) : recordPath;
  std::optional<WorkMeter> meter;
  // The source stays locked until the records name what it holds: another run or a cut of
  // this pair waits for it.
  if (!Prepare(wb, recordText, ui, meter)) return Ended::RecordChanged;
  if (!wb.isUndo) {
    // An undo pair that a cut was moving aside when it was stopped goes where it was going.
    FinishHalfMove(recordPath);
    wb.undo = UndoRecordFor(wb);
  }
  wb.expected = record.fingerprint;
  const bool holdsClip = wb.now == wb.clipAudio;
  CheckTheRange(wb, holdsClip);

  if (!holdsClip) {
    if (wb.keptPath.empty()) SaveWhatIsReplaced(wb, *meter);
    if (!wb.finishing) {
      ClipRecord before = wb.record;
      before.fingerprint = wb.now;
      const std::optional<KeptIn> keptIn = KeptInOf(wb.mainRecordPath, wb.keptPath);
      WriteReplacingMark(wb.mainRecordPath, {before, keptIn.value_or(KeptIn::Journal), wb.clipAudio});
      wb.ownsMark = true;
    }
    ui.SourceWriting(wb.record.sourcePath, static_cast<uint64_t>(wb.writeAt - wb.sourceLayout.DataStart()),
                     wb.writeBytes);
    try {
      CopyRange(wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize(), wb.source, wb.writeAt, wb.writeBytes,
                nullptr, &*meter);
    } catch (const StopRequested&) {
      PutRangeBack(wb);
      return wb.finishing ? Ended::StoppedFinishing : Ended::Stopped;
    }
  }
  // Flushed even when the range held the clip already: an earlier run may have stopped
  // before its bytes reached the disk.
  if (!wb.source.Flush()) throw EngineError(Text(texts::kWriteError));
  wb.clip.Close();
  RenewRecords(wb);
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
