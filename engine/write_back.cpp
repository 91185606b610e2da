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
  std::string journalPath;         // what holds the range's bytes from before this run
  bool madeUndo = false;           // this run made the undo clip and record
  std::string expected;            // the fingerprint the range must hold: the record's
  std::string clipAudio;           // the fingerprint of what the range will hold
  std::string now;                 // and of what it holds
};

// Opens the source and the clip and reads both fingerprints. Raises what refuses the record.
void Prepare(WriteBack& wb, EngineUi& ui, std::optional<WorkMeter>& meter) {
  const ClipRecord& record = wb.record;
  const std::string clipPath = ClipPathOfRecord(wb.recordPath);
  if (record.clipBytes < 0) throw EngineError(Text(texts::kRangeCheck));

  if (!wb.source.Open(record.sourcePath, FileMode::ReadWriteExclusive)) {
    throw EngineError(FormatText(texts::kCannotOpen, record.sourcePath));
  }
  wb.sourceLayout = ReadCuttableLayout(wb.source, record.sourcePath);

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

  // The work: reading the clip and the range, copying the range aside, writing the clip.
  meter.emplace(ui, record.sourcePath, 4 * wb.writeBytes);
  // The clip is read whole before the source is touched, so a clip that cannot be read
  // leaves the source as it was.
  wb.clipAudio = FingerprintOfRange(wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize(), wb.writeBytes,
                                    &*meter);
  wb.now = FingerprintOfRange(wb.source, wb.writeAt, wb.writeBytes, wb.writeBytes, &*meter);
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
  wb.journalPath = copyPath;
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
  } catch (const EngineError&) {
    throw EngineError(FormatText(texts::kUndoNotWritten, failedPath));
  }
}

// After the source holds the clip's audio on the disk: the records name it, the undo record
// first (so an undo works as soon as the range has changed), and the journal goes.
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
  // The range and the records agree again: no journal of the pair is needed any more.
  for (const std::string& journal :
       {JournalPathOf(wb.mainRecordPath), JournalPathOf(UndoRecordPathOf(wb.mainRecordPath))}) {
    if (FileExists(journal)) RemoveFile(journal);
  }
}

// A stop while the source is written: the range goes back to the journal's bytes, which the
// records name, and a journal of this run is removed.
void PutRangeBack(WriteBack& wb) {
  File journal;
  const std::optional<AudioIn> saved = AudioOf(wb, wb.journalPath, journal);
  if (!saved) throw EngineError(FormatText(texts::kCannotOpen, wb.journalPath));
  CopyRange(*saved->file, saved->start, saved->available, wb.source, wb.writeAt, wb.writeBytes);
  if (!wb.source.Flush()) throw EngineError(Text(texts::kWriteError));
  journal.Close();
  // As if the run had not begun: its journal, or the undo files it made, go.
  if (wb.journalPath != UndoClipPathOf(wb.mainRecordPath)) RemoveFile(wb.journalPath);
  if (wb.madeUndo) {
    RemoveFile(UndoRecordPathOf(wb.mainRecordPath));
    RemoveFile(UndoClipPathOf(wb.mainRecordPath));
  }
}

void WriteBackOne(const std::string& recordPath, const ClipRecord& record, EngineUi& ui) {
  WriteBack wb;
  wb.recordPath = recordPath;
  wb.record = record;
  wb.isUndo = IsUndoRecordPath(recordPath);
  wb.mainRecordPath = wb.isUndo ? MainRecordPathOf(recordPath) : recordPath;
  std::optional<WorkMeter> meter;
  Prepare(wb, ui, meter);
  if (!wb.isUndo) wb.undo = UndoRecordFor(wb);
  wb.expected = record.fingerprint;

  const bool holdsClip = wb.now == wb.clipAudio;
  // The range must still hold what was cut (or last written) there, hold the clip's audio
  // already (a run repeated, or stopped after the source's write), or be what a run stopped
  // while writing it leaves.
  if (!holdsClip && !wb.expected.empty() && wb.now != wb.expected) {
    for (const std::string& journal : JournalCandidates(wb)) {
      if (wb.journalPath.empty() && IsAnInterruptedRun(wb, journal)) wb.journalPath = journal;
    }
    if (wb.journalPath.empty()) throw EngineError(FormatText(texts::kSourceChangedSinceCut, record.sourcePath));
  }

  if (!holdsClip) {
    // A stopped run's journal holds what it was replacing already.
    if (wb.journalPath.empty()) SaveWhatIsReplaced(wb, *meter);
    try {
      CopyRange(wb.clip, wb.clipLayout.DataStart(), wb.clipLayout.AudioSize(), wb.source, wb.writeAt, wb.writeBytes,
                nullptr, &*meter);
    } catch (const StopRequested&) {
      PutRangeBack(wb);
      throw;
    }
  }
  // Flushed even when the range held the clip already: an earlier run may have stopped
  // before its bytes reached the disk.
  if (!wb.source.Flush()) throw EngineError(Text(texts::kWriteError));
  wb.source.Close();
  wb.clip.Close();
  RenewRecords(wb);
}

}  // namespace

void WriteBackClips(const std::vector<std::string>& recordPaths, EngineUi& ui) {
  for (const std::string& recordPath : recordPaths) {
    const RecordLines lines = ReadRecordLines(recordPath);
    ui.ShowRecordText(lines.text);
    const ClipRecord record = ParseClipRecord(recordPath, lines);
    if (!FileExists(record.sourcePath)) {
      ui.ShowInfo(Text(texts::kSourceMissing) + record.sourcePath);
      return;
    }
    try {
      WriteBackOne(recordPath, record, ui);
    } catch (const StopRequested&) {
      ui.ShowInfo(FormatText(texts::kWriteBackStopped, record.sourcePath));
      return;
    }
  }
  ui.ShowInfo(Text(texts::kFinished));
}

}  // namespace ostrevan
