#include "level_scan.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine_error.h"
#include "level_kernels.h"
#include "texts.h"

namespace ostrevan {

namespace {

constexpr uint16_t kIntegerPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;

// Blocks of 1 MiB stay in the processor's caches between the read and the sums.
constexpr size_t kScanBlockSize = 1024 * 1024;
// How many blocks may be read ahead of the minutes handed to the sink.
constexpr int64_t kReadAhead = 4;

uint64_t FramesPerMinute(const AudioLayout& layout) {
  return static_cast<uint64_t>(layout.format.sampleRate) * kSecondsPerMinute;
}

uint64_t FrameCount(const AudioLayout& layout) {
  return layout.format.blockAlign ? layout.audioSize / layout.format.blockAlign : 0;
}

// One block of the scan: a piece of one minute, read and summed.
struct BlockSums {
  enum class State { Pending, Summed, Failed } state = State::Pending;
  level_kernels::RunLevel run;
  uint64_t samples = 0;
  uint64_t bytes = 0;
  std::string error;
};

// The minutes [first, end) cut into blocks of at most one buffer, none across a minute's end,
// so that each block belongs to one minute. Two threads read and sum blocks (reading a cached
// file costs about as much as summing it, and each block stays in its own core's cache), and
// the calling thread hands the minutes to the sink in order.
class BlockScan {
 public:
  BlockScan(File& file, const std::string& path, const AudioLayout& layout, int64_t first, int64_t end)
      : file_(file),
        path_(path),
        layout_(layout),
        first_(first),
        end_(end),
        width_(layout.format.blockAlign / layout.format.channels),
        kernel_(level_kernels::KernelFor(layout.format.encoding, width_)),
        blockSize_(kScanBlockSize / layout.format.blockAlign * layout.format.blockAlign),
        blocksPerMinute_(static_cast<int64_t>((FramesPerMinute(layout) * layout.format.blockAlign + blockSize_ - 1) /
                                              blockSize_)),
        blockCount_(blocksPerMinute_ * (end - first)) {}

  ~BlockScan() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (helper_.joinable()) helper_.join();
  }
  BlockScan(const BlockScan&) = delete;
  BlockScan& operator=(const BlockScan&) = delete;

  ScanOutcome Run(LevelSink& sink) {
    ScanOutcome outcome;
    outcome.nextMinute = first_;
    const ByteSpan last = MinuteSpan(layout_, end_ - 1);
    const uint64_t total = last.offset + last.size - MinuteSpan(layout_, first_).offset;
    uint64_t done = 0;
    MinuteLevel level;
    double sumSquares = 0;
    uint64_t samples = 0;
    std::vector<unsigned char> buffer(blockSize_);
    if (blockCount_ > 1 && std::thread::hardware_concurrency() != 1) StartHelper();

    std::unique_lock<std::mutex> lock(mutex_);
    while (handedOut_ < blockCount_) {
      // Asked before each block, also one the other thread has summed already: a stop gives
      // no minute after it.
      lock.unlock();
      if (!sink.KeepGoing()) {
        outcome.end = ScanEnd::Stopped;
        return outcome;
      }
      lock.lock();
      BlockSums& slot = slots_[handedOut_ % kReadAhead];
      if (slot.state == BlockSums::State::Pending) {
        if (CanClaim()) {
          SumNextBlock(lock, buffer);
        } else {
          changed_.wait(lock, [&] { return slot.state != BlockSums::State::Pending; });
        }
        continue;
      }
      if (slot.state == BlockSums::State::Failed) {
        outcome.end = ScanEnd::Failed;
        outcome.error = slot.error;
        return outcome;
      }
      const BlockSums sums = std::move(slot);
      slot = BlockSums();
      const int64_t block = handedOut_++;
      lock.unlock();
      changed_.notify_all();

      level.peak = std::max(level.peak, sums.run.peak);
      sumSquares += sums.run.sumSquares;
      samples += sums.samples;
      done += sums.bytes;
      if ((block + 1) % blocksPerMinute_ == 0) {
        const int64_t minute = first_ + block / blocksPerMinute_;
        level.seconds = static_cast<double>(MinuteSpan(layout_, minute).size / layout_.format.blockAlign) /
                        layout_.format.sampleRate;
        level.meanSquare = samples ? sumSquares / static_cast<double>(samples) : 0;
        sink.Scanned(minute, level);
        outcome.nextMinute = minute + 1;
        level = MinuteLevel();
        sumSquares = 0;
        samples = 0;
      }
      sink.BytesRead(done, total);
      lock.lock();
    }
    return outcome;
  }

