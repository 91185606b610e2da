#include "cpu_features.h"

namespace ostrevan {

bool HasAvx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  // Checks the system saves the AVX registers too, not only that the processor has them.
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
#else
  return false;
#endif
}

}  // namespace ostrevan
