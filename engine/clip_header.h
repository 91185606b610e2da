#pragma once
// The header of a clip file: a plain canonical WAV header (RIFF, WAVE, a 16-byte fmt chunk
// with the source's real format values, data), so that any editor opens the clip; for an
// extensible source, its fmt chunk byte for byte instead, so the channel layout stays. A clip
// whose audio does not fit a 32-bit size gets an RF64 header with a ds64 chunk instead.

#include <cstdint>
#include <string>

#include "wave_format.h"

namespace ostrevan {

// The clip header's bytes for `clipBytes` bytes of audio in the format of a file's layout:
// 44 bytes, or 80 for RF64, and 24 more with a 40-byte extensible fmt chunk.
std::string ClipHeaderBytes(const AudioLayout& layout, uint64_t clipBytes);

}  // namespace ostrevan
