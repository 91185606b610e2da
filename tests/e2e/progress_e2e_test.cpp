// The real program during a long cut and write-back, slowed down from its environment
// (OSTREVAN_SLOW_BLOCK_MS): Form1 keeps answering, the progress window comes after a second
// and counts up, "中止" leaves the files as the engine promises. And the path label and the
// open dialog's folder.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>  // after windows.h

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <thread>

#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgressClass = "OstrevanProgress";
constexpr int kNameId = 100, kBarId = 101, kAmountId = 102;  // and "中止", IDCANCEL

// 16-bit stereo at 8000 Hz: 1,920,000 bytes a minute, so a 10-minute clip is five blocks of
// the engine's copies, each slowed on its own.
WaveShape SlowShape() { return SampleShape(1, 2, 8000, 16); }

int64_t MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

HWND VisibleWindowOf(const Program& program, const char* className) {
  return FindTopLevel(program.ProcessId(), className);
}

HWND ProgressWindowOf(const Program& program) { return VisibleWindowOf(program, kProgressClass); }

// Sends Form1 an empty message again and again from a thread of its own and times the
// answers: the longest is the longest time the window left its messages unread.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND form) : thread_([this, form] { Run(form); }) {}
  ~AnswerWatch() { Stop(); }
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;

  void Stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  int64_t LongestMs() const { return longest_; }
  bool EverHung() const { return hung_; }
  int Probes() const { return probes_; }

 private:
  void Run(HWND form) {
    while (running_) {
      const Clock::time_point sent = Clock::now();
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) hung_ = true;
      longest_ = std::max<int64_t>(longest_, MillisecondsSince(sent));
      if (IsHungAppWindow(form)) hung_ = true;
      ++probes_;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the probes' rate, not a wait
    }
  }

  std::atomic<bool> running_{true};
  std::atomic<int64_t> longest_{0};
  std::atomic<bool> hung_{false};
  std::atomic<int> probes_{0};
  std::thread thread_;
};

// Every file of a folder with its bytes.
std::map<std::string, Bytes> Snapshot(const std::string& folder) {
  std::map<std::string, Bytes> files;
  for (const std::string& name : NamesIn(folder)) files[name] = ReadFile(folder + "\\" + name);
  return files;
}

// What the progress window showed from when it came until it went.
struct ProgressSeen {
  HWND window = nullptr;
  int64_t appearedAfterMs = 0;
  std::string caption, name, button;
  HWND owner = nullptr;
  std::vector<std::string> amounts;  // each text as it changed
  std::vector<int> positions;        // each bar position as it changed
  bool formEnabledMeanwhile = false;
  bool boxBeforeItWent = false;  // an information or error box while it was still up
};

// Waits (up to 20 s) for the progress window; false, with the box's texts in the failure,
// when a box comes first.
bool WaitForProgressWindow(const Program& program, Clock::time_point started, ProgressSeen& seen) {
  const bool came = Eventually(
      [&] { return (seen.window = ProgressWindowOf(program)) != nullptr || VisibleWindowOf(program, "#32770"); },
      20000);
  if (!came || !seen.window) {
    if (HWND box = VisibleWindowOf(program, "#32770")) {
      ADD_FAILURE() << "a box came instead: "
                    << (program.ReadBox(box).texts.empty() ? "" : program.ReadBox(box).texts[0]);
    }
    return false;
  }
  seen.appearedAfterMs = MillisecondsSince(started);
  seen.caption = TextOf(seen.window);
  seen.name = TextOf(GetDlgItem(seen.window, kNameId));
  seen.button = TextOf(GetDlgItem(seen.window, IDCANCEL));
  seen.owner = GetWindow(seen.window, GW_OWNER);
  return true;
}

