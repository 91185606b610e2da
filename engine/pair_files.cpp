#include "pair_files.h"

#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "integer_text.h"
#include "texts.h"

namespace ostrevan {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

}  // namespace

std::string PairBase(const std::string& recordPath) { return PathWithoutExtension(recordPath); }
std::string ClipPathOfRecord(const std::string& recordPath) { return PairBase(recordPath) + ".wav"; }
std::string UndoRecordPathOf(const std::string& recordPath) { return PairBase(recordPath) + kUndoSuffix + ".ini"; }
std::string UndoClipPathOf(const std::string& recordPath) { return PairBase(recordPath) + kUndoSuffix + ".wav"; }
std::string JournalPathOf(const std::string& recordPath) { return PairBase(recordPath) + ".journal.wav"; }

bool IsUndoRecordPath(const std::string& recordPath) { return EndsWithIgnoringCase(recordPath, ".undo.ini"); }

std::string MainRecordPathOf(const std::string& undoRecordPath) {
  const std::string base = PairBase(undoRecordPath);  // X.undo
  return base.substr(0, base.size() - std::string(kUndoSuffix).size()) + ".ini";
}

std::vector<std::string> PairFilesOf(const std::string& recordPath) {
  const std::string undoRecord = UndoRecordPathOf(recordPath);
  return {ClipPathOfRecord(recordPath), UndoClipPathOf(recordPath), JournalPathOf(recordPath),
          JournalPathOf(undoRecord),    undoRecord,                   recordPath};
}

std::string FreeRecordPathBeside(const std::string& recordPath) {
  for (int64_t n = 2;; ++n) {
    const std::string candidate = PairBase(recordPath) + " (" + DecimalText(n) + ").ini";
    bool free = true;
    for (const std::string& file : PairFilesOf(candidate)) free = free && !FileExists(file);
    if (free) return candidate;
  }
}

void MovePair(const std::string& recordPath, const std::string& toRecordPath, bool undoOnly) {
  const std::vector<std::string> from = PairFilesOf(recordPath);
  const std::vector<std::string> to = PairFilesOf(toRecordPath);
  const std::string undoBase = PairBase(recordPath) + kUndoSuffix;
  for (size_t i = 0; i < from.size(); ++i) {
    const bool undoFile = from[i].compare(0, undoBase.size(), undoBase) == 0;
    if ((undoOnly && !undoFile) || !FileExists(from[i])) continue;
    if (!ReplaceFileWith(from[i], to[i])) throw EngineError(FormatText(texts::kCannotCreate, to[i]));
  }
}

}  // namespace ostrevan
