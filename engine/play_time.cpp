#include "play_time.h"

#include <cstdio>

#include "engine_error.h"
#include "texts.h"

namespace ostrevan {

PlayTime ComputePlayTime(uint64_t dataSize, uint32_t blockAlign, uint32_t sampleRate) {
  if (blockAlign == 0) {
    throw EngineError(Text(dataSize == 0 ? texts::kInvalidFloatOperation : texts::kFloatDivideByZero));
  }
  const uint64_t frames = dataSize / blockAlign;
  if (sampleRate == 0) throw EngineError(Text(texts::kIntegerDivideByZero));
  PlayTime time;
  time.leftoverFrames = frames % sampleRate;
  const uint64_t totalSeconds = frames / sampleRate;
  time.hours = totalSeconds / 3600;
  time.minutes = totalSeconds % 3600 / 60;
  time.seconds = totalSeconds % 60;
  return time;
}

std::string FormatPlayTime(uint64_t dataSize, uint32_t blockAlign, uint32_t sampleRate) {
  const PlayTime time = ComputePlayTime(dataSize, blockAlign, sampleRate);
  char code[96];
  std::snprintf(code, sizeof code, "%.2llu%.2llu%.2llu%.5llu", static_cast<unsigned long long>(time.hours),
                static_cast<unsigned long long>(time.minutes), static_cast<unsigned long long>(time.seconds),
                static_cast<unsigned long long>(time.leftoverFrames));
  return code;
}

}  // namespace ostrevan
