// The 16- and 24-bit loops of the level scan in AVX2, about three times as fast as the
// portable ones: what a 1-hour file of either takes to scan is then the time to read it.
// Only called when the processor and the system support AVX2. This file includes no header
// with inline functions of its own: a copy built for AVX2 could be the one linked for all.

#include "level_kernels.h"

#if OSTREVAN_LEVELS_AVX2
#include <immintrin.h>

#include <cstring>

namespace ostrevan::level_kernels {

namespace {

// The 64-bit lanes of `v`, added.
uint64_t LaneSum(__m256i v) {
  uint64_t lanes[4];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), v);
  return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
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
  int16_t lanes[32];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), largest);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes + 16), smallest);
  int largestValue = 0;
  int smallestValue = 0;
  for (int lane = 0; lane < 16; ++lane) {
    largestValue = lanes[lane] > largestValue ? lanes[lane] : largestValue;
    smallestValue = lanes[16 + lane] < smallestValue ? lanes[16 + lane] : smallestValue;
  }
  uint64_t squares = LaneSum(_mm256_add_epi64(low, high));
  for (; i < count; ++i) {
    int16_t x;
    std::memcpy(&x, bytes + 2 * i, sizeof x);
    largestValue = x > largestValue ? x : largestValue;
    smallestValue = x < smallestValue ? x : smallestValue;
    squares += static_cast<uint32_t>(int32_t{x} * x);
  }
  const int peak = largestValue > -smallestValue ? largestValue : -smallestValue;
  return {peak / 32768.0, static_cast<double>(squares) / (32768.0 * 32768.0)};
}

RunLevel Signed24Avx2(const unsigned char* bytes, size_t count) {
  // Four samples (12 bytes) in each 128-bit half, each moved to the top three bytes of a
  // 32-bit lane; the arithmetic shift then extends its sign.
  const __m256i spread = _mm256_setr_epi8(-1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11,  //
                                          -1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11);
  __m256i largest = _mm256_setzero_si256();
  __m256i smallest = largest;
  int32_t largestValue = 0;
  int32_t smallestValue = 0;
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
      // |x| < 2^24: the even lanes' squares, then the odd lanes', each exact in 64 bits.
      const __m256i magnitude = _mm256_abs_epi32(x);
      const __m256i odd = _mm256_srli_epi64(magnitude, 32);
      sums = _mm256_add_epi64(sums, _mm256_mul_epu32(magnitude, magnitude));
      sums = _mm256_add_epi64(sums, _mm256_mul_epu32(odd, odd));
    }
    uint64_t part = LaneSum(sums);
    for (; i < end; ++i) {
      const unsigned char* p = bytes + 3 * i;
      const auto x = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8;
      largestValue = x > largestValue ? x : largestValue;
      smallestValue = x < smallestValue ? x : smallestValue;
      const auto magnitude = static_cast<uint32_t>(x < 0 ? -x : x);
      part += uint64_t{magnitude} * magnitude;
    }
    squares += static_cast<double>(part);
  }
  int32_t lanes[16];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), largest);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes + 8), smallest);
  for (int lane = 0; lane < 8; ++lane) {
    largestValue = lanes[lane] > largestValue ? lanes[lane] : largestValue;
    smallestValue = lanes[8 + lane] < smallestValue ? lanes[8 + lane] : smallestValue;
  }
  const int32_t peak = largestValue > -smallestValue ? largestValue : -smallestValue;
  return {peak / 8388608.0, squares / (8388608.0 * 8388608.0)};
}

}  // namespace ostrevan::level_kernels
#endif