 private:
  // With the lock held: whether a block is left to read and its slot is free.
  bool CanClaim() const { return !stop_ && claimed_ < blockCount_ && claimed_ < handedOut_ + kReadAhead; }

  // With the lock held, which it lets go meanwhile: reads and sums the next block into its slot.
  void SumNextBlock(std::unique_lock<std::mutex>& lock, std::vector<unsigned char>& buffer) {
    const int64_t block = claimed_++;
    lock.unlock();
    BlockSums sums = Sum(block, buffer);
    lock.lock();
    slots_[block % kReadAhead] = std::move(sums);
  }

  void StartHelper() {
    try {
      helper_ = std::thread([this] {
        try {
          std::vector<unsigned char> buffer(blockSize_);
          std::unique_lock<std::mutex> lock(mutex_);
          while (true) {
            changed_.wait(lock, [&] { return stop_ || claimed_ >= blockCount_ || CanClaim(); });
            if (stop_ || claimed_ >= blockCount_) return;
            SumNextBlock(lock, buffer);
            lock.unlock();
            changed_.notify_all();
            lock.lock();
          }
        } catch (...) {
          // No memory for a second buffer: the calling thread reads the rest alone.
        }
      });
    } catch (...) {
      // No second thread: the same.
    }
  }

  // Reads and sums block `block`; never raises.
  BlockSums Sum(int64_t block, std::vector<unsigned char>& buffer) const {
    BlockSums sums;
    try {
      const ByteSpan minute = MinuteSpan(layout_, first_ + block / blocksPerMinute_);
      const uint64_t offset = static_cast<uint64_t>(block % blocksPerMinute_) * blockSize_;
      sums.bytes = offset < minute.size ? std::min(blockSize_, minute.size - offset) : 0;
      const auto want = static_cast<size_t>(sums.bytes);
      // A block past the end of a shorter last minute reads nothing.
      if (want > 0 && file_.ReadAt(layout_.DataStart() + static_cast<int64_t>(minute.offset + offset),
                                   buffer.data(), want) < want) {
        sums.state = BlockSums::State::Failed;
        sums.error = FormatText(texts::kAudioEndsEarly, path_);
        return sums;
      }
      sums.samples = want / static_cast<size_t>(width_);
      sums.run = kernel_(buffer.data(), sums.samples);
      sums.state = BlockSums::State::Summed;
    } catch (...) {
      sums.state = BlockSums::State::Failed;
      sums.error = CurrentErrorMessage();
    }
    return sums;
  }

  File& file_;
  const std::string& path_;
  const AudioLayout& layout_;
  const int64_t first_;
  const int64_t end_;
  const int width_;
  const level_kernels::Kernel kernel_;
  const uint64_t blockSize_;
  const int64_t blocksPerMinute_;
  const int64_t blockCount_;

  std::mutex mutex_;
  std::condition_variable changed_;
  BlockSums slots_[kReadAhead];
  int64_t claimed_ = 0;    // blocks taken by a thread to read
  int64_t handedOut_ = 0;  // blocks summed into their minutes
  bool stop_ = false;
  std::thread helper_;
};

}  // namespace

