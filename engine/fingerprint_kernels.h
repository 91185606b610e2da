#pragma once
// The hash loops the fingerprint chooses from at run time.

#include <cstddef>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define OSTREVAN_FINGERPRINT_AVX2 1
#else
#define OSTREVAN_FINGERPRINT_AVX2 0
#endif

struct XXH3_state_s;

namespace ostrevan::fingerprint_kernels {

#if OSTREVAN_FINGERPRINT_AVX2
void UpdateAvx2(XXH3_state_s* state, const void* bytes, size_t size);
#endif

}  // namespace ostrevan::fingerprint_kernels
