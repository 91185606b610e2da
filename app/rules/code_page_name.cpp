#include "code_page_name.h"

#include "engine_error.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules {

void RequireExactName(const CodePageName& name) {
  if (!name.exact) throw EngineError(FormatText(texts::kNameNotInCodePage, name.bytes));
}

}  // namespace ostrevan::rules
