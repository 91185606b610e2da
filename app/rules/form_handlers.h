#pragma once
// What each handler of the main window reads, calls and writes, apart from the window system.

#include <cstdint>
#include <functional>
#include <string>

#include "code_page_name.h"
#include "engine_ui.h"
#include "form_controls.h"
#include "lead_byte.h"
#include "load_wave.h"

namespace ostrevan::rules {

// ScrollBar1Change: Label4 shows the position in plain decimal.
void ScrollBar1Change(FormControls& form);

// A position asked for by the user: kept within the range, and the change handler runs
// when the position really changed.
void MoveScrollBar1(FormControls& form, int64_t wanted);

// The load's window stage: Label2, Label3, then either the short-file message followed by
// an empty Label6, or ScrollBar1 enabled with the last whole minute as its maximum.
void ApplyLoadStage(const LoadOutcome& outcome, FormControls& form, EngineUi& ui);

// Loads the text Label6 holds into the process-wide record and shows the result.
void LoadLabel6File(FormControls& form, EngineUi& ui);

// The open dialog returned `path`: it goes into Label6 and is loaded, whatever its ending.
// A path that the code page cannot hold exactly is refused before anything changes.
void OpenDialogChosen(const CodePageName& path, FormControls& form, EngineUi& ui);

// Button2Click: a clip from the loaded file, as the controls describe it.
void Button2Click(FormControls& form, EngineUi& ui);

// Button3Click: the write-back over the list's items, first to last.
void Button3Click(FormControls& form, EngineUi& ui);

// A long operation's engine call, the controls it needs read already: it may run away from
// the controls (on a worker thread, while the window keeps answering).
using EngineWork = std::function<void(EngineUi&)>;

// What Button2Click and Button3Click do, as such work.
EngineWork Button2Work(const FormControls& form);
EngineWork Button3Work(const FormControls& form);

// Button4Click: the list is emptied.
void Button4Click(FormControls& form);

// A drop of `count` files, the i-th named by `nameAt(i)`, routed in order. A name to be
// loaded or listed that the code page cannot hold exactly is refused. An error ends the
// drop: the files after it are not looked at.
void DropFiles(uint32_t count, const std::function<CodePageName(uint32_t)>& nameAt, FormControls& form,
               EngineUi& ui, const LeadBytePredicate& isLeadByte);

}  // namespace ostrevan::rules
