// The 16- and 24-bit loops of the level scan in AVX2, about three times as fast as the
// portable ones: what a 1-hour file of either takes to scan is then the time to read it.
// Only called when the processor and the system support AVX2. This file includes no header
// with inline functions of its own: a copy built for AVX2 could be the one linked for all.
// What the vector loops leave over goes to the portable loops, in their own file.

#include "level_kernels.h"

#if OSTREVAN_LEVELS_AVX2
#include <immintrin.h>

namespace ostrevan::level_kernels {

namespace {

// The 64-bit lanes of `v`, added.
uint64_t LaneSum(__m256i v) {
  uint64_t lanes[4];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), v);
  return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

// The largest magnitude in the lanes of `largest` and `smallest`, read as `Lane`s.
template <typename Lane>
int32_t LargestMagnitude(__m256i largest, __m256i smallest) {
  Lane lanes[2 * sizeof(__m256i) / sizeof(Lane)];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), largest);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes) + 1, smallest);
  int32_t peak = 0;
  for (const Lane lane : lanes) {
    const int32_t magnitude = lane < 0 ? -int32_t{lane} : lane;
    peak = magnitude > peak ? magnitude : peak;
  }
  return peak;
}

}  // namespace

RunLevel Signed16Avx2(const unsigned char* bytes, size_t count) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i largest = zero;
  __m256i smallest = zero;
  __m256i low = zero;
  __m256i high = zero;
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 2 * i));
    largest = _mm256_max_epi16(largest, x);
    smallest = _mm256_min_epi16(smallest, x);
    // Pairs of squares, each pair at most 2^31: exact as unsigned 32 bits, summed in 64.
    const __m256i pairs = _mm256_madd_epi16(x, x);
    low = _mm256_add_epi64(low, _mm256_unpacklo_epi32(pairs, zero));
    high = _mm256_add_epi64(high, _mm256_unpackhi_epi32(pairs, zero));
  }
  const int32_t peak = LargestMagnitude<int16_t>(largest, smallest);
  // The last few samples by the portable loop, whose sums are whole numbers times 2^-30: exact.
  const RunLevel tail = Signed16(bytes + 2 * i, count - i);
  const double squares = static_cast<double>(LaneSum(_mm256_add_epi64(low, high))) / (32768.0 * 32768.0);
  return {peak / 32768.0 > tail.peak ? peak / 32768.0 : tail.peak, squares + tail.sumSquares};
}

RunLevel Signed24Avx2(const unsigned char* bytes, size_t count) {
  // Four samples (12 bytes) in each 128-bit half, each moved to the top three bytes of a
  // 32-bit lane; the arithmetic shift then extends its sign.
  const __m256i spread = _mm256_setr_epi8(-1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11,  //
                                          -1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11);
  constexpr double kFullSquared = 8388608.0 * 8388608.0;
  __m256i largest = _mm256_setzero_si256();
  __m256i smallest = largest;
  double tailPeak = 0;
  double squares = 0;
  for (size_t chunk = 0; chunk < count; chunk += kSigned24Chunk) {
    const size_t end = count - chunk < kSigned24Chunk ? count : chunk + kSigned24Chunk;
    __m256i sums = _mm256_setzero_si256();
    size_t i = chunk;
    // Eight samples take 24 bytes but the second load reads 28: stop where the bytes end.
    for (; i + 8 <= end && i + 10 <= count; i += 8) {
      const unsigned char* p = bytes + 3 * i;
      const __m256i packed =
          _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
      const __m256i x = _mm256_srai_epi32(_mm256_shuffle_epi8(packed, spread), 8);
      largest = _mm256_max_epi32(largest, x);
      smallest = _mm256_min_epi32(smallest, x);
      // |x| <= 2^23: the even lanes' squares, then the odd lanes', each exact in 64 bits.
      const __m256i magnitude = _mm256_abs_epi32(x);
      const __m256i odd = _mm256_srli_epi64(magnitude, 32);
      sums = _mm256_add_epi64(sums, _mm256_mul_epu32(magnitude, magnitude));
      sums = _mm256_add_epi64(sums, _mm256_mul_epu32(odd, odd));
    }
    // The chunk's last few samples by the portable loop: under 2^50 times 2^-46, exact, so
    // the chunk's sum is the portable loop's.
    const RunLevel tail = Signed24(bytes + 3 * i, end - i);
    tailPeak = tail.peak > tailPeak ? tail.peak : tailPeak;
    squares += static_cast<double>(LaneSum(sums) + static_cast<uint64_t>(tail.sumSquares * kFullSquared));
  }
  const int32_t peak = LargestMagnitude<int32_t>(largest, smallest);
  return {peak / 8388608.0 > tailPeak ? peak / 8388608.0 : tailPeak, squares / kFullSquared};
}

}  // namespace ostrevan::level_kernels
#endif
