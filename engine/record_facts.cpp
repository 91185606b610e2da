#include "record_facts.h"

#include <algorithm>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "fingerprint.h"
#include "load_wave.h"
#include "pair_files.h"
#include "play_time.h"
#include "replacing_mark.h"
#include "texts.h"

namespace ostrevan {

void AudioIn::Read(uint64_t done, unsigned char* out, size_t size) const {
  ReadOrZeros(*file, start, available, done, out, size);
}

std::optional<AudioIn> AudioOf(OpenedRecord& opened, const std::string& path, File& file) {
  if (path == ClipPathOfRecord(opened.recordPath)) {
    return AudioIn{&opened.clip, opened.clipLayout.DataStart(), opened.clipLayout.AudioSize()};
  }
  if (!file.Open(path, FileMode::ReadShared)) return std::nullopt;
  const std::optional<AudioLayout> layout = ReadAudioLayout(file);
  if (!layout || layout->format != opened.sourceLayout.format) return std::nullopt;
  return AudioIn{&file, layout->DataStart(), layout->AudioSize()};
}

namespace {

// Raised inside the gathering with the state a refusal counts as.
struct Refusal {
  RecordState state;
  std::string text;
};

// Opens the source and the clip, checks what refuses them, and fingerprints the range and
// the clip. False when the record changed under the source's lock.
bool OpenAndFingerprint(OpenedRecord& opened, const ClipRecord& record, const std::string& recordText,
                        Gathering gathering, EngineUi& ui, RecordFacts& facts, std::optional<WorkMeter>& meter) {
  const std::string clipPath = ClipPathOfRecord(opened.recordPath);
  const bool check = gathering == Gathering::ForCheck;
  // What cannot be opened or read is missing; a layout that no longer fits has changed.
  RecordState failing = RecordState::Missing;
  try {
    if (!FileExists(record.sourcePath)) throw Refusal{RecordState::Missing, Text(texts::kSourceMissing) + record.sourcePath};
    if (!opened.source.Open(record.sourcePath, check ? FileMode::ReadShared : FileMode::ReadWriteExclusive)) {
      throw EngineError(FormatText(texts::kCannotOpen, record.sourcePath));
    }
    opened.sourceLayout = ReadCuttableLayout(opened.source, record.sourcePath);
    if (!check && ReadRecordLines(opened.recordPath).text != recordText) return false;

    // Writes stay inside the source's audio data as it is now.
    const auto audioSize = static_cast<int64_t>(opened.sourceLayout.AudioSize());
    if (record.clipOffset < 0 || (record.clipBytes > 0 && record.clipOffset >= audioSize)) {
      throw Refusal{RecordState::Invalid, FormatText(texts::kRangeOutsideData, opened.recordPath)};
    }
    // A cut always starts on a whole frame and holds whole frames: anything else was not made
    // by a cut, and would write part of a frame.
    const uint16_t frame = opened.sourceLayout.format.blockAlign;
    if (frame != 0 && (record.clipOffset % frame != 0 || record.clipBytes % frame != 0)) {
      throw Refusal{RecordState::Changed, FormatText(texts::kSourceChangedSinceCut, record.sourcePath)};
    }
    // An empty range may lie anywhere, even past the end: it writes nothing, and its offset
    // is not added to a position.
    opened.writeBytes = record.clipOffset >= audioSize
                            ? 0
                            : static_cast<uint64_t>(std::min(record.clipBytes, audioSize - record.clipOffset));
    opened.writeAt = opened.sourceLayout.DataStart() + (opened.writeBytes == 0 ? 0 : record.clipOffset);

    if (!opened.clip.Open(clipPath, check ? FileMode::ReadShared : FileMode::ReadExclusive)) {
      throw EngineError(FormatText(texts::kCannotOpen, clipPath));
    }
    opened.clipLayout = ReadCuttableLayout(opened.clip, clipPath);
    failing = RecordState::Changed;
    if (opened.clipLayout.format != opened.sourceLayout.format) {
      throw EngineError(FormatText(texts::kFormatMismatch, clipPath));
    }
    // A clip that ends before its own header says is a broken copy, not an edit.
    if (opened.clipLayout.statedBeyondFile) throw EngineError(FormatText(texts::kClipCutShort, clipPath));
    // An editor that made the clip shorter or longer moved its audio in time: writing it would
    // leave silence, or drop its tail. A clip of a range that runs past the audio's end may
    // hold that part or not.
    const uint64_t clipLength = opened.clipLayout.AudioSize();
    if (clipLength < opened.writeBytes || clipLength > static_cast<uint64_t>(record.clipBytes)) {
      const uint64_t rangeLength =
          clipLength < opened.writeBytes ? opened.writeBytes : static_cast<uint64_t>(record.clipBytes);
      const SampleFormat& format = opened.sourceLayout.format;
      throw EngineError(FormatText(texts::kClipLengthDiffers,
                                   {clipPath, LengthText(clipLength, format.blockAlign, format.sampleRate),
                                    LengthText(rangeLength, format.blockAlign, format.sampleRate)}));
    }

    // A write-back reads the clip and the range, copies the range aside and writes the clip.
    failing = RecordState::Missing;
    meter.emplace(ui, record.sourcePath, (check ? 2 : 4) * opened.writeBytes);
    // The clip is read whole before the source is touched, so a clip that cannot be read
    // leaves the source as it was.
    facts.clipAudio = FingerprintOfRange(opened.clip, opened.clipLayout.DataStart(), opened.clipLayout.AudioSize(),
                                         opened.writeBytes, &*meter);
    facts.now = FingerprintOfRange(opened.source, opened.writeAt, opened.writeBytes, opened.writeBytes, &*meter);
  } catch (const Refusal& refusal) {
    facts.fault = refusal.state;
    facts.faultText = refusal.text;
  } catch (const EngineError& error) {
    facts.fault = failing;
    facts.faultText = error.message();
  }
  return true;
}

// The undo files of the pair of a record X.ini, as found.
void GatherUndoFacts(OpenedRecord& opened, RecordFacts& facts) {
  const std::string undoRecordPath = UndoRecordPathOf(opened.recordPath);
  facts.undoHalfMoved = HalfMovedPairOf(opened.recordPath).has_value();
  facts.undoClipThere = FileExists(UndoClipPathOf(opened.recordPath));
  if (!FileExists(undoRecordPath)) return;
  // One that cannot be read is not taken for none: that would move it aside.
  const std::optional<ClipRecord> undo = ReadRecordIfThere(undoRecordPath);
  facts.undoRecord = undo && SameRange(*undo, facts.record) ? UndoRecordFact::ThisRange : UndoRecordFact::OtherRange;
  if (undo) facts.undoFingerprint = undo->fingerprint;
}

// The pair's mark, when it names this range, and whether the file it names keeps that audio.
void GatherMarkFacts(OpenedRecord& opened, RecordFacts& facts, WorkMeter& meter) {
  std::optional<ReplacingMark> mark = ReadReplacingMark(opened.mainRecordPath);
  if (!mark || !SameRange(mark->range, facts.record)) return;
  facts.mark = mark;
  const std::string& expected = facts.record.fingerprint;
  if ((!expected.empty() && mark->range.fingerprint != expected) || !StaysInPlace(facts, mark->keptIn)) return;
  File keptFile;
  meter.Expect(opened.writeBytes);
  const std::optional<AudioIn> kept = AudioOf(opened, KeptAudioPath(opened.mainRecordPath, mark->keptIn), keptFile);
  if (!kept || kept->available < opened.writeBytes) return;
  const std::string keptAudio = FingerprintOfRange(*kept->file, kept->start, kept->available, opened.writeBytes, &meter);
  facts.markKeptIntact = keptAudio == mark->range.fingerprint;
}

// True when the file `journalPath` holds what the record names, and every byte of the range
// equals the byte at the same place in that file, the clip or the pair's other clip: what a
// write-back or an undo stopped at any point leaves, and nothing else does.
bool IsAnInterruptedRun(OpenedRecord& opened, const RecordFacts& facts, const std::string& journalPath,
                        WorkMeter& meter) {
  File journalFile, otherFile;
  const std::optional<AudioIn> journal = AudioOf(opened, journalPath, journalFile);
  if (!journal) return false;
  meter.Expect(opened.writeBytes);
  std::vector<AudioIn> sources = {
      *journal, {&opened.clip, opened.clipLayout.DataStart(), opened.clipLayout.AudioSize()}};
  // The pair's other clip: a write-back's undo clip, or the clip an undo undoes.
  const std::string other =
      facts.isUndo ? ClipPathOfRecord(opened.mainRecordPath) : UndoClipPathOf(opened.mainRecordPath);
  if (other != journalPath && (facts.isUndo || StaysInPlace(facts, KeptIn::UndoClip))) {
    if (const std::optional<AudioIn> audio = AudioOf(opened, other, otherFile)) sources.push_back(*audio);
  }

  constexpr size_t kBlock = 1 << 20;
  std::vector<unsigned char> range(kBlock);
  std::vector<std::vector<unsigned char>> candidates(sources.size(), std::vector<unsigned char>(kBlock));
  Fingerprint journalAudio;
  for (uint64_t done = 0; done < opened.writeBytes; done += kBlock) {
    const auto size = static_cast<size_t>(std::min<uint64_t>(kBlock, opened.writeBytes - done));
    AudioIn{&opened.source, opened.writeAt, opened.writeBytes}.Read(done, range.data(), size);
    for (size_t k = 0; k < sources.size(); ++k) sources[k].Read(done, candidates[k].data(), size);
    for (size_t i = 0; i < size; ++i) {
      bool explained = false;
      for (const auto& candidate : candidates) explained = explained || candidate[i] == range[i];
      if (!explained) return false;
    }
    journalAudio.Update(candidates[0].data(), size);
    meter.Add(size);
  }
  return journalAudio.Text() == facts.record.fingerprint;
}

}  // namespace

bool GatherRecordFacts(const std::string& recordPath, const ClipRecord& record, const std::string& recordText,
                       Gathering gathering, EngineUi& ui, OpenedRecord& opened, RecordFacts& facts,
                       std::optional<WorkMeter>& meter) {
  facts.recordPath = recordPath;
  facts.record = record;
  facts.isUndo = IsUndoRecordPath(recordPath);
  opened.recordPath = recordPath;
  opened.mainRecordPath = facts.isUndo ? MainRecordPathOf(recordPath) : recordPath;
  if (!OpenAndFingerprint(opened, record, recordText, gathering, ui, facts, meter)) return false;
  if (facts.fault) return true;
  try {
    if (!facts.isUndo) GatherUndoFacts(opened, facts);
    GatherMarkFacts(opened, facts, *meter);
    for (KeptIn keptIn : InterruptedRunCandidates(facts)) {
      if (IsAnInterruptedRun(opened, facts, KeptAudioPath(opened.mainRecordPath, keptIn), *meter)) {
        facts.interruptedBy = keptIn;
        break;
      }
    }
    if (gathering == Gathering::ForCheck) {
      // Whether an undo would change the range: its clip against what the range holds.
      if (facts.isUndo) {
        facts.undoClipAudio = facts.clipAudio;
      } else if (facts.undoRecord == UndoRecordFact::ThisRange && !facts.undoHalfMoved) {
        File undoFile;
        if (const std::optional<AudioIn> undo = AudioOf(opened, UndoClipPathOf(recordPath), undoFile)) {
          meter->Expect(opened.writeBytes);
          facts.undoClipAudio = FingerprintOfRange(*undo->file, undo->start, undo->available, opened.writeBytes, &*meter);
        }
      }
    }
  } catch (const EngineError& error) {
    facts.fault = RecordState::Missing;
    facts.faultText = error.message();
  }
  return true;
}

CutPairFacts GatherCutPairFacts(const std::string& recordPath) {
  CutPairFacts facts;
  const std::string clipPath = ClipPathOfRecord(recordPath);
  facts.clipThere = FileExists(clipPath);
  if (facts.clipThere) {
    try {
      File clip;
      if (clip.Open(clipPath, FileMode::ReadExclusive)) {
        const AudioLayout layout = ReadCuttableLayout(clip, clipPath);
        facts.clipAudio = FingerprintOfRange(clip, layout.DataStart(), layout.AudioSize(), layout.AudioSize());
      }
    } catch (const EngineError&) {
      // An unreadable clip is kept aside like an edited one.
    }
  }
  facts.recordThere = FileExists(recordPath);
  facts.record = TryReadClipRecord(recordPath);
  const std::string undoRecordPath = UndoRecordPathOf(recordPath);
  for (const std::string& left :
       {JournalPathOf(recordPath), JournalPathOf(undoRecordPath), ReplacingMarkPathOf(recordPath)}) {
    facts.leftByStoppedRun = facts.leftByStoppedRun || FileExists(left);
  }
  facts.undoFilesThere = FileExists(undoRecordPath) || FileExists(UndoClipPathOf(recordPath));
  facts.undoRecord = TryReadClipRecord(undoRecordPath);
  return facts;
}

}  // namespace ostrevan