int BarPosition(HWND progress) {
  DWORD_PTR position = 0;
  SendMessageTimeoutW(GetDlgItem(progress, kBarId), PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
  return static_cast<int>(position);
}

// Reads the progress window until it goes (at most 60 s) and keeps every change.
void FollowUntilGone(const Program& program, ProgressSeen& seen) {
  const Clock::time_point start = Clock::now();
  while (IsWindow(seen.window) && IsWindowVisible(seen.window) && MillisecondsSince(start) < 60000) {
    const std::string amount = TextOf(GetDlgItem(seen.window, kAmountId));
    const int position = BarPosition(seen.window);
    if (!IsWindowVisible(seen.window)) break;
    if (seen.amounts.empty() || seen.amounts.back() != amount) seen.amounts.push_back(amount);
    if (seen.positions.empty() || seen.positions.back() != position) seen.positions.push_back(position);
    if (IsWindowEnabled(program.Form())) seen.formEnabledMeanwhile = true;
    if (VisibleWindowOf(program, "#32770") && IsWindowVisible(seen.window)) seen.boxBeforeItWent = true;
    Sleep(20);  // poll: a sample of the window every 20 ms until it goes
  }
}

// The bar moved on and never back, the bytes done changed, and the total stayed.
void ExpectCountsUp(const ProgressSeen& seen, const std::string& total) {
  EXPECT_TRUE(std::is_sorted(seen.positions.begin(), seen.positions.end()));
  EXPECT_GE(seen.positions.size(), 2u) << "the bar did not move while the window showed";
  int amounts = 0;
  for (const std::string& amount : seen.amounts) {
    if (amount.empty()) continue;  // nothing reported yet
    ++amounts;
    EXPECT_EQ(amount.substr(amount.find(" / ") + 3), total) << amount;
  }
  EXPECT_GE(amounts, 2) << "the bytes done did not change while the window showed";
}

std::string CutStopped(const std::string& clip) {
  return Text(u8"取り出しを中止しました。クリップ ") + clip +
         Text(u8" は作っていません（前からあったファイルはそのままです）");
}

std::string WriteBackStopped(const std::string& source) {
  return Text(u8"置き換えを中止しました。取り出し元 ") + source +
         Text(u8" は「実行」を押す前のままです（それより前の記録の置き換えは済んでいます）");
}

class LongWork : public ::testing::Test {
 protected:
  ScratchDir dir;

  // Writes rec.wav with `audio`, loads it and sets the length to 10 minutes.
  std::string LoadRecording(const Program& program, const Bytes& audio) {
    const std::string wave = dir.File("rec.wav");
    WriteFile(wave, MakeWave(SlowShape(), audio));
    program.Drop({wave});
    EXPECT_TRUE(Eventually([&] { return TextOf(program.Control("Label6")) == wave; }));
    SendMessageTimeoutW(program.Control("ComboBox1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"), SMTO_NORMAL, 5000,
                        nullptr);
    return wave;
  }

  // Presses `button`, waits for the progress window, runs `meanwhile` and presses "中止"
  // once the bar has passed `stopAfter` steps; returns the information box's texts.
  std::vector<std::string> StopWhenPast(
      const Program& program, const char* button, int stopAfter, const std::function<void()>& meanwhile = [] {}) {
    program.Click(program.Control(button));
    ProgressSeen seen;
    if (!WaitForProgressWindow(program, Clock::now(), seen)) return {};
    meanwhile();
    EXPECT_TRUE(Eventually([&] { return BarPosition(seen.window) > stopAfter; }, 30000)) << BarPosition(seen.window);
    program.Click(GetDlgItem(seen.window, IDCANCEL));
    const BoxContents box = program.AnswerBox();
    EXPECT_FALSE(IsWindow(seen.window) && IsWindowVisible(seen.window));
    EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(program.Form()) != FALSE; }));
    return box.texts;
  }
};

