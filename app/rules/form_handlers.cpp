#include "form_handlers.h"

#include "drop_routing.h"
#include "integer_text.h"
#include "save_clip.h"
#include "write_back.h"

namespace ostrevan::rules {

void ScrollBar1Change(FormControls& form) { form.SetLabel4Text(DecimalText(form.ScrollBar1Range().position)); }

void MoveScrollBar1(FormControls& form, int64_t wanted) {
  ScrollBarRange range = form.ScrollBar1Range();
  const int position = ClampScrollBarPosition(range, wanted);
  if (position == range.position) return;
  range.position = position;
  form.SetScrollBar1Range(range);
  ScrollBar1Change(form);
}

void ApplyLoadStage(const LoadOutcome& outcome, FormControls& form, EngineUi& ui) {
  form.SetLabel2Text(outcome.playTimeText);
  form.SetLabel3Text(outcome.attributesText);
  if (outcome.IsShortFile()) {
    ui.ShowInfo(outcome.shortFileMessage);
    form.SetLabel6Text("");
    return;
  }
  // A file of at least one minute: any of its whole minutes can start a clip.
  form.EnableScrollBar1();
  ScrollBarRange range = form.ScrollBar1Range();
  const bool moved = SetScrollBarMaximum(range, outcome.wholeMinutes - 1);
  form.SetScrollBar1Range(range);
  if (moved) ScrollBar1Change(form);
}

void LoadLabel6File(FormControls& form, EngineUi& ui) {
  const LoadOutcome outcome = LoadWave(form.Label6Text(), TheLoadedWave());
  ApplyLoadStage(outcome, form, ui);
}

void OpenDialogChosen(const CodePageName& path, FormControls& form, EngineUi& ui) {
  RequireExactName(path);
  form.SetLabel6Text(path.bytes);
  LoadLabel6File(form, ui);
}

void Button2Click(FormControls& form, EngineUi& ui) { Button2Work(form)(ui); }

void Button3Click(FormControls& form, EngineUi& ui) { Button3Work(form)(ui); }

EngineWork Button2Work(const FormControls& form) {
  const ClipMode mode = form.RadioButton1Checked() ? ClipMode::StartMinute : ClipMode::FromEnd;
  return [mode, length = form.ComboBox1Text(), start = form.Label4Text(), path = form.Label6Text()](EngineUi& ui) {
    SaveClip(TheLoadedWave(), length, start, path, mode, ui);
  };
}

EngineWork Button3Work(const FormControls& form) {
  return [records = form.ListBox1Items()](EngineUi& ui) { WriteBackClips(records, ui); };
}

void Button4Click(FormControls& form) { form.ClearListBox1(); }

void DropFiles(uint32_t count, const std::function<CodePageName(uint32_t)>& nameAt, FormControls& form,
               EngineUi& ui, const LeadBytePredicate& isLeadByte) {
  for (uint32_t i = 0; i < count; ++i) {
    const CodePageName dropped = nameAt(i);
    const std::string& name = dropped.bytes;
    const DropRoute route = RouteDroppedName(name, isLeadByte);
    if (route != DropRoute::PassOver) RequireExactName(dropped);
    if (route == DropRoute::LoadWave) {
      form.SetLabel6Text(name);
      const LoadOutcome outcome = LoadWave(name, TheLoadedWave());
      ApplyLoadStage(outcome, form, ui);
    } else if (route == DropRoute::ListRecord) {
      form.AddListBox1Item(name);
    }
  }
}

}  // namespace ostrevan::rules
