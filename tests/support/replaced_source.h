#pragma once
// A loaded file followed by another whose load failed (it was held open): the files of the
// window tests and of the end-to-end tests for a save after such a failed load.

#include <cstdint>
#include <string>
#include <vector>

#include "test_waves.h"

namespace ostrevan::testing {

// The file loaded first (ten minutes of `loaded`) and the one whose load failed, which
// differs from it in one respect of its layout.
struct Replacement {
  const char* what;
  WaveShape loaded;
  WaveShape failed;
  uint64_t failedAudioBytes;
};

inline std::vector<Replacement> Replacements() {
  const WaveShape stereo = TestFormat();
  const uint64_t tenMinutes = 10 * BytesPerMinute(stereo);
  WaveShape listFirst = stereo;
  listFirst.chunksBeforeData = ListInfoChunk("ICMT", "take 2");
  const WaveShape mono32 = SampleShape(1, 1, 100, 32);
  return {
      {"the same audio after a LIST chunk", stereo, listFirst, tenMinutes},
      {"mono 32-bit frames of the same size", stereo, mono32, tenMinutes},
      {"twice the rate, the same byte count", stereo, SampleShape(1, 2, 200, 16), tenMinutes},
      {"floating-point samples instead of integers", mono32, SampleShape(3, 1, 100, 32), tenMinutes},
      {"a minute more audio", stereo, stereo, tenMinutes + BytesPerMinute(stereo)},
      {"one frame less audio", stereo, stereo, tenMinutes - stereo.blockAlign},
  };
}

}  // namespace ostrevan::testing
