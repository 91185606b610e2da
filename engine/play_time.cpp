#include "play_time.h"

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

}  // namespace ostrevan
