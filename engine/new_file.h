#pragma once
// A file that appears under its name only when complete: it is written under the name with
// ".new" added, then renamed over the name. Until then anyone looking finds the file that
// was there before, or none; a NewFile dropped before Commit removes what it wrote.

#include <string>

#include "file.h"

namespace ostrevan {

class NewFile {
 public:
  // Creates `path` + ".new" (emptied if it was left there). Raises "ファイル %s を作成できません"
  // with `path`.
  explicit NewFile(std::string path);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  File& file() { return file_; }
  const std::string& path() const { return path_; }

  // Puts the written bytes on the disk when `flush` is set, then renames the file into place
  // (with the folder flushed too when `flush` is set). Raises "ストリームへの書き込みエラー" when the bytes cannot be put
  // on the disk, and "ファイル %s を作成できません" when the rename fails.
  void Commit(bool flush = true);

 private:
  std::string path_;
  std::string newPath_;
  File file_;
  bool committed_ = false;
};

}  // namespace ostrevan
