#include "new_file.h"

#include <utility>

#include "engine_error.h"
#include "pair_files.h"
#include "texts.h"

namespace ostrevan {

NewFile::NewFile(std::string path) : path_(std::move(path)), newPath_(path_ + kNewSuffix) {
  // Named as the user knows it: the name being made.
  if (!file_.Open(newPath_, FileMode::CreateEmpty)) throw EngineError(FormatText(texts::kCannotCreate, path_));
}

NewFile::~NewFile() {
  if (committed_) return;
  file_.Close();
  RemoveFile(newPath_);
}

void NewFile::Commit(bool flush) {
  if (flush && !file_.Flush()) throw EngineError(Text(texts::kWriteError));
  file_.Close();
  // A file not flushed gains nothing from a durable name.
  if (!ReplaceFileWith(newPath_, path_, flush)) throw EngineError(FormatText(texts::kCannotCreate, path_));
  committed_ = true;
}

}  // namespace ostrevan
