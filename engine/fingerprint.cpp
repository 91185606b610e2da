#include "fingerprint.h"

#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "ascii_case.h"
#include "cpu_features.h"
#include "fingerprint_kernels.h"

namespace ostrevan {

struct Fingerprint::State {
  XXH3_state_t xxh;
};

Fingerprint::Fingerprint() : state_(std::make_unique<State>()) { XXH3_128bits_reset(&state_->xxh); }
Fingerprint::~Fingerprint() = default;

void Fingerprint::Update(const void* bytes, size_t size) {
#if OSTREVAN_FINGERPRINT_AVX2
  if (HasAvx2()) {
    fingerprint_kernels::UpdateAvx2(&state_->xxh, bytes, size);
    return;
  }
#endif
  XXH3_128bits_update(&state_->xxh, bytes, size);
}

std::string Fingerprint::Text() const {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(&state_->xxh));
  static const char digits[] = "0123456789abcdef";
  std::string text = kFingerprintPrefix;
  for (unsigned char byte : canonical.digest) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

std::optional<std::string> ParseFingerprintLine(const std::string& line) {
  const size_t prefix = std::strlen(kFingerprintPrefix);
  if (line.size() != prefix + 32 || line.compare(0, prefix, kFingerprintPrefix) != 0) return std::nullopt;
  std::string text = line.substr(0, prefix);
  for (size_t i = prefix; i < line.size(); ++i) {
    const char c = LowerAscii(line[i]);
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    text += c;
  }
  return text;
}

}  // namespace ostrevan
