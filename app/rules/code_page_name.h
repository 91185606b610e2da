#pragma once
// A file name as the window receives it from the system: its bytes in the system code page,
// and whether those bytes stand for the name exactly.

#include <string>
#include <utility>

namespace ostrevan::rules {

struct CodePageName {
  // A name that came whole (as every name does that the system gives in the code page).
  CodePageName(std::string nameBytes) : bytes(std::move(nameBytes)) {}  // NOLINT: implicit on purpose
  CodePageName(std::string nameBytes, bool isExact) : bytes(std::move(nameBytes)), exact(isExact) {}

  std::string bytes;
  // False when a character of the name has no code in the code page and the bytes hold a
  // stand-in ("?" or a similar-looking character): opening them would open another file.
  bool exact = true;
};

// Raises "ファイル名 %s にはこのシステムのコード ページで表せない文字があります" for a name
// that is not exact.
void RequireExactName(const CodePageName& name);

}  // namespace ostrevan::rules
