// A write-back of an arbitrary clip and record into a valid source. After every run the
// source has its old length, no byte outside its audio data has changed, no byte of the
// audio outside the record's range has changed, and a run that was refused (anything but a
// write error) has left the source byte for byte as it was.
//
// Input: one byte of choices, then the record's two numbers (as text lines, or as two
// 32-bit values written out in decimal), then the clip's bytes.
//   bits 0-1  which source (three layouts: LIST chunks around the data, the extensible
//             format with an odd-sized trailer, an unfinished recording whose stated size
//             runs past the end of the file)
//   bit 2     numbers as 32-bit values instead of text lines
//   bit 3     the clip's bytes follow a 44-byte header of the source's own format
//   bit 4     LF line breaks instead of CR LF
//   bits 5-7  the third line: the source (0-3), the clip itself (4), the record itself (5),
//             a missing file (6), the scratch folder (7)

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine_error.h"
#include "fuzz_files.h"
#include "little_endian.h"
#include "test_files.h"
#include "texts.h"
#include "write_back.h"

using namespace ostrevan;
using ostrevan::testing::Bytes;

namespace {

struct Source {
  std::string bytes;
  int64_t dataStart = 0;
  int64_t audioSize = 0;  // what the write-back may touch
  testing::WaveShape shape;
};

Source MakeSource(int which) {
  testing::WaveShape shape;
  Bytes audio;
  if (which == 1) {
    shape.formatTag = 0xFFFE;
    shape.fmtSize = 40;
    shape.bitsPerSample = 24;
    shape.blockAlign = 6;
    shape.sampleRate = 48000;
    shape.trailer = testing::Chunk("id3 ", testing::PatternBytes(33, 7));
    audio = testing::PatternBytes(3000, 2);
  } else if (which == 2) {
    shape.channels = 1;
    shape.bitsPerSample = 8;
    shape.blockAlign = 1;
    shape.sampleRate = 8000;
    shape.statedSizeOverride = true;
    shape.statedSize = 0xFFFFFFFF;
    audio = testing::PatternBytes(2001, 3);
  } else {
    shape.sampleRate = 8000;
    shape.chunksBeforeData = testing::Chunk("LIST", testing::PatternBytes(26, 4));
    shape.trailer = testing::Chunk("LIST", testing::PatternBytes(40, 5));
    audio = testing::PatternBytes(4000, 1);
  }
  const Bytes file = testing::MakeWave(shape, audio);
  Source source;
  source.bytes.assign(file.begin(), file.end());
  source.dataStart = static_cast<int64_t>(source.bytes.find("data", 36) + 8);
  source.audioSize = static_cast<int64_t>(audio.size());
  source.shape = shape;
  return source;
}

// A canonical 44-byte header of the source's format, for clips that pass the format check.
std::string ClipHeader(const testing::WaveShape& sourceShape, size_t audioSize) {
  testing::WaveShape shape = sourceShape;
  if (shape.formatTag == 0xFFFE) shape.formatTag = shape.subFormat;
  shape.fmtSize = 16;
  shape.chunksBeforeData.clear();
  shape.trailer.clear();
  shape.statedSizeOverride = false;
  const Bytes file = testing::MakeWave(shape, Bytes(audioSize, 0));
  return std::string(file.begin(), file.begin() + 44);
}

// Takes bytes up to the next '\n' (or the end) from the input.
std::string TakeLine(const uint8_t*& data, size_t& size) {
  const auto* end = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
  const size_t length = end ? static_cast<size_t>(end - data) : size;
  std::string line(reinterpret_cast<const char*>(data), length);
  const size_t used = std::min(size, length + 1);
  data += used;
  size -= used;
  return line;
}

int32_t TakeInt32(const uint8_t*& data, size_t& size) {
  unsigned char bytes[4] = {};
  const size_t used = std::min<size_t>(4, size);
  std::memcpy(bytes, data, used);
  data += used;
  size -= used;
  return static_cast<int32_t>(ReadU32(bytes));
}

std::string DecimalOf(int64_t value) { return std::to_string(value); }

// Decimal text of the record's numbers when they are plain decimal, for the range check.
bool PlainNumber(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("-0123456789") != std::string::npos) return false;
  try {
    size_t used = 0;
    value = std::stoll(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

}  // namespace

// A write that would grow a file past a few MiB is a fault here: the limit turns it into a
// short write (an error the checks below see) instead of filling the scratch folder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{64 << 20, 64 << 20};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Source sources[3] = {MakeSource(0), MakeSource(1), MakeSource(2)};
  static const std::string sourcePath = fuzz::ScratchFile("source.wav");
  static const std::string clipPath = fuzz::ScratchFile("source-0-1.wav");
  static const std::string recordPath = fuzz::ScratchFile("source-0-1.ini");
  if (size == 0) return 0;
  const uint8_t choices = data[0];
  ++data;
  --size;
  const Source& source = sources[(choices & 3) % 3];

  std::string offsetText;
  std::string countText;
  if (choices & 4) {
    offsetText = DecimalOf(TakeInt32(data, size));
    countText = DecimalOf(TakeInt32(data, size));
  } else {
    offsetText = TakeLine(data, size);
    countText = TakeLine(data, size);
  }
  std::string clip(reinterpret_cast<const char*>(data), size);
  if (choices & 8) clip = ClipHeader(source.shape, clip.size()) + clip;

  std::string third;
  switch (choices >> 5) {
    case 4: third = clipPath; break;
    case 5: third = recordPath; break;
    case 6: third = fuzz::ScratchFile("missing.wav"); break;
    case 7: third = fuzz::ScratchFolder(); break;
    default: third = sourcePath; break;
  }
  const char* lineBreak = (choices & 16) ? "\n" : "\r\n";
  const std::string record = offsetText + lineBreak + countText + lineBreak + third + lineBreak;

  fuzz::WriteBytes(sourcePath, source.bytes);
  fuzz::WriteBytes(clipPath, clip);
  fuzz::WriteBytes(recordPath, record);

  testing::RecordingUi ui;
  bool writeFailed = false;
  try {
    WriteBackClips({recordPath}, ui);
  } catch (const EngineError& error) {
    writeFailed = error.message() == Text(texts::kWriteError);
  }
  // The write-back reads clips and records, it never writes them.
  FUZZ_CHECK(fuzz::ReadBytes(clipPath) == clip);
  FUZZ_CHECK(fuzz::ReadBytes(recordPath) == record);
  const std::string after = fuzz::ReadBytes(sourcePath);
  const bool finished = !ui.infos.empty() && ui.infos.back() == Text(texts::kFinished);
  // Only a finished run or a failing write may have touched the source.
  if (third != sourcePath || !(finished || writeFailed)) {
    FUZZ_CHECK(after == source.bytes);
    return 0;
  }
  FUZZ_CHECK(after.size() == source.bytes.size());

  const auto audioEnd = static_cast<size_t>(source.dataStart + source.audioSize);
  FUZZ_CHECK(std::memcmp(after.data(), source.bytes.data(), static_cast<size_t>(source.dataStart)) == 0);
  FUZZ_CHECK(after.compare(audioEnd, std::string::npos, source.bytes, audioEnd, std::string::npos) == 0);

  // Inside the audio, only the record's range may differ.
  int64_t offset = 0;
  int64_t count = 0;
  if (PlainNumber(offsetText, offset) && PlainNumber(countText, count) && offset >= 0 && count >= 0) {
    const int64_t from = source.dataStart + std::min(offset, source.audioSize);
    const int64_t to = source.dataStart + std::min(offset + std::min(count, source.audioSize), source.audioSize);
    FUZZ_CHECK(after.compare(0, static_cast<size_t>(from), source.bytes, 0, static_cast<size_t>(from)) == 0);
    FUZZ_CHECK(after.compare(static_cast<size_t>(to), std::string::npos, source.bytes, static_cast<size_t>(to),
                             std::string::npos) == 0);
  }
  return 0;
}
