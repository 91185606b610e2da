// A write-back of an arbitrary clip and record into a valid source. After every run the
// source has its old length, no byte outside its audio data (as the engine's own chunk walk
// finds it: JUNK, bext, cue and LIST chunks, ds64, pad bytes and trailing chunks are not
// audio) has changed, no byte of the audio outside the record's range has changed, a clip
// with an honest header has put exactly its audio into the range (a clip of another length
// is refused), and a run
// that was refused (anything but a write error) has left the source byte for byte as it was.
//
// Input: one byte naming the source (modulo the number of sources), one byte of choices,
// then the record's two numbers (as text lines, or as two 32-bit values written out in
// decimal), then the clip's bytes.
//   bit 2     numbers as 32-bit values instead of text lines
//   bit 3     the clip's bytes follow a 44-byte header of the source's own format
//   bit 4     LF line breaks instead of CR LF
//   bits 5-7  the third line: the source (0-3), the clip itself (4), the record itself (5),
//             a missing file (6), the scratch folder (7)
// The sources: LIST chunks around the data; the extensible format with an odd-sized
// trailer; an unfinished recording whose size says 0xFFFFFFFF; a JUNK placeholder before
// fmt; bext before fmt whose description says "data"; RF64 with ds64 and a chunk after the
// audio; a libsndfile cue chunk (holding "data") before the audio; odd-sized chunks with pad
// bytes before fmt and data; data size 0 with half a frame at the end; a chain broken by an
// id that is no text (found by the scan).

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "clip_record.h"
#include "engine_error.h"
#include "file.h"
#include "fuzz_files.h"
#include "integer_text.h"
#include "little_endian.h"
#include "processes.h"
#include "test_waves.h"
#include "texts.h"
#include "wave_format.h"
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

constexpr int kSources = 10;

testing::WaveShape Stereo16() { return testing::SampleShape(1, 2, 8000, 16); }

// The source's bytes, with the audio's place as this file builds it.
Source MakeSource(int which) {
  using testing::Chunk;
  using testing::PatternBytes;
  testing::WaveShape shape = Stereo16();
  Bytes audio = PatternBytes(4000, 1);
  int64_t wholeFrames = -1;  // audio bytes that count, when not all of them
  bool rf64 = false;
  switch (which) {
    case 1:
      shape.formatTag = 0xFFFE;
      shape.fmtSize = 40;
      shape.bitsPerSample = 24;
      shape.blockAlign = 6;
      shape.sampleRate = 48000;
      shape.trailer = Chunk("id3 ", PatternBytes(33, 7));
      audio = PatternBytes(3000, 2);
      break;
    case 2:
      shape = testing::Mono8000();
      shape.statedSizeOverride = true;
      shape.statedSize = 0xFFFFFFFF;
      audio = PatternBytes(2001, 3);
      break;
    case 3:
      shape.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
      shape.chunksBeforeData = testing::ListInfoChunk("ISFT", "Lavf");
      break;
    case 4:
      shape = testing::Mono8000();
      shape.chunksBeforeFmt = testing::BextChunk("Card 2 data, river bank");
      audio = PatternBytes(2000, 4);
      break;
    case 5:
      shape.chunksBeforeData = testing::ListInfoChunk("ISFT", "Lavf");
      shape.trailer = Chunk("levl", PatternBytes(30, 5));
      rf64 = true;
      break;
    case 6:
      shape.chunksBeforeData = testing::CueChunk({10, 20});
      shape.trailer = testing::ListInfoChunk("ICMT", "data");
      break;
    case 7:
      shape = testing::Mono8000();
      shape.chunksBeforeFmt = Chunk("note", testing::TextBytes("take!"));
      shape.chunksBeforeData = Chunk("PEAK", testing::TextBytes("1data23"));
      audio = PatternBytes(1999, 6);
      shape.trailer = Bytes{0};
      break;
    case 8:
      shape.bitsPerSample = 16;
      shape.channels = 1;
      shape.blockAlign = 2;
      shape.statedSizeOverride = true;
      shape.statedSize = 0;
      audio = PatternBytes(3001, 8);
      wholeFrames = 3000;
      break;
    case 9:
      shape.chunksBeforeData = testing::Joined({Bytes{1, 2, 3, 4}, testing::Le32(6), Bytes(6, 'x')});
      break;
    default:
      shape.chunksBeforeData = Chunk("LIST", PatternBytes(26, 4));
      shape.trailer = Chunk("LIST", PatternBytes(40, 5));
      break;
  }
  const Bytes file = rf64 ? testing::MakeRf64(shape, audio) : testing::MakeWave(shape, audio);
  Source source;
  source.bytes.assign(file.begin(), file.end());
  source.dataStart = static_cast<int64_t>(file.size() - shape.trailer.size() - audio.size());
  source.audioSize = wholeFrames >= 0 ? wholeFrames : static_cast<int64_t>(audio.size());
  source.shape = shape;

  // The engine's walk must find the audio where it was put.
  const std::string path = fuzz::ScratchFile("layout.wav");
  fuzz::WriteBytes(path, source.bytes);
  File opened;
  FUZZ_CHECK(opened.Open(path, FileMode::ReadShared));
  const std::optional<AudioLayout> layout = ReadAudioLayout(opened);
  FUZZ_CHECK(layout.has_value());
  FUZZ_CHECK(layout->DataStart() == source.dataStart);
  FUZZ_CHECK(layout->AudioSize() == static_cast<uint64_t>(source.audioSize));
  return source;
}

