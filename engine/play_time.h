#pragma once
// Play time of a WAV file from its audio data size, block align and sample rate.

#include <cstdint>
#include <string>

namespace ostrevan {

struct PlayTime {
  uint64_t hours = 0;
  uint64_t minutes = 0;         // within the hour
  uint64_t seconds = 0;         // within the minute
  uint64_t leftoverFrames = 0;  // frames beyond the last whole second
  uint64_t WholeMinutes() const { return hours * 60 + minutes; }
};

// Divides the size by the block align first, then by the sample rate; that order decides
// which error is raised when both are 0: "0 による浮動小数点数除算" (or
// "不正な浮動小数点数演算命令" when the size is 0 too), then "ゼロによる除算".
PlayTime ComputePlayTime(uint64_t dataSize, uint32_t blockAlign, uint32_t sampleRate);

// The length of `bytes` of audio as minutes and seconds ("1分0秒", "0分59.5秒"), to the
// millisecond, for messages; the byte count alone when the format gives no length.
std::string LengthText(uint64_t bytes, uint32_t blockAlign, uint32_t sampleRate);

}  // namespace ostrevan
