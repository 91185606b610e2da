#pragma once
// The main window's controls as the handlers see them: the state the engine reads and the
// places its results go. The window implements it with real controls, the tests with fields.

#include <string>
#include <vector>

#include "load_wave.h"
#include "scroll_bar_rule.h"

namespace ostrevan::rules {

class FormControls {
 public:
  virtual ~FormControls() = default;

  virtual std::string StartMinuteText() const = 0;
  virtual std::string SourcePath() const = 0;
  virtual std::string LengthText() const = 0;
  virtual bool FromStartMinute() const = 0;
  virtual std::vector<std::string> RecordPaths() const = 0;
  virtual ScrollBarRange StartMinuteRange() const = 0;
  // The recording the last load that succeeded made ready: what "WAV保存" cuts.
  virtual const LoadedWave& Loaded() const = 0;

  virtual void SetPlayTimeText(const std::string& text) = 0;
  virtual void SetAttributesText(const std::string& text) = 0;
  virtual void SetStartMinuteText(const std::string& text) = 0;
  virtual void SetSourcePath(const std::string& text) = 0;
  // Raises "行を挿入できません" when the list cannot take another item.
  virtual void AddRecordPath(const std::string& text) = 0;
  virtual void ClearRecordPaths() = 0;
  virtual void EnableStartMinute() = 0;
  virtual void SetStartMinuteRange(const ScrollBarRange& range) = 0;

  // A load of `path` is about to start: what was shown of the file before goes.
  virtual void LoadingWave(const std::string& /*path*/) {}
  // The load of `wave.path` succeeded: the window keeps `wave`, and its levels can be measured.
  virtual void WaveLoaded(const LoadedWave& wave) = 0;
};

}  // namespace ostrevan::rules
