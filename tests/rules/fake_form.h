#pragma once
// The main window's controls as plain fields, for checking the handlers without a window,
// and that stand-in form together with what the handlers report to.

#include <string>
#include <vector>

#include "engine_error.h"
#include "form_controls.h"
#include "form_handlers.h"
#include "test_files.h"
#include "texts.h"
#include "window_texts.h"

namespace ostrevan::rules::testing {

class FakeForm : public FormControls {
 public:
  std::string playTime, attributes, startMinute = "0", sourcePath, length = "1";
  bool fromStartMinute = true;
  bool startMinuteEnabled = true;
  ScrollBarRange startMinuteRange;
  std::vector<std::string> recordPaths;
  size_t recordCapacity = static_cast<size_t>(-1);
  int startMinuteWrites = 0;
  LoadedWave loaded;

  std::string StartMinuteText() const override { return startMinute; }
  std::string SourcePath() const override { return sourcePath; }
  std::string LengthText() const override { return length; }
  bool FromStartMinute() const override { return fromStartMinute; }
  std::vector<std::string> RecordPaths() const override { return recordPaths; }
  ScrollBarRange StartMinuteRange() const override { return startMinuteRange; }
  const LoadedWave& Loaded() const override { return loaded; }
  void SetPlayTimeText(const std::string& text) override { playTime = text; }
  void SetAttributesText(const std::string& text) override { attributes = text; }
  void SetStartMinuteText(const std::string& text) override {
    startMinute = text;
    ++startMinuteWrites;
  }
  void SetSourcePath(const std::string& text) override { sourcePath = text; }
  void AddRecordPath(const std::string& text) override {
    if (recordPaths.size() >= recordCapacity) throw EngineError(Text(texts::kListInsert));
    recordPaths.push_back(text);
  }
  void ClearRecordPaths() override { recordPaths.clear(); }
  void EnableStartMinute() override { startMinuteEnabled = true; }
  void SetStartMinuteRange(const ScrollBarRange& range) override { startMinuteRange = range; }
  void WaveLoaded(const LoadedWave& wave) override { loaded = wave; }
};

// The stand-in form, the messages it was given and a folder for the files it loads.
struct StandInWindow {
  ostrevan::testing::ScratchDir dir;
  FakeForm form;
  ostrevan::testing::RecordingUi ui;

  // Drops `names` on the window, as the shell hands them over.
  void Drop(const std::vector<std::string>& names) {
    DropFiles(static_cast<uint32_t>(names.size()), [&](uint32_t i) { return names[i]; }, form, ui);
  }
};

}  // namespace ostrevan::rules::testing