// A canonical 44-byte header of the source's format, for clips that pass the format check.
std::string ClipHeader(const testing::WaveShape& sourceShape, size_t audioSize) {
  testing::WaveShape shape = sourceShape;
  if (shape.formatTag == 0xFFFE) shape.formatTag = shape.subFormat;
  shape.fmtSize = 16;
  shape.chunksBeforeFmt.clear();
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
  testing::LimitFileSize(64 << 20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<Source> sources = [] {
    std::vector<Source> made;
    for (int which = 0; which < kSources; ++which) made.push_back(MakeSource(which));
    return made;
  }();
  static const std::string sourcePath = fuzz::ScratchFile("source.wav");
  static const std::string clipPath = fuzz::ScratchFile("source-0-1.wav");
  static const std::string recordPath = fuzz::ScratchFile("source-0-1.ini");
  if (size < 2) return 0;
  const Source& source = sources[data[0] % kSources];
  const uint8_t choices = data[1];
  data += 2;
  size -= 2;

  std::string offsetText;
  std::string countText;
  if (choices & 4) {
    offsetText = DecimalOf(TakeInt32(data, size));
    countText = DecimalOf(TakeInt32(data, size));
  } else {
    offsetText = TakeLine(data, size);
    countText = TakeLine(data, size);
  }
  const std::string payload(reinterpret_cast<const char*>(data), size);
  const bool honestHeader = (choices & 8) != 0;
  const std::string clip = honestHeader ? ClipHeader(source.shape, payload.size()) + payload : payload;

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
  const bool finished = !ui.infos.empty() && ui.infos.back() == Text(texts::kFinished);
  // The write-back never writes a clip. A record changes only after a finished run, and
  // then still names the same range of the same source.
  FUZZ_CHECK(testing::ReadText(clipPath) == clip);
  const std::string recordAfter = testing::ReadText(recordPath);
  if (recordAfter != record) {
    FUZZ_CHECK(finished && third == sourcePath);
    const RecordLines was = SplitRecordText(record);
    const RecordLines now = SplitRecordText(recordAfter);
    FUZZ_CHECK(now.lines[2] == was.lines[2]);
    FUZZ_CHECK(ParseInteger64Text(now.lines[0]) == ParseInteger64Text(was.lines[0]));
    FUZZ_CHECK(ParseInteger64Text(now.lines[1]) == ParseInteger64Text(was.lines[1]));
  }
  const std::string after = testing::ReadText(sourcePath);
  // Only a finished run or a failing write may have touched the source.
  if (third != sourcePath || !(finished || writeFailed)) {
    FUZZ_CHECK(after == source.bytes);
    return 0;
  }
  FUZZ_CHECK(after.size() == source.bytes.size());

  const auto dataStart = static_cast<size_t>(source.dataStart);
  const auto audioEnd = static_cast<size_t>(source.dataStart + source.audioSize);
  FUZZ_CHECK(std::memcmp(after.data(), source.bytes.data(), dataStart) == 0);
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
    // A clip whose header states its size honestly: its audio, then zeros, fill the range.
    if (finished && honestHeader) {
      for (int64_t at = from; at < to; ++at) {
        const auto inClip = static_cast<size_t>(at - from);
        const char expected = inClip < payload.size() ? payload[inClip] : '\0';
        FUZZ_CHECK(after[static_cast<size_t>(at)] == expected);
      }
    }
  }
  return 0;
}
