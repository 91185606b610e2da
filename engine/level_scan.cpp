#include "level_scan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "engine_error.h"
#include "little_endian.h"
#include "texts.h"

namespace ostrevan {

namespace {

constexpr uint16_t kIntegerPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;

constexpr size_t kScanBlockSize = 4 * 1024 * 1024;

// The largest |x| and the sum of x² over a run of samples, x as a fraction of full scale.
struct Sums {
  double peak = 0;
  double sumSquares = 0;
  uint64_t samples = 0;

  void Add(const Sums& other) {
    peak = std::max(peak, other.peak);
    sumSquares += other.sumSquares;
    samples += other.samples;
  }
};

// G.711 decoding to 16-bit linear, as the standard's reference code does.
int16_t MuLawToLinear(uint8_t code) {
  code = static_cast<uint8_t>(~code);
  int magnitude = (((code & 0x0F) << 3) + 0x84) << ((code & 0x70) >> 4);
  return static_cast<int16_t>((code & 0x80) ? 0x84 - magnitude : magnitude - 0x84);
}

int16_t ALawToLinear(uint8_t code) {
  code ^= 0x55;
  int magnitude = (code & 0x0F) << 4;
  const int segment = (code & 0x70) >> 4;
  if (segment == 0) {
    magnitude += 8;
  } else {
    magnitude = (magnitude + 0x108) << (segment - 1);
  }
  return static_cast<int16_t>((code & 0x80) ? magnitude : -magnitude);
}

using CodeTable = std::array<double, 256>;

CodeTable MakeTable(int16_t (*decode)(uint8_t)) {
  CodeTable table{};
  for (int code = 0; code < 256; ++code) table[code] = decode(static_cast<uint8_t>(code)) / 32768.0;
  return table;
}

// Integer samples of `width` bytes. The squares are summed as integers where they cannot
// overflow in a block, which keeps the loop cheap and exact.
Sums SumIntegers(const unsigned char* bytes, size_t count, int width) {
  Sums sums;
  sums.samples = count;
  switch (width) {
    case 1: {
      int peak = 0;
      uint64_t squares = 0;
      for (size_t i = 0; i < count; ++i) {
        const int x = static_cast<int>(bytes[i]) - 128;
        peak = std::max(peak, std::abs(x));
        squares += static_cast<uint64_t>(x * x);
      }
      sums.peak = peak / 128.0;
      sums.sumSquares = static_cast<double>(squares) / (128.0 * 128.0);
      break;
    }
    case 2: {
      int peak = 0;
      uint64_t squares = 0;
      for (size_t i = 0; i < count; ++i) {
        const int x = static_cast<int16_t>(ReadU16(bytes + 2 * i));
        peak = std::max(peak, std::abs(x));
        squares += static_cast<uint64_t>(static_cast<int64_t>(x) * x);
      }
      sums.peak = peak / 32768.0;
      sums.sumSquares = static_cast<double>(squares) / (32768.0 * 32768.0);
      break;
    }
    case 3: {
      int peak = 0;
      double squares = 0;
      for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = bytes + 3 * i;
        const int x = static_cast<int32_t>(static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) << 8) >> 8;
        peak = std::max(peak, std::abs(x));
        squares += static_cast<double>(x) * x;
      }
      sums.peak = peak / 8388608.0;
      sums.sumSquares = squares / (8388608.0 * 8388608.0);
      break;
    }
    default: {
      int64_t peak = 0;
      double squares = 0;
      for (size_t i = 0; i < count; ++i) {
        const int64_t x = static_cast<int32_t>(ReadU32(bytes + 4 * i));
        peak = std::max(peak, x < 0 ? -x : x);
        squares += static_cast<double>(x) * x;
      }
      sums.peak = peak / 2147483648.0;
      sums.sumSquares = squares / (2147483648.0 * 2147483648.0);
      break;
    }
  }
  return sums;
}

Sums SumFloats(const unsigned char* bytes, size_t count, int width) {
  Sums sums;
  sums.samples = count;
  for (size_t i = 0; i < count; ++i) {
    double x;
    if (width == 4) {
      const uint32_t bits = ReadU32(bytes + 4 * i);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      x = value;
    } else {
      const uint64_t bits = ReadU64(bytes + 8 * i);
      std::memcpy(&x, &bits, sizeof x);
    }
    // A NaN counts as nothing rather than poisoning the minute.
    if (x != x) continue;
    sums.peak = std::max(sums.peak, std::fabs(x));
    sums.sumSquares += x * x;
  }
  return sums;
}

Sums SumCodes(const unsigned char* bytes, size_t count, const CodeTable& table) {
  Sums sums;
  sums.samples = count;
  for (size_t i = 0; i < count; ++i) {
    const double x = table[bytes[i]];
    sums.peak = std::max(sums.peak, std::fabs(x));
    sums.sumSquares += x * x;
  }
  return sums;
}

// The samples of one format, summed.
class SampleSummer {
 public:
  explicit SampleSummer(const SampleFormat& format)
      : encoding_(format.encoding), width_(format.channels ? format.blockAlign / format.channels : 0) {}

  Sums Sum(const unsigned char* bytes, size_t size) const {
    const size_t count = size / static_cast<size_t>(width_);
    switch (encoding_) {
      case kIntegerPcm:
        return SumIntegers(bytes, count, width_);
      case kFloat:
        return SumFloats(bytes, count, width_);
      case kALaw: {
        static const CodeTable table = MakeTable(ALawToLinear);
        return SumCodes(bytes, count, table);
      }
      default: {
        static const CodeTable table = MakeTable(MuLawToLinear);
        return SumCodes(bytes, count, table);
      }
    }
  }

 private:
  uint16_t encoding_;
  int width_;
};

uint64_t FramesPerMinute(const AudioLayout& layout) {
  return static_cast<uint64_t>(layout.format.sampleRate) * kSecondsPerMinute;
}

uint64_t FrameCount(const AudioLayout& layout) {
  return layout.format.blockAlign ? layout.audioSize / layout.format.blockAlign : 0;
}

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
  end = std::min(end, MinuteCountOf(layout));
  const SampleSummer summer(layout.format);
  const size_t blockAlign = layout.format.blockAlign;
  std::vector<unsigned char> block(kScanBlockSize / blockAlign * blockAlign);
  for (int64_t minute = first; minute < end; ++minute) {
    const ByteSpan span = MinuteSpan(layout, minute);
    Sums sums;
    for (uint64_t done = 0; done < span.size;) {
      if (!sink.KeepGoing()) {
        outcome.end = ScanEnd::Stopped;
        return outcome;
      }
      const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), span.size - done));
      size_t got = 0;
      try {
        got = file.ReadAt(layout.DataStart() + static_cast<int64_t>(span.offset + done), block.data(), want);
      } catch (...) {
        outcome.end = ScanEnd::Failed;
        outcome.error = CurrentErrorMessage();
        return outcome;
      }
      if (got < want) {
        outcome.end = ScanEnd::Failed;
        outcome.error = FormatText(texts::kAudioEndsEarly, path);
        return outcome;
      }
      sums.Add(summer.Sum(block.data(), got));
      done += got;
    }
    MinuteLevel level;
    level.seconds = static_cast<double>(span.size / blockAlign) / layout.format.sampleRate;
    level.peak = sums.peak;
    level.meanSquare = sums.samples ? sums.sumSquares / static_cast<double>(sums.samples) : 0;
    sink.Scanned(minute, level);
    outcome.nextMinute = minute + 1;
  }
  return outcome;
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
