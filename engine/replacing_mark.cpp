#include "replacing_mark.h"

#include "block_copy.h"
#include "engine_error.h"
#include "file.h"
#include "fingerprint.h"
#include "new_file.h"
#include "pair_files.h"
#include "texts.h"

namespace ostrevan {

namespace {

struct KeptName {
  KeptIn keptIn;
  const char* word;  // as written in the mark
};
constexpr KeptName kKeptNames[] = {
    {KeptIn::UndoClip, "undo"}, {KeptIn::Journal, "journal"}, {KeptIn::UndoJournal, "undo journal"}};

}  // namespace

std::string KeptAudioPath(const std::string& mainRecordPath, KeptIn keptIn) {
  switch (keptIn) {
    case KeptIn::UndoClip: return UndoClipPathOf(mainRecordPath);
    case KeptIn::Journal: return JournalPathOf(mainRecordPath);
    case KeptIn::UndoJournal: return JournalPathOf(UndoRecordPathOf(mainRecordPath));
  }
  return "";
}

std::optional<KeptIn> KeptInOf(const std::string& mainRecordPath, const std::string& path) {
  for (const KeptName& kept : kKeptNames) {
    if (KeptAudioPath(mainRecordPath, kept.keptIn) == path) return kept.keptIn;
  }
  return std::nullopt;
}

void WriteReplacingMark(const std::string& mainRecordPath, const ReplacingMark& mark) {
  std::string text = RecordFileBytes(mark.range);
  for (const KeptName& kept : kKeptNames) {
    if (kept.keptIn == mark.keptIn) text += std::string(kept.word) + "\r\n";
  }
  text += mark.writing + "\r\n";
  NewFile file(ReplacingMarkPathOf(mainRecordPath));
  WriteExactly(file.file(), 0, text.data(), text.size());
  file.Commit();
}

std::optional<ReplacingMark> ReadReplacingMark(const std::string& mainRecordPath) {
  const std::string path = ReplacingMarkPathOf(mainRecordPath);
  if (!FileExists(path)) return std::nullopt;
  try {
    const RecordLines lines = ReadRecordLines(path);
    ReplacingMark mark;
    mark.range = ParseClipRecord(path, lines);
    const std::optional<std::string> writing = ParseFingerprintLine(lines.lines[5]);
    if (mark.range.fingerprint.empty() || !writing) return std::nullopt;
    mark.writing = *writing;
    for (const KeptName& kept : kKeptNames) {
      if (lines.lines[4] != kept.word) continue;
      mark.keptIn = kept.keptIn;
      return mark;
    }
  } catch (const EngineError&) {
  }
  return std::nullopt;
}

void RemoveReplacingMark(const std::string& mainRecordPath) {
  const std::string path = ReplacingMarkPathOf(mainRecordPath);
  if (!FileExists(path)) return;
  if (!RemoveFile(path) || !SyncFolderOf(path)) throw EngineError(Text(texts::kWriteError));
}

}  // namespace ostrevan
