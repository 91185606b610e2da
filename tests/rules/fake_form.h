#pragma once
// The main window's controls as plain fields, for checking the handlers without a window,
// and that stand-in form together with what the handlers report to.

#include <string>
#include <vector>

#include "codepage.h"
#include "engine_error.h"
#include "form_controls.h"
#include "form_handlers.h"
#include "test_files.h"
#include "texts.h"

namespace ostrevan::rules::testing {

class FakeForm : public FormControls {
 public:
  std::string label2, label3, label4 = "0", label6, comboBox1 = "1";
  bool radioButton1 = true;
  bool scrollBarEnabled = true;
  ScrollBarRange scrollBar;
  std::vector<std::string> listBox1;
  size_t listCapacity = static_cast<size_t>(-1);
  int label4Writes = 0;

  std::string Label4Text() const override { return label4; }
  std::string Label6Text() const override { return label6; }
  std::string ComboBox1Text() const override { return comboBox1; }
  bool RadioButton1Checked() const override { return radioButton1; }
  std::vector<std::string> ListBox1Items() const override { return listBox1; }
  ScrollBarRange ScrollBar1Range() const override { return scrollBar; }
  void SetLabel2Text(const std::string& text) override { label2 = text; }
  void SetLabel3Text(const std::string& text) override { label3 = text; }
  void SetLabel4Text(const std::string& text) override {
    label4 = text;
    ++label4Writes;
  }
  void SetLabel6Text(const std::string& text) override { label6 = text; }
  void AddListBox1Item(const std::string& text) override {
    if (listBox1.size() >= listCapacity) throw EngineError(Text(texts::kListInsert));
    listBox1.push_back(text);
  }
  void ClearListBox1() override { listBox1.clear(); }
  void EnableScrollBar1() override { scrollBarEnabled = true; }
  void SetScrollBar1Range(const ScrollBarRange& range) override { scrollBar = range; }
};

// The stand-in form, the messages it was given and a folder for the files it loads.
struct StandInWindow {
  ostrevan::testing::ScratchDir dir;
  FakeForm form;
  ostrevan::testing::RecordingUi ui;

  // Drops `names` on the window, as the shell hands them over.
  void Drop(const std::vector<std::string>& names) {
    DropFiles(static_cast<uint32_t>(names.size()), [&](uint32_t i) { return names[i]; }, form, ui,
              IsSystemLeadByte);
  }
};

}  // namespace ostrevan::rules::testing
