#include "long_work.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "application.h"
#include "progress_window.h"
#include "unique_handle.h"

namespace ostrevan::app {

namespace {

constexpr const wchar_t* kCallWindowClass = L"OstrevanWorkCalls";
constexpr UINT kRunCall = WM_APP + 1;
constexpr UINT kSystemTimer = 0x0118;  // WM_SYSTIMER: the caret's blinking

// A call the worker hands to this thread, and what it raised here.
struct UiCall {
  std::function<void()> call;
  std::exception_ptr error;
};

LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunCall) return DefWindowProcW(window, message, wParam, lParam);
  auto* call = reinterpret_cast<UiCall*>(lParam);
  try {
    call->call();
  } catch (...) {
    call->error = std::current_exception();
  }
  return 0;
}

// A message-only window of this thread: what the worker sends it runs here, in order.
class CallWindow {
 public:
  CallWindow() {
    static const bool registered = [] {
      WNDCLASSW windowClass = {};
      windowClass.lpfnWndProc = CallWindowProc;
      windowClass.hInstance = TheApplication().Instance();
      windowClass.lpszClassName = kCallWindowClass;
      return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    handle_ = CreateWindowExW(0, kCallWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              TheApplication().Instance(), nullptr);
  }
  ~CallWindow() { DestroyWindow(handle_); }
  CallWindow(const CallWindow&) = delete;
  CallWindow& operator=(const CallWindow&) = delete;
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

// What the worker reports between blocks, and the stop asked for by "中止".
struct SharedProgress {
  std::mutex mutex;
  std::optional<rules::ProgressReport> last;
  std::atomic<bool> stop{false};
};

// The EngineUi the work is given on the worker thread.
class WorkerUi : public EngineUi {
 public:
  WorkerUi(HWND callWindow, EngineUi& ui, SharedProgress& shared, std::function<void()> beforeBox)
      : callWindow_(callWindow), ui_(ui), shared_(shared), beforeBox_(std::move(beforeBox)) {}

  void ShowInfo(const std::string& text) override {
    OnUiThread([&] {
      beforeBox_();
      ui_.ShowInfo(text);
    });
  }
  void ShowRecordText(const std::string& text) override {
    OnUiThread([&] { ui_.ShowRecordText(text); });
  }
  void SourceWriting(const std::string& path, uint64_t offset, uint64_t size) override {
    OnUiThread([&] { ui_.SourceWriting(path, offset, size); });
  }
  bool Progress(const std::string& path, uint64_t done, uint64_t total) override {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    shared_.last = rules::ProgressReport{path, done, total};
    return !shared_.stop;
  }

 private:
  // Blocks until the UI thread has run `call`; what it raised there is raised here, so the
  // engine sees it as it would without the thread.
  void OnUiThread(std::function<void()> call) const {
    UiCall sent{std::move(call), nullptr};
    SendMessageW(callWindow_, kRunCall, 0, reinterpret_cast<LPARAM>(&sent));
    if (sent.error) std::rethrow_exception(sent.error);
  }

  HWND callWindow_;
  EngineUi& ui_;
  SharedProgress& shared_;
  std::function<void()> beforeBox_;
};

// The UI thread's side: the message loop while the work runs, and the progress window.
class Watch {
 public:
  Watch(rules::LongWork kind, HWND owner, HFONT font, const LayoutScale& scale, SharedProgress& shared)
      : kind_(kind), owner_(owner), font_(font), scale_(scale), shared_(shared), since_(GetTickCount64()) {}

  // Handles messages until `finished` is signalled. A quit message is left for the main loop.
  void Pump(HANDLE finished) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
      const DWORD woke = MsgWaitForMultipleObjectsEx(1, &finished, TimeToProgress(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woke == WAIT_OBJECT_0) break;
      if (woke == WAIT_TIMEOUT) {
        RunHandler([this] { ShowProgress(); });
        continue;
      }
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          quit = true;
          quitCode = message.wParam;
          continue;
        }
        if (Holds(message)) {
          held_.push_back(message);
          continue;
        }
        if (progress_ && progress_->Visible() && IsDialogMessageW(progress_->Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    // What was held goes back into the queue first, then what was posted since: in the order
    // it came, as if the window had been busy all along.
    std::vector<MSG> queued = held_;
    MSG message;
    while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = message.wParam;
      } else if (!IsTimer(message)) {
        queued.push_back(message);
      }
    }
    for (const MSG& again : queued) {
      if (again.hwnd) {
        PostMessageW(again.hwnd, again.message, again.wParam, again.lParam);
      } else {
        PostThreadMessageW(GetCurrentThreadId(), again.message, again.wParam, again.lParam);
      }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
  }

  // An information box is coming: the progress window goes, and comes again after another
  // delay if the work goes on.
  void BeforeBox() {
    if (progress_) progress_->Hide();
    since_ = GetTickCount64();
  }

 private:
  // Timers come again by themselves; a timer message posted anew would be no timer's.
  static bool IsTimer(const MSG& message) { return message.message == WM_TIMER || message.message == kSystemTimer; }

  // Posted messages for the main window and its controls (clicks, keys, drops, a close) wait
  // for the end of the work, as they did when the work ran on this thread; painting, timers,
  // minimizing and moving go on.
  bool Holds(const MSG& message) const {
    if (!message.hwnd || message.message == WM_PAINT || IsTimer(message)) return false;
    if (message.hwnd == owner_) return message.message != WM_SYSCOMMAND && message.message != WM_NULL;
    return IsChild(owner_, message.hwnd) != FALSE;
  }

  // Milliseconds until the progress window is due; INFINITE once it shows.
  DWORD TimeToProgress() const {
    if (progress_ && progress_->Visible()) return INFINITE;
    const ULONGLONG elapsed = GetTickCount64() - since_;
    return elapsed >= static_cast<ULONGLONG>(rules::kProgressDelayMs)
               ? 0
               : static_cast<DWORD>(rules::kProgressDelayMs - elapsed);
  }

  void ShowProgress() {
    // Not while the program is minimized: it would stand alone on the desktop. Looked at
    // again shortly.
    if (!IsWindowVisible(owner_)) {
      since_ = GetTickCount64() - rules::kProgressDelayMs + 100;
      return;
    }
    if (!progress_) {
      progress_ = std::make_unique<ProgressWindow>(
          owner_, font_, scale_, [this] { return Current(); }, [this] { shared_.stop = true; });
    }
    progress_->Show();
  }

  rules::ProgressView Current() {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    return rules::DescribeProgress(kind_, shared_.last);
  }

  rules::LongWork kind_;
  HWND owner_;
  HFONT font_;
  const LayoutScale& scale_;
  SharedProgress& shared_;
  ULONGLONG since_;
  std::unique_ptr<ProgressWindow> progress_;
  std::vector<MSG> held_;
};

}  // namespace

void RunLongWork(rules::LongWork kind, const rules::EngineWork& work, EngineUi& ui, HWND owner, HFONT font,
                 const LayoutScale& scale) {
  std::exception_ptr error;
  {
    ModalScope modal;
    SharedProgress shared;
    CallWindow calls;
    Watch watch(kind, owner, font, scale, shared);
    WorkerUi workerUi(calls.Handle(), ui, shared, [&watch] { watch.BeforeBox(); });
    const UniqueHandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));  // manual reset
    if (!calls.Handle() || !finished) {
      // The system is out of windows or events: the work runs here, the window waiting.
      work(ui);
      return;
    }
    std::thread worker([&] {
      try {
        work(workerUi);
      } catch (...) {
        error = std::current_exception();
      }
      SetEvent(finished.Get());
    });
    watch.Pump(finished.Get());
    worker.join();
  }
  // The window is enabled again, so the error box is like any other.
  if (error) std::rethrow_exception(error);
}

}  // namespace ostrevan::app
