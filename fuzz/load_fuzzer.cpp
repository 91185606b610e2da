// The load on arbitrary file bytes. Every input either loads, with the play time and
// attributes that an independent reading of the same bytes gives, or raises one of the
// load's own errors; a file without a usable "data" tag leaves the loaded record as it was.

#include <algorithm>
#include <cstring>
#include <string>

#include "engine_error.h"
#include "fuzz_files.h"
#include "integer_text.h"
#include "load_wave.h"
#include "texts.h"

using namespace ostrevan;

namespace {

uint32_t Le(const uint8_t* data, size_t size, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    const size_t pos = at + static_cast<size_t>(i);
    value = (value << 8) | (pos < size ? data[pos] : 0u);
  }
  return value;
}

// A record that differs from anything a load could produce, to see what a failure changed.
LoadedWave Sentinel() {
  LoadedWave wave;
  wave.dataTagPos = -7;
  wave.sampleRate = 12345;
  wave.blockAlign = 77;
  wave.wholeMinutes = -3;
  wave.seconds = -4;
  wave.dataSize = 99;
  wave.header.channels = 5;
  wave.dataChunk.dataSize = 1234;
  wave.subFormat = 9;
  return wave;
}

bool SameRecord(const LoadedWave& a, const LoadedWave& b) {
  return a.dataTagPos == b.dataTagPos && a.sampleRate == b.sampleRate && a.blockAlign == b.blockAlign &&
         a.wholeMinutes == b.wholeMinutes && a.seconds == b.seconds && a.dataSize == b.dataSize &&
         a.header.channels == b.header.channels && a.dataChunk.dataSize == b.dataChunk.dataSize &&
         a.subFormat == b.subFormat;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("input.wav");
  fuzz::WriteBytes(path, data, size);

  // The first "data" at or after 36 with 8 bytes after it, found without the engine.
  static const char kTag[] = "data";
  const uint8_t* begin = data + std::min<size_t>(size, 36);
  const uint8_t* hit = std::search(begin, data + size, kTag, kTag + 4);
  const bool hasTag = hit != data + size && static_cast<size_t>(data + size - hit) >= 8;

  const LoadedWave before = Sentinel();
  LoadedWave wave = before;
  try {
    const LoadOutcome outcome = LoadWave(path, wave);
    FUZZ_CHECK(hasTag);
    const auto tagPos = static_cast<size_t>(hit - data);
    const uint64_t stated = Le(data, size, tagPos + 4, 4);
    const uint64_t dataSize = std::min<uint64_t>(stated, size - tagPos - 8);
    const uint32_t blockAlign = Le(data, size, 32, 2);
    const uint32_t sampleRate = Le(data, size, 24, 4);
    FUZZ_CHECK(blockAlign != 0 && sampleRate != 0);
    const uint64_t totalSeconds = dataSize / blockAlign / sampleRate;
    FUZZ_CHECK(wave.dataTagPos == static_cast<int64_t>(tagPos));
    FUZZ_CHECK(wave.dataSize == dataSize);
    FUZZ_CHECK(wave.dataChunk.dataSize == stated);
    FUZZ_CHECK(wave.blockAlign == blockAlign && wave.sampleRate == sampleRate);
    FUZZ_CHECK(wave.wholeMinutes == static_cast<int64_t>(totalSeconds / 60));
    FUZZ_CHECK(wave.seconds == static_cast<int64_t>(totalSeconds % 60));
    FUZZ_CHECK(wave.subFormat == Le(data, size, 44, 2));
    const std::string playTime = Text(texts::kPlayTimePrefix) + DecimalText(wave.wholeMinutes) +
                                 Text(texts::kMinutes) + DecimalText(wave.seconds) + Text(texts::kSeconds);
    FUZZ_CHECK(outcome.playTimeText == playTime);
    FUZZ_CHECK(outcome.attributesText.rfind(Text(texts::kAttributesPrefix), 0) == 0);
    FUZZ_CHECK(outcome.IsShortFile() == (wave.wholeMinutes == 0));
    if (!outcome.IsShortFile()) FUZZ_CHECK(outcome.scrollBarMaximum == wave.wholeMinutes - 1);
  } catch (const EngineError& error) {
    const std::string message = error.message();
    if (message == FormatText(texts::kNoDataChunk, path)) {
      FUZZ_CHECK(!hasTag);
      FUZZ_CHECK(SameRecord(wave, before));
    } else {
      // The play-time errors: the tag was found, and the header is the new file's.
      FUZZ_CHECK(hasTag);
      const auto tagPos = static_cast<size_t>(hit - data);
      const uint64_t dataSize = std::min<uint64_t>(Le(data, size, tagPos + 4, 4), size - tagPos - 8);
      const char* expected = Le(data, size, 32, 2) != 0 ? texts::kIntegerDivideByZero
                             : dataSize == 0           ? texts::kInvalidFloatOperation
                                                       : texts::kFloatDivideByZero;
      FUZZ_CHECK(message == Text(expected));
      FUZZ_CHECK(wave.dataTagPos == static_cast<int64_t>(tagPos));
    }
  }
  return 0;
}
