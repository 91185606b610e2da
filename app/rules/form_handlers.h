#pragma once
// What each handler of the main window reads, calls and writes, apart from the window system.

#include <cstdint>
#include <functional>
#include <string>

#include "engine_ui.h"
#include "form_controls.h"
#include "load_wave.h"

namespace ostrevan::rules {

// The start minute's scroll bar moved: its label (Label4) shows the position in plain decimal.
void StartMinuteChanged(FormControls& form);

// A position asked for by the user: kept within the range, and the change handler runs
// when the position really changed.
void MoveStartMinute(FormControls& form, int64_t wanted);

// The load's window stage: Label2, Label3, then either the short-file message followed by
// an empty Label6, or ScrollBar1 enabled with the last whole minute as its maximum.
void ApplyLoadStage(const LoadOutcome& outcome, FormControls& form, EngineUi& ui);

// Loads the source path the window shows (Label6), gives the window the recording when the
// load succeeds, and shows the result.
void LoadSourcePath(FormControls& form, EngineUi& ui);

// The open dialog returned `path`: it goes into Label6 and is loaded, whatever its ending.
void OpenDialogChosen(const std::string& path, FormControls& form, EngineUi& ui);

// A long operation's engine call, the controls it needs read already: it may run away from
// the controls (on a worker thread, while the window keeps answering).
using EngineWork = std::function<void(EngineUi&)>;

// "WAV保存" (Button2): a clip from the loaded file, as the controls describe it.
EngineWork SaveClipWork(const FormControls& form);
// "実行" (Button3): the write-back over the listed records, first to last.
EngineWork WriteBackWork(const FormControls& form);

// "リストクリア" (Button4): the list of records is emptied.
void ClearRecordsPressed(FormControls& form);

// A drop of `count` files, the i-th named by `nameAt(i)` (UTF-8), routed in order. An error
// ends the drop: the files after it are not looked at.
void DropFiles(uint32_t count, const std::function<std::string(uint32_t)>& nameAt, FormControls& form,
               EngineUi& ui);

}  // namespace ostrevan::rules