// A 10-minute clip cut and written back, each taking seconds. Throughout, Form1 answers
// within 200 ms and is never taken for hung; the progress window comes after a second,
// names the file, counts up and goes before "終わりました". Midway through the write-back
// the program is minimized and restored, the progress window moved and Form1 repainted.
TEST_F(LongWork, SlowedTenMinuteCutAndWriteBackKeepTheWindowAnswering) {
  ScopedEnvironment slow("OSTREVAN_SLOW_BLOCK_MS", "250");
  const uint64_t minute = BytesPerMinute(SlowShape());
  const Bytes audio = PatternBytes(11 * minute, 3);
  Program program;
  const std::string wave = LoadRecording(program, audio);
  AnswerWatch watch(program.Form());

  // The cut.
  const Clock::time_point cutStarted = Clock::now();
  program.Click(program.Control("Button2"));
  ProgressSeen cut;
  ASSERT_TRUE(WaitForProgressWindow(program, cutStarted, cut));
  FollowUntilGone(program, cut);
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_GE(cut.appearedAfterMs, 950);   // a second of work shows nothing
  EXPECT_LE(cut.appearedAfterMs, 2500);  // and then the window, even on a busy machine
  EXPECT_EQ(cut.caption, Text(u8"取り出し中"));
  EXPECT_EQ(cut.name, "rec-0-10.wav");
  EXPECT_EQ(cut.button, Text(u8"中止"));
  EXPECT_EQ(cut.owner, program.Form());
  EXPECT_FALSE(cut.formEnabledMeanwhile);
  EXPECT_FALSE(cut.boxBeforeItWent);
  ExpectCountsUp(cut, "19 MB");
  // As after any box: enabled again, the focus back on the button pressed.
  EXPECT_TRUE(Eventually(
      [&] { return IsWindowEnabled(program.Form()) && program.FocusedWindow() == program.Control("Button2"); }));
  const std::string clip = dir.File("rec-0-10.wav");
  EXPECT_EQ(DifferenceOf(WalkedAudio(clip), Slice(audio, 0, 10 * minute)), "");

  // The clip edited, its record listed and written back.
  const Bytes edited = PatternBytes(10 * minute, 9);
  PutBytes(clip, 44, edited);
  program.Drop({dir.File("rec-0-10.ini")});
  ASSERT_TRUE(Eventually([&] { return ListItems(program.Control("ListBox1")).size() == 1; }));
  const Clock::time_point writeBackStarted = Clock::now();
  program.Click(program.Control("Button3"));
  ProgressSeen writeBack;
  ASSERT_TRUE(WaitForProgressWindow(program, writeBackStarted, writeBack));
  EXPECT_GE(writeBack.appearedAfterMs, 950);
  EXPECT_EQ(writeBack.caption, Text(u8"置き換え中"));
  EXPECT_EQ(writeBack.name, "rec.wav");

  const HWND application = program.ApplicationWindow();
  PostMessageA(writeBack.window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(Eventually(
      [&] { return IsIconic(application) && !IsWindowVisible(program.Form()) && !IsWindowVisible(writeBack.window); }));
  PostMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(program.Form()) && IsWindowVisible(writeBack.window); }));
  RECT before;
  GetWindowRect(writeBack.window, &before);
  SetWindowPos(writeBack.window, nullptr, before.left + 40, before.top + 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(Eventually([&] {
    RECT now;
    GetWindowRect(writeBack.window, &now);
    return now.left == before.left + 40 && now.top == before.top + 30;
  }));
  InvalidateRect(program.Form(), nullptr, TRUE);
  EXPECT_TRUE(Eventually([&] { return !GetUpdateRect(program.Form(), nullptr, FALSE); }));  // painted

  FollowUntilGone(program, writeBack);
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  watch.Stop();
  EXPECT_FALSE(writeBack.formEnabledMeanwhile);
  EXPECT_FALSE(writeBack.boxBeforeItWent);
  ExpectCountsUp(writeBack, "76 MB");  // four passes over the range: read the clip and the range, keep it, write
  EXPECT_EQ(DifferenceOf(ReadFile(wave), MakeWave(SlowShape(), With(audio, 0, edited))), "");

  std::printf(
      "[ measured ] Form1's longest time without an answer during the slowed 10-minute cut and "
      "write-back: %lld ms (%d probes)\n",
      static_cast<long long>(watch.LongestMs()), watch.Probes());
  RecordProperty("longest_unanswered_ms", static_cast<int>(watch.LongestMs()));
  // The time is measured, not judged: a busy machine stretches it. A window that froze does
  // not answer within the watch's 5 s at all.
  EXPECT_FALSE(watch.EverHung());
  EXPECT_GT(watch.Probes(), 100);
  EXPECT_EQ(program.Close(), 0u);
}

