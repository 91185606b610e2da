#pragma once
// The main window Form1 of class TForm1: its controls, built from the layout in Unit1Layout,
// and its event handlers.

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "Unit1Layout.h"
#include "engine_ui.h"
#include "level_scanner.h"
#include "minute_map.h"
#include "form_builder.h"
#include "form_controls.h"
#include "form_handlers.h"
#include "owned_window.h"
#include "open_dialog.h"
#include "progress_view.h"
#include "record_checker.h"

class TForm1 : public ostrevan::rules::FormControls, public ostrevan::EngineUi {
 public:
  // Creates the window, owned by `owner`, from its layout; FormCreate runs during creation.
  static TForm1* Create(HINSTANCE instance, HWND owner, HICON icon);
  HWND Handle() const { return handle_; }
  // Paths from the command line: routed as a drop once the window shows.
  void DropAfterShowing(std::vector<std::string> paths);

  // Event handlers.
  void FormCreate();
  void WMDropFiles(HDROP drop);
  void CommandLineDrop();
  void ListBox1Delete();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void ScrollBar1Change();
  void Label9Click(HWND sender);

  // The controls as the handlers see them.
  std::string StartMinuteText() const override;
  std::string SourcePath() const override;
  std::string LengthText() const override;
  bool FromStartMinute() const override;
  std::vector<std::string> RecordPaths() const override;
  ostrevan::rules::ScrollBarRange StartMinuteRange() const override;
  const ostrevan::LoadedWave& Loaded() const override { return loaded_; }
  void SetPlayTimeText(const std::string& text) override;
  void SetAttributesText(const std::string& text) override;
  void SetStartMinuteText(const std::string& text) override;
  void SetSourcePath(const std::string& text) override;
  void AddRecordPath(const std::string& text) override;
  void ClearRecordPaths() override;
  void EnableStartMinute() override;
  void SetStartMinuteRange(const ostrevan::rules::ScrollBarRange& range) override;
  void LoadingWave(const std::string& path) override;
  void WaveLoaded(const ostrevan::LoadedWave& wave) override;

  // What the engine shows: the information box, and the record text in Memo1.
  void ShowInfo(const std::string& text) override;
  void ShowRecordText(const std::string& text) override;
  void SourceWriting(const std::string& path, uint64_t offset, uint64_t size) override;

 private:
  TForm1() : controls_(ostrevan::app::kForm1Layout) {}
  template <typename Owner>
  friend LRESULT CALLBACK ostrevan::app::OwnedWindowProc(HWND, UINT, WPARAM, LPARAM);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void OnScroll(int request);
  void SetLabelText(ostrevan::app::ControlId id, const std::string& text);
  void UpdateRadioTabStops();
  // The minute map: placed over ScrollBar1's track, and its highlight set to what
  // "WAV保存" would cut now.
  void PlaceMinuteMap();
  void UpdateClipOnMap();
  void MinutePicked(int64_t minute);
  // ListBox1's items take the tags the checker has worked out so far.
  void ShowRecordTags();
  // From the checker's thread: the tags are shown soon, however often it is called.
  void RecordTagsChanged();
  // A cut or write-back on a worker thread, the window answering meanwhile (long_work.h).
  void RunLongWork(ostrevan::rules::LongWork kind, const ostrevan::rules::EngineWork& work);
  // A control of the layout through the wrapper of its kind.
  template <typename Kind>
  Kind Item(ostrevan::app::ControlId id) const {
    return Kind(controls_[id]);
  }

  HWND handle_ = nullptr;
  ostrevan::app::FormBuilder controls_;
  HWND savedFocus_ = nullptr;
  // While a long operation runs, the controls start nothing; a close waits for its end.
  bool busy_ = false;
  bool closeAfterWork_ = false;
  // The recording the last load that succeeded made ready (Label6 may name another since).
  ostrevan::LoadedWave loaded_;
  ostrevan::app::OpenDialog openDialog1_;
  // The map before the scanner: the scanner's thread tells the map, so it stops first.
  ostrevan::app::MinuteMap minuteMap1_;
  ostrevan::rules::LevelScanner scanner_{[this] { minuteMap1_.LevelsChanged(); }};
  std::vector<std::string> commandLinePaths_;
  // The loaded file's audio that a write-back is changing, measured again when it ends.
  std::vector<std::pair<uint64_t, uint64_t>> written_;
  // The records' tags, worked out on the checker's thread; last, so that it stops first.
  std::atomic<bool> tagsPosted_{false};
  ostrevan::rules::RecordChecker checker_{[this] { RecordTagsChanged(); }};
};

extern TForm1* Form1;
