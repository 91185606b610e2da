#include "play_time.h"

#include "engine_error.h"
#include "integer_text.h"
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

std::string LengthText(uint64_t bytes, uint32_t blockAlign, uint32_t sampleRate) {
  if (blockAlign == 0 || sampleRate == 0) return DecimalText(static_cast<int64_t>(bytes)) + " bytes";
  const uint64_t frames = bytes / blockAlign;
  const uint64_t millis = frames % sampleRate * 1000 / sampleRate;
  std::string seconds = DecimalText(static_cast<int64_t>(frames / sampleRate % 60));
  if (millis != 0) {
    std::string fraction = std::to_string(1000 + millis).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    seconds += "." + fraction;
  }
  return DecimalText(static_cast<int64_t>(frames / sampleRate / 60)) + Text(texts::kMinutes) + seconds +
         Text(texts::kSeconds);
}

}  // namespace ostrevan