// "中止" during a cut: no clip and no record, nor any other file; a clip and record there
// from an earlier cut stay as they were, byte for byte.
TEST_F(LongWork, StoppedCutLeavesNoClipAndTheEarlierOneUntouched) {
  ScopedEnvironment slow("OSTREVAN_SLOW_BLOCK_MS", "250");
  Program program;
  LoadRecording(program, PatternBytes(11 * BytesPerMinute(SlowShape()), 4));
  const std::string clip = dir.File("rec-0-10.wav");

  const auto nothingThere = Snapshot(dir.path());
  // A record dropped meanwhile waits for the end of the cut, as when the cut held the window.
  const std::string dropped = dir.File("later.ini");
  EXPECT_EQ(StopWhenPast(program, "Button2", 0,
                         [&] {
                           program.Drop({dropped});
                           program.Settle();
                           EXPECT_TRUE(ListItems(program.Control("ListBox1")).empty());
                         }),
            std::vector<std::string>{CutStopped(clip)});
  EXPECT_TRUE(Snapshot(dir.path()) == nothingThere) << "files: " << NamesIn(dir.path()).size();
  EXPECT_TRUE(Eventually([&] { return ListItems(program.Control("ListBox1")) == std::vector<std::string>{dropped}; }));

  program.Click(program.Control("Button2"));
  EXPECT_TRUE(Eventually([&] { return VisibleWindowOf(program, "#32770") != nullptr; }, 30000));
  ASSERT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  const auto earlierClip = Snapshot(dir.path());
  ASSERT_EQ(earlierClip.size(), 3u);

  EXPECT_EQ(StopWhenPast(program, "Button2", 0), std::vector<std::string>{CutStopped(clip)});
  EXPECT_TRUE(Snapshot(dir.path()) == earlierClip) << "files: " << NamesIn(dir.path()).size();
  EXPECT_EQ(program.Close(), 0u);
}

// "中止" during a write-back, while the clip and the range are read and while the clip is
// being written into the source: every file in the folder (source, clip, record) is as it
// was before "実行", and no undo, journal or unfinished file is left.
TEST_F(LongWork, StoppedWriteBackLeavesEveryFileAsBefore) {
  ScopedEnvironment slow("OSTREVAN_SLOW_BLOCK_MS", "150");
  const uint64_t minute = BytesPerMinute(SlowShape());
  Program program;
  const std::string wave = LoadRecording(program, PatternBytes(11 * minute, 5));
  program.Click(program.Control("Button2"));
  EXPECT_TRUE(Eventually([&] { return VisibleWindowOf(program, "#32770") != nullptr; }, 30000));
  ASSERT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  PutBytes(dir.File("rec-0-10.wav"), 44, PatternBytes(10 * minute, 6));
  program.Drop({dir.File("rec-0-10.ini")});
  ASSERT_TRUE(Eventually([&] { return ListItems(program.Control("ListBox1")).size() == 1; }));
  const auto before = Snapshot(dir.path());

  // Reading, then writing: the last quarter of the work writes the clip into the source.
  for (int stopAfter : {0, 3 * 1000 / 4}) {
    SCOPED_TRACE(stopAfter);
    EXPECT_EQ(StopWhenPast(program, "Button3", stopAfter), std::vector<std::string>{WriteBackStopped(wave)});
    EXPECT_TRUE(Snapshot(dir.path()) == before) << "files: " << NamesIn(dir.path()).size();
    EXPECT_EQ(DifferenceOf(ReadFile(wave), before.at("rec.wav")), "");
  }
  EXPECT_EQ(ListItems(program.Control("ListBox1")).size(), 1u);
  EXPECT_EQ(program.Close(), 0u);
}

// Waits for a box while watching for the progress window; true when it never showed.
bool BoxCameWithoutProgress(const Program& program) {
  bool progressSeen = false;
  const bool box = Eventually([&] {
    progressSeen = progressSeen || ProgressWindowOf(program) != nullptr;
    return VisibleWindowOf(program, "#32770") != nullptr;
  });
  return box && !progressSeen;
}

