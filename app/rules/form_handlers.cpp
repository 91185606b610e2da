#include "form_handlers.h"

#include "drop_routing.h"
#include "integer_text.h"
#include "save_clip.h"
#include "write_back.h"

namespace ostrevan::rules {

void StartMinuteChanged(FormControls& form) { form.SetStartMinuteText(DecimalText(form.StartMinuteRange().position)); }

void MoveStartMinute(FormControls& form, int64_t wanted) {
  ScrollBarRange range = form.StartMinuteRange();
  const int position = ClampScrollBarPosition(range, wanted);
  if (position == range.position) return;
  range.position = position;
  form.SetStartMinuteRange(range);
  StartMinuteChanged(form);
}

void ApplyLoadStage(const LoadOutcome& outcome, FormControls& form, EngineUi& ui) {
  form.SetPlayTimeText(outcome.playTimeText);
  form.SetAttributesText(outcome.attributesText);
  if (outcome.IsShortFile()) {
    ui.ShowInfo(outcome.shortFileMessage);
    form.SetSourcePath("");
    return;
  }
  // A file of at least one minute: any of its whole minutes can start a clip.
  form.EnableStartMinute();
  ScrollBarRange range = form.StartMinuteRange();
  const bool moved = SetScrollBarMaximum(range, outcome.wholeMinutes - 1);
  form.SetStartMinuteRange(range);
  if (moved) StartMinuteChanged(form);
}

void LoadSourcePath(FormControls& form, EngineUi& ui) {
  const std::string path = form.SourcePath();
  form.LoadingWave(path);
  LoadedWave wave;
  const LoadOutcome outcome = LoadWave(path, wave);
  form.WaveLoaded(wave);
  ApplyLoadStage(outcome, form, ui);
}

void OpenDialogChosen(const std::string& path, FormControls& form, EngineUi& ui) {
  form.SetSourcePath(path);
  LoadSourcePath(form, ui);
}

EngineWork SaveClipWork(const FormControls& form) {
  const ClipMode mode = form.FromStartMinute() ? ClipMode::StartMinute : ClipMode::FromEnd;
  // The recording as loaded and the path as shown: a cut refuses them when they differ.
  return [mode, wave = form.Loaded(), length = form.LengthText(), start = form.StartMinuteText(),
          path = form.SourcePath()](EngineUi& ui) { SaveClip(wave, length, start, path, mode, ui); };
}

EngineWork WriteBackWork(const FormControls& form) {
  return [records = form.RecordPaths()](EngineUi& ui) { WriteBackClips(records, ui); };
}

void ClearRecordsPressed(FormControls& form) { form.ClearRecordPaths(); }

void DropFiles(uint32_t count, const std::function<std::string(uint32_t)>& nameAt, FormControls& form,
               EngineUi& ui) {
  for (uint32_t i = 0; i < count; ++i) {
    const std::string name = nameAt(i);
    const DropRoute route = RouteDroppedName(name);
    if (route == DropRoute::LoadWave) {
      form.SetSourcePath(name);
      LoadSourcePath(form, ui);
    } else if (route == DropRoute::ListRecord) {
      form.AddRecordPath(name);
    }
  }
}

}  // namespace ostrevan::rules
