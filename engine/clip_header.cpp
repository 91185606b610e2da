#include "clip_header.h"

#include <algorithm>

#include "little_endian.h"

namespace ostrevan {

namespace {

void Append(std::string& out, const char* tag) { out.append(tag, 4); }

void AppendU16(std::string& out, uint16_t value) {
  unsigned char bytes[2];
  WriteU16(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void AppendU32(std::string& out, uint32_t value) {
  unsigned char bytes[4];
  WriteU32(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void AppendU64(std::string& out, uint64_t value) {
  AppendU32(out, static_cast<uint32_t>(value));
  AppendU32(out, static_cast<uint32_t>(value >> 32));
}

// The largest audio size a 32-bit data size states honestly: 0xFFFFFFFF means "not filled in".
constexpr uint64_t kMaxPlainClipBytes = UINT32_MAX - 1;
constexpr uint32_t kDs64Size = 28;

}  // namespace

std::string ClipHeaderBytes(const AudioLayout& layout, uint64_t clipBytes) {
  const FmtChunk& fmt = layout.fmt;
  // An extensible source's fmt chunk is kept byte for byte: its channel layout and valid bits
  // mean something to editors. Every other source gets the canonical 16-byte chunk.
  const std::string& kept = fmt.extensibleBody;
  const uint32_t fmtSize = kept.empty() ? 16 : static_cast<uint32_t>(kept.size());
  const uint32_t fmtPad = fmtSize & 1;
  const uint64_t beforeAudio = 4 + 8 + fmtSize + fmtPad + 8;  // WAVE, fmt, data headers
  const bool rf64 = clipBytes > kMaxPlainClipBytes;
  std::string out;
  if (rf64) {
    Append(out, "RF64");
    AppendU32(out, UINT32_MAX);
    Append(out, "WAVE");
    Append(out, "ds64");
    AppendU32(out, kDs64Size);
    AppendU64(out, clipBytes + beforeAudio + 8 + kDs64Size);  // everything after the RIFF size field
    AppendU64(out, clipBytes);
    AppendU64(out, fmt.blockAlign == 0 ? 0 : clipBytes / fmt.blockAlign);
    AppendU32(out, 0);  // no table of other chunk sizes
  } else {
    Append(out, "RIFF");
    // The RIFF size cannot say more than 32 bits hold.
    AppendU32(out, static_cast<uint32_t>(std::min<uint64_t>(clipBytes + beforeAudio, UINT32_MAX)));
    Append(out, "WAVE");
  }
  Append(out, "fmt ");
  AppendU32(out, fmtSize);
  if (!kept.empty()) {
    out += kept;
    if (fmtPad) out += '\0';
  } else {
    // Without the extensible chunk (one too short to keep), the clip names the real encoding.
    AppendU16(out, layout.format.encoding);
    AppendU16(out, fmt.channels);
    AppendU32(out, fmt.sampleRate);
    AppendU32(out, fmt.byteRate);
    AppendU16(out, fmt.blockAlign);
    AppendU16(out, fmt.bitsPerSample);
  }
  Append(out, "data");
  AppendU32(out, rf64 ? UINT32_MAX : static_cast<uint32_t>(clipBytes));
  return out;
}

}  // namespace ostrevan