// Operations of a moment look as they always did: no progress window, the box, the focus
// back on the button. A path too long for Label6 is drawn shortened in its middle, while
// its text, which the handlers read, stays whole: the clip is cut beside the recording.
TEST(ShortWork, NoProgressWindowAndALongPathStaysWholeInLabel6) {
  ScratchDir dir;
  std::string folder = dir.path();
  for (const char* folderName :
       {u8"\\長いフォルダー名の録音_2026年12月_第一スタジオ", u8"\\ライブ録音_本番_マルチトラック"}) {
    folder += Text(folderName);
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  }
  const std::string wave = folder + "\\take.wav";
  WriteFile(wave, MakeWave(TestFormat(), PatternBytes(3 * kMinute, 2)));
  Program program;
  const HWND label6 = program.Control("Label6");
  EXPECT_EQ(GetWindowLongA(label6, GWL_STYLE) & SS_ELLIPSISMASK, SS_PATHELLIPSIS);
  program.Drop({wave});
  ASSERT_TRUE(Eventually([&] { return TextOf(label6) == wave; }));

  program.Click(program.Control("Button2"));
  EXPECT_TRUE(BoxCameWithoutProgress(program));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  // Asked in the code page, as the program names it (the library's own conversion may differ).
  EXPECT_NE(GetFileAttributesW(Wide((folder + "\\take-0-1.wav")).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Eventually([&] { return program.FocusedWindow() == program.Control("Button2"); }));

  program.Drop({folder + "\\take-0-1.ini"});
  ASSERT_TRUE(Eventually([&] { return ListItems(program.Control("ListBox1")).size() == 1; }));
  program.Click(program.Control("Button3"));
  EXPECT_TRUE(BoxCameWithoutProgress(program));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(TextOf(label6), wave);
  EXPECT_EQ(program.Close(), 0u);
}

// "参照" opens in the folder of the recording loaded, or, with none, in the folder where a
// file was chosen last: a bare name confirmed there is taken from that folder.
TEST(OpenDialogFolder, TheLoadedRecordingsElseTheLastChosen) {
  ScratchDir dir;
  const std::string a = dir.File("A"), b = dir.File("B");
  ASSERT_TRUE(CreateDirectoryW(Wide(a).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(b).c_str(), nullptr));
  for (const std::string& wave : {a + "\\a.wav", a + "\\a2.wav", b + "\\b.wav", b + "\\c.wav"}) {
    WriteFile(wave, MakeWave(TestFormat(), PatternBytes(2 * kMinute, 2)));
  }
  WriteFile(a + "\\short.wav", MakeWave(TestFormat(), PatternBytes(kMinute / 2, 2)));
  Program program;
  const HWND label6 = program.Control("Label6");
  auto choose = [&](const std::string& name, const std::string& shownName) {
    program.Click(program.Control("Button1"));
    const HWND dialog = program.WaitForDialog(Program::Dialog::Open);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(program.OpenDialogFileName(dialog), shownName);
    ASSERT_TRUE(program.ChooseInOpenDialog(dialog, name));
  };

  choose(b + "\\b.wav", "");
  EXPECT_TRUE(Eventually([&] { return TextOf(label6) == b + "\\b.wav"; }));

  // A short file dropped from A empties Label6: the dialog goes back to B.
  program.Drop({a + "\\short.wav"});
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"１分以下のWAVEは処理できません")});
  ASSERT_EQ(TextOf(label6), "");
  choose("c.wav", "b.wav");
  EXPECT_TRUE(Eventually([&] { return TextOf(label6) == b + "\\c.wav"; }));

  // A recording dropped from A: the dialog opens in A, without B's name.
  program.Drop({a + "\\a.wav"});
  ASSERT_TRUE(Eventually([&] { return TextOf(label6) == a + "\\a.wav"; }));
  choose("a2.wav", "");
  EXPECT_TRUE(Eventually([&] { return TextOf(label6) == a + "\\a2.wav"; }));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
