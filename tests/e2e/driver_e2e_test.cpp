// The driver's reads of the program's list and texts while they change under it, as the
// program clears and fills its list while a test reads it: each read comes whole, and the
// driver's own memory stays intact (a buffer sized from a stale length would be overrun).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "program_driver.h"

namespace ostrevan::e2e {
namespace {

bool IsOneOf(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(Driver, ReadsListItemsAndTextsWholeWhileTheyChange) {
  std::vector<std::string> texts;  // empty, short (within a string's own room), and long
  for (size_t length : {0, 1, 7, 8, 300, 5000, 40000}) {
    texts.push_back(std::string(length, static_cast<char>('a' + texts.size())));
  }
  Program program;
  const HWND list = program.Control("ListBox1"), label = program.Control("Label6");

  // Another thread of the driver changes them as fast as the program takes the changes.
  std::atomic<bool> writing{true}, stop{false};
  std::thread writer([&] {
    for (int round = 0; round < 300 && !stop; ++round) {
      const std::wstring text = Wide(texts[round % texts.size()]);
      const std::wstring other = Wide(texts[(round * 3 + 1) % texts.size()]);
      SendMessageTimeoutW(list, LB_RESETCONTENT, 0, 0, SMTO_NORMAL, kPatience, nullptr);
      for (const std::wstring* item : {&text, &other}) {
        SendMessageTimeoutW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item->c_str()), SMTO_NORMAL, kPatience,
                            nullptr);
      }
      SendMessageTimeoutW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()), SMTO_NORMAL, kPatience,
                          nullptr);
    }
    writing = false;
  });
  struct Join {
    std::thread& thread;
    std::atomic<bool>& stop;
    ~Join() {
      stop = true;
      thread.join();
    }
  } join{writer, stop};

  int reads = 0;
  while (writing) {
    for (const std::string& item : ListItems(list)) ASSERT_TRUE(IsOneOf(texts, item)) << item.size() << " characters";
    const std::string text = TextOf(label);
    ASSERT_TRUE(IsOneOf(texts, text)) << text.size() << " characters";
    ++reads;
  }
  EXPECT_GT(reads, 10);
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
