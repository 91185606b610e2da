// The fingerprint a record keeps of its range: XXH3 of 128 bits, written in one canonical form.

#include <gtest/gtest.h>

#include <algorithm>

#include "fingerprint.h"
#include "test_files.h"

namespace ostrevan::testing {
namespace {

TEST(Fingerprint, IsXxh3Of128BitsInItsCanonicalFormWhateverThePieces) {
  EXPECT_EQ(Fingerprint().Text(), "xxh3-128:99aa06d3014798d86001c324468d497f");
  const Bytes bytes = PatternBytes(9 * 1024 * 1024 + 17, 8);
  Fingerprint whole, pieces;
  whole.Update(bytes.data(), bytes.size());
  for (size_t at = 0; at < bytes.size(); at += 1000003) pieces.Update(bytes.data() + at, std::min<size_t>(1000003, bytes.size() - at));
  EXPECT_EQ(whole.Text(), pieces.Text());
  EXPECT_EQ(ParseFingerprintLine("xxh3-128:99AA06D3014798D86001C324468D497F"), Fingerprint().Text());
  EXPECT_FALSE(ParseFingerprintLine("xxh3-128:99aa06d3014798d86001c324468d497"));
}


}  // namespace
}  // namespace ostrevan::testing
