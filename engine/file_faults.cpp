#include "file_faults.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace ostrevan {

namespace {
std::atomic<FileFaults*> installed{nullptr};
}  // namespace

void SetFileFaults(FileFaults* faults) { installed.store(faults); }

FileFaults* InstalledFileFaults() { return installed.load(); }

void SlowFilesFromEnvironment() {
  const char* value = std::getenv("OSTREVAN_SLOW_BLOCK_MS");
  const int ms = value ? std::atoi(value) : 0;
  if (ms <= 0) return;
  class Slow : public FileFaults {
   public:
    explicit Slow(int ms) : ms_(ms) {}
    void BeforeTransfer(const std::string&, size_t size) override {
      if (size > 64 * 1024) std::this_thread::sleep_for(std::chrono::milliseconds(ms_));
    }

   private:
    int ms_;
  };
  static Slow slow(ms);
  SetFileFaults(&slow);
}

}  // namespace ostrevan
