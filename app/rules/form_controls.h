#pragma once
// The main window's controls as the handlers see them: the state the engine reads and the
// places its results go. The window implements it with real controls, the tests with fields.

#include <string>
#include <vector>

#include "scroll_bar_rule.h"

namespace ostrevan::rules {

class FormControls {
 public:
  virtual ~FormControls() = default;

  virtual std::string Label4Text() const = 0;
  virtual std::string Label6Text() const = 0;
  virtual std::string ComboBox1Text() const = 0;
  virtual bool RadioButton1Checked() const = 0;
  virtual std::vector<std::string> ListBox1Items() const = 0;
  virtual ScrollBarRange ScrollBar1Range() const = 0;

  virtual void SetLabel2Text(const std::string& text) = 0;
  virtual void SetLabel3Text(const std::string& text) = 0;
  virtual void SetLabel4Text(const std::string& text) = 0;
  virtual void SetLabel6Text(const std::string& text) = 0;
  // Raises "行を挿入できません" when the list cannot take another item.
  virtual void AddListBox1Item(const std::string& text) = 0;
  virtual void ClearListBox1() = 0;
  virtual void EnableScrollBar1() = 0;
  virtual void SetScrollBar1Range(const ScrollBarRange& range) = 0;
};

}  // namespace ostrevan::rules
