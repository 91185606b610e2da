// Built with -O3 (see CMakeLists.txt): these loops are the scan's whole cost once the file is
// in the page cache. Samples are loaded with memcpy, which the compiler turns into vector
// loads; byte-by-byte assembly would halve the speed.

#include "level_kernels.h"

#include <array>
#include <cmath>
#include <cstring>

#include "cpu_features.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the level scan reads samples in the host's byte order, which must be little-endian"
#endif

namespace ostrevan::level_kernels {

namespace {

constexpr double kFull8 = 128.0;
constexpr double kFull16 = 32768.0;
constexpr double kFull24 = 8388608.0;
constexpr double kFull32 = 2147483648.0;

template <typename T>
T Load(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// Largest magnitude of integer samples from their largest and smallest values.
double PeakOf(int64_t largest, int64_t smallest, double fullScale) {
  return static_cast<double>(largest > -smallest ? largest : -smallest) / fullScale;
}

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

// Codes are counted first, then each code decoded and squared once per run. Four counts
// taken in turn let consecutive samples of the same code not wait for each other.
RunLevel SumCodes(const unsigned char* bytes, size_t count, int16_t (*decode)(uint8_t)) {
  std::array<std::array<uint64_t, 256>, 4> counts{};
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    for (size_t turn = 0; turn < 4; ++turn) ++counts[turn][bytes[i + turn]];
  }
  for (; i < count; ++i) ++counts[0][bytes[i]];
  RunLevel run;
  for (int code = 0; code < 256; ++code) {
    const uint64_t seen = counts[0][code] + counts[1][code] + counts[2][code] + counts[3][code];
    if (seen == 0) continue;
    const double x = decode(static_cast<uint8_t>(code)) / kFull16;
    run.peak = std::fmax(run.peak, std::fabs(x));
    run.sumSquares += x * x * static_cast<double>(seen);
  }
  return run;
}

// Floating-point samples in four running sums, so that the loop is not one long chain of
// dependent additions. A NaN counts as nothing rather than poisoning the minute.
template <typename T>
RunLevel SumFloats(const unsigned char* bytes, size_t count) {
  double peak = 0;
  double sums[4] = {};
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    for (int lane = 0; lane < 4; ++lane) {
      const double x = Load<T>(bytes + sizeof(T) * (i + lane));
      const double magnitude = std::fabs(x);
      peak = magnitude > peak ? magnitude : peak;
      sums[lane] += x == x ? x * x : 0.0;
    }
  }
  for (; i < count; ++i) {
    const double x = Load<T>(bytes + sizeof(T) * i);
    peak = std::fabs(x) > peak ? std::fabs(x) : peak;
    sums[0] += x == x ? x * x : 0.0;
  }
  return {peak, (sums[0] + sums[1]) + (sums[2] + sums[3])};
}

}  // namespace

RunLevel Unsigned8(const unsigned char* bytes, size_t count) {
  uint8_t largest = 128;
  uint8_t smallest = 128;
  uint64_t squares = 0;
  // Squares of at most 2^14 summed in 32 bits, which vectorises far better, 2^16 at a time.
  for (size_t chunk = 0; chunk < count; chunk += 65536) {
    const size_t end = count - chunk < 65536 ? count : chunk + 65536;
    uint32_t part = 0;
    for (size_t i = chunk; i < end; ++i) {
      largest = bytes[i] > largest ? bytes[i] : largest;
      smallest = bytes[i] < smallest ? bytes[i] : smallest;
      const int x = bytes[i] - 128;
      part += static_cast<uint32_t>(x * x);
    }
    squares += part;
  }
  return {PeakOf(largest - 128, smallest - 128, kFull8), static_cast<double>(squares) / (kFull8 * kFull8)};
}

RunLevel Signed16(const unsigned char* bytes, size_t count) {
  int16_t largest = 0;
  int16_t smallest = 0;
  uint64_t squares = 0;  // each at most 2^30: exact for any buffer
  for (size_t i = 0; i < count; ++i) {
    const int16_t x = Load<int16_t>(bytes + 2 * i);
    largest = x > largest ? x : largest;
    smallest = x < smallest ? x : smallest;
    squares += static_cast<uint32_t>(int32_t{x} * x);
  }
  return {PeakOf(largest, smallest, kFull16), static_cast<double>(squares) / (kFull16 * kFull16)};
}

RunLevel Signed24(const unsigned char* bytes, size_t count) {
  int32_t largest = 0;
  int32_t smallest = 0;
  double squares = 0;
  for (size_t chunk = 0; chunk < count; chunk += kSigned24Chunk) {
    const size_t end = count - chunk < kSigned24Chunk ? count : chunk + kSigned24Chunk;
    uint64_t part = 0;
    for (size_t i = chunk; i < end; ++i) {
      const unsigned char* p = bytes + 3 * i;
      const auto x = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8;
      largest = x > largest ? x : largest;
      smallest = x < smallest ? x : smallest;
      const auto magnitude = static_cast<uint32_t>(x < 0 ? -x : x);
      part += uint64_t{magnitude} * magnitude;
    }
    squares += static_cast<double>(part);
  }
  return {PeakOf(largest, smallest, kFull24), squares / (kFull24 * kFull24)};
}

RunLevel Signed32(const unsigned char* bytes, size_t count) {
  int32_t largest = 0;
  int32_t smallest = 0;
  double sums[4] = {};
  for (size_t i = 0; i < count; ++i) {
    const auto x = Load<int32_t>(bytes + 4 * i);
    largest = x > largest ? x : largest;
    smallest = x < smallest ? x : smallest;
    sums[i % 4] += static_cast<double>(x) * x;
  }
  const double squares = (sums[0] + sums[1]) + (sums[2] + sums[3]);
  return {PeakOf(largest, smallest, kFull32), squares / (kFull32 * kFull32)};
}

RunLevel Float32(const unsigned char* bytes, size_t count) { return SumFloats<float>(bytes, count); }
RunLevel Float64(const unsigned char* bytes, size_t count) { return SumFloats<double>(bytes, count); }
RunLevel ALaw(const unsigned char* bytes, size_t count) { return SumCodes(bytes, count, ALawToLinear); }
RunLevel MuLaw(const unsigned char* bytes, size_t count) { return SumCodes(bytes, count, MuLawToLinear); }

Kernel KernelFor(uint16_t encoding, int width) {
  constexpr uint16_t kIntegerPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7;
#if OSTREVAN_LEVELS_AVX2
  if (encoding == kIntegerPcm && (width == 2 || width == 3) && HasAvx2()) {
    return width == 2 ? Signed16Avx2 : Signed24Avx2;
  }
#endif
  if (encoding == kIntegerPcm && width >= 1 && width <= 4) {
    const Kernel integers[] = {Unsigned8, Signed16, Signed24, Signed32};
    return integers[width - 1];
  }
  if (encoding == kFloat && (width == 4 || width == 8)) return width == 4 ? Float32 : Float64;
  if (width != 1) return nullptr;
  if (encoding == kALaw) return ALaw;
  return encoding == kMuLaw ? MuLaw : nullptr;
}

}  // namespace ostrevan::level_kernels