double MinuteLevel::PeakDbfs() const {
  return peak > 0 ? 20 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

double MinuteLevel::RmsDbfs() const {
  return meanSquare > 0 ? 10 * std::log10(meanSquare) : -std::numeric_limits<double>::infinity();
}

MinuteLevel CombineMinutes(const MinuteLevel* minutes, size_t count) {
  MinuteLevel combined;
  double energy = 0;
  for (size_t i = 0; i < count; ++i) {
    combined.seconds += minutes[i].seconds;
    combined.peak = std::max(combined.peak, minutes[i].peak);
    energy += minutes[i].meanSquare * minutes[i].seconds;
  }
  combined.meanSquare = combined.seconds > 0 ? energy / combined.seconds : 0;
  return combined;
}

bool CanMeasure(const SampleFormat& format) {
  if (format.channels == 0 || format.blockAlign == 0 || format.blockAlign % format.channels != 0) return false;
  const int width = format.blockAlign / format.channels;
  switch (format.encoding) {
    case kIntegerPcm:
      return width >= 1 && width <= 4;
    case kFloat:
      return width == 4 || width == 8;
    case kALaw:
    case kMuLaw:
      return width == 1;
    default:
      return false;
  }
}

std::string DecibelText(double dbfs) {
  if (std::isinf(dbfs) && dbfs < 0) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", std::round(dbfs * 10) / 10 + 0.0);
  return text;
}

double LengthInMinutes(const AudioLayout& layout) {
  const uint64_t perMinute = FramesPerMinute(layout);
  return perMinute ? static_cast<double>(FrameCount(layout)) / static_cast<double>(perMinute) : 0;
}

int64_t MinuteCountOf(const AudioLayout& layout) {
  const uint64_t perMinute = FramesPerMinute(layout);
  if (perMinute == 0) return 0;
  return static_cast<int64_t>((FrameCount(layout) + perMinute - 1) / perMinute);
}

ByteSpan MinuteSpan(const AudioLayout& layout, int64_t minute) {
  const uint64_t perMinute = FramesPerMinute(layout);
  const uint64_t frames = FrameCount(layout);
  const uint64_t first = std::min(frames, static_cast<uint64_t>(minute) * perMinute);
  const uint64_t end = std::min(frames, first + perMinute);
  return {first * layout.format.blockAlign, (end - first) * layout.format.blockAlign};
}

MinuteSpanRange MinutesTouching(const AudioLayout& layout, uint64_t offset, uint64_t size) {
  const uint64_t bytesPerMinute = FramesPerMinute(layout) * layout.format.blockAlign;
  if (bytesPerMinute == 0 || size == 0) return {};
  const int64_t count = MinuteCountOf(layout);
  const auto first = static_cast<int64_t>(std::min<uint64_t>(offset / bytesPerMinute, count));
  const auto end = static_cast<int64_t>(std::min<uint64_t>((offset + size - 1) / bytesPerMinute + 1, count));
  return {first, end};
}

ScanOutcome ScanLevels(File& file, const std::string& path, const AudioLayout& layout, int64_t first,
                       int64_t end, LevelSink& sink) {
  ScanOutcome outcome;
  outcome.nextMinute = first;
  if (!CanMeasure(layout.format)) {
    outcome.end = ScanEnd::Failed;
    outcome.error = FormatText(texts::kLevelsNotMeasurable, path);
    return outcome;
  }
  first = std::max<int64_t>(first, 0);
  end = std::min(end, MinuteCountOf(layout));
  if (first >= end) return outcome;
  try {
    BlockScan scan(file, path, layout, first, end);
    return scan.Run(sink);
  } catch (const std::bad_alloc&) {
    outcome.end = ScanEnd::Failed;
    outcome.error = CurrentErrorMessage();
    return outcome;
  }
}

ScanOutcome ScanLevelsOf(const std::string& path, const AudioLayout& layout, int64_t first, int64_t end,
                         LevelSink& sink) {
  ScanOutcome outcome;
  outcome.nextMinute = first;
  File file;
  if (!file.Open(path, FileMode::ReadShared)) {
    outcome.end = ScanEnd::Failed;
    outcome.error = FormatText(texts::kCannotOpen, path);
    return outcome;
  }
  std::optional<AudioLayout> now;
  try {
    now = ReadAudioLayout(file);
  } catch (...) {
    outcome.end = ScanEnd::Failed;
    outcome.error = CurrentErrorMessage();
    return outcome;
  }
  if (!now || now->format != layout.format || now->DataStart() != layout.DataStart() ||
      now->audioSize != layout.audioSize) {
    outcome.end = ScanEnd::Failed;
    outcome.error = FormatText(texts::kChangedSinceLoad, path);
    return outcome;
  }
  return ScanLevels(file, path, layout, first, end, sink);
}

}  // namespace ostrevan
