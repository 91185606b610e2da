#pragma once
// The per-sample loops of the level scan. Each takes a run of `count` samples of one kind,
// all channels alike, and gives the largest magnitude and the sum of squares as fractions of
// full scale. They must keep up with reading a cached file (several GB/s), so they are built
// with -O3, integer samples are summed as integers, and the 16- and 24-bit loops have AVX2
// variants that the scan chooses at run time.

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define OSTREVAN_LEVELS_AVX2 1
#else
#define OSTREVAN_LEVELS_AVX2 0
#endif

namespace ostrevan::level_kernels {

struct RunLevel {
  double peak = 0;
  double sumSquares = 0;
};

// Both 24-bit loops sum squares exactly in runs of this many samples (at most 2^62 each), then
// add the runs as doubles: the same runs in the same order, so the same result.
inline constexpr size_t kSigned24Chunk = 65536;

using Kernel = RunLevel (*)(const unsigned char* bytes, size_t count);

// The fastest loop this processor has for samples of `encoding` (a format tag) and `width`
// bytes; nullptr for samples the scan cannot measure.
Kernel KernelFor(uint16_t encoding, int width);

// The portable loops, one per kind of sample.
RunLevel Unsigned8(const unsigned char* bytes, size_t count);
RunLevel Signed16(const unsigned char* bytes, size_t count);
RunLevel Signed24(const unsigned char* bytes, size_t count);
RunLevel Signed32(const unsigned char* bytes, size_t count);
RunLevel Float32(const unsigned char* bytes, size_t count);
RunLevel Float64(const unsigned char* bytes, size_t count);
RunLevel ALaw(const unsigned char* bytes, size_t count);
RunLevel MuLaw(const unsigned char* bytes, size_t count);

#if OSTREVAN_LEVELS_AVX2
// Only for a processor and system with AVX2 (HasAvx2). They give exactly what the portable
// loops give (the 16-bit one for runs of up to 2^23 samples, far more than a block).
RunLevel Signed16Avx2(const unsigned char* bytes, size_t count);
RunLevel Signed24Avx2(const unsigned char* bytes, size_t count);
#endif

}  // namespace ostrevan::level_kernels
