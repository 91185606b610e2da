// The load on arbitrary file bytes. Every input either loads or raises one of the load's
// own errors, in bounded time. Whatever loads has its audio inside the file, behind a "data"
// tag, with the play time that its size, block align and sample rate give. When the bytes
// form a clean chunk chain (RIFF, RF64 or BW64, every chunk a four-letter id and a size that
// fits, a fmt chunk before the data chunk), an independent walk of them here must agree
// exactly with the load: where the audio starts, how long it is, the format values, or the
// refusal of a compressed format. A refused file leaves the loaded record as it was.

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "engine_error.h"
#include "fuzz_files.h"
#include "integer_text.h"
#include "load_wave.h"
#include "texts.h"

using namespace ostrevan;

namespace {

uint64_t Le(const uint8_t* data, size_t size, size_t at, int width) {
  uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    const size_t pos = at + static_cast<size_t>(i);
    value = (value << 8) | (pos < size ? data[pos] : 0u);
  }
  return value;
}

bool IsLetters(const uint8_t* p) {
  return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

// A record that differs from anything a load could produce, to see what a failure changed.
LoadedWave Sentinel() {
  LoadedWave wave;
  wave.path = "loaded before";
  wave.layout.dataTagPos = -7;
  wave.layout.audioSize = 99;
  wave.layout.format.channels = 5;
  wave.layout.fmt.subFormat = 9;
  wave.playTime = {99, 12345, 77, -3, -4};
  return wave;
}

bool SameRecord(const LoadedWave& a, const LoadedWave& b) {
  const LoadedPlayTime& x = a.playTime;
  const LoadedPlayTime& y = b.playTime;
  return a.layout.dataTagPos == b.layout.dataTagPos && a.layout.AudioSize() == b.layout.AudioSize() &&
         a.layout.format == b.layout.format && a.layout.fmt.subFormat == b.layout.fmt.subFormat &&
         x.audioSize == y.audioSize && x.sampleRate == y.sampleRate && x.blockAlign == y.blockAlign &&
         x.wholeMinutes == y.wholeMinutes && x.seconds == y.seconds && a.path == b.path;
}

// What a clean chain says, read here without the engine.
struct Clean {
  size_t dataTagPos = 0;
  uint64_t audioSize = 0;
  bool sizeCertain = true;  // false for an unfilled size with bytes after it
  uint16_t encoding = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
};

constexpr int kCleanChunks = 64;  // well inside any bound the walk may have

std::optional<Clean> WalkClean(const uint8_t* data, size_t size) {
  if (size < 12 || std::memcmp(data + 8, "WAVE", 4) != 0) return std::nullopt;
  const bool rf64 = std::memcmp(data, "RF64", 4) == 0 || std::memcmp(data, "BW64", 4) == 0;
  if (!rf64 && std::memcmp(data, "RIFF", 4) != 0) return std::nullopt;
  Clean clean;
  bool haveFmt = false;
  std::optional<uint64_t> ds64Data, ds64Samples;
  size_t pos = 12;
  for (int chunks = 0; chunks < kCleanChunks && pos + 8 <= size; ++chunks) {
    if (!IsLetters(data + pos)) return std::nullopt;
    const uint64_t chunkSize = Le(data, size, pos + 4, 4);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      if (!haveFmt) return std::nullopt;
      clean.dataTagPos = pos;
      const uint64_t toEnd = size - pos - 8;
      uint64_t stated = chunkSize;
      if (rf64 && chunkSize == 0xFFFFFFFF && ds64Data) {
        stated = *ds64Data;
        // A writer that counts a chunk after the audio (a peak chunk) into ds64's size: the
        // sample count ends the audio where a chunk header stands.
        const uint16_t frame = clean.blockAlign;
        if (ds64Samples && frame != 0 && *ds64Samples < stated / frame && *ds64Samples * frame < size) {
          const uint64_t counted = *ds64Samples * frame;
          const uint64_t at = pos + 8 + counted + (counted & 1);
          if (at + 8 <= size && IsLetters(data + at) && at + 8 + Le(data, size, at + 4, 4) <= size) stated = counted;
        }
      }
      const bool unfilled = stated == 0 || (stated == 0xFFFFFFFF && !(rf64 && ds64Data));
      if (unfilled) {
        const uint64_t end = stated + (stated & 1);
        const uint16_t frame = clean.blockAlign;
        if (end >= toEnd) {
          clean.audioSize = frame == 0 ? toEnd : toEnd - toEnd % frame;
        } else {
          clean.sizeCertain = false;  // whether the bytes after it read as a chunk decides
        }
      } else {
        clean.audioSize = std::min(stated, toEnd);
      }
      return clean;
    }
    if (pos + 8 + chunkSize > size) return std::nullopt;
    if (std::memcmp(data + pos, "ds64", 4) == 0 && pos == 12 && rf64 && chunkSize >= 16) {
      ds64Data = Le(data, size, pos + 16, 8);
      if (chunkSize >= 24) ds64Samples = Le(data, size, pos + 24, 8);
    }
    if (std::memcmp(data + pos, "fmt ", 4) == 0 && !haveFmt) {
      if (chunkSize < 16) return std::nullopt;
      haveFmt = true;
      const size_t body = pos + 8;
      const auto tag = static_cast<uint16_t>(Le(data, size, body, 2));
      if (tag == 0xFFFE && chunkSize < 26) return std::nullopt;  // an extensible fmt without its sub-format
      clean.encoding = tag == 0xFFFE ? static_cast<uint16_t>(Le(data, size, body + 24, 2)) : tag;
      clean.channels = static_cast<uint16_t>(Le(data, size, body + 2, 2));
      clean.sampleRate = static_cast<uint32_t>(Le(data, size, body + 4, 4));
      clean.blockAlign = static_cast<uint16_t>(Le(data, size, body + 12, 2));
      clean.bits = static_cast<uint16_t>(Le(data, size, body + 14, 2));
    }
    pos += 8 + chunkSize + (chunkSize & 1);
  }
  return std::nullopt;
}

bool Cuttable(uint16_t encoding) { return encoding == 1 || encoding == 3 || encoding == 6 || encoding == 7; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("input.wav");
  fuzz::WriteBytes(path, data, size);
  const std::optional<Clean> clean = WalkClean(data, size);

  const LoadedWave before = Sentinel();
  LoadedWave wave = before;
  try {
    const LoadOutcome outcome = LoadWave(path, wave);
    // Wherever it was found, the audio is a data chunk's contents inside the file.
    FUZZ_CHECK(wave.layout.dataTagPos >= 0 && static_cast<uint64_t>(wave.layout.dataTagPos) + 8 <= size);
    FUZZ_CHECK(std::memcmp(data + wave.layout.dataTagPos, "data", 4) == 0);
    FUZZ_CHECK(wave.playTime.audioSize <= size - static_cast<uint64_t>(wave.layout.dataTagPos) - 8);
    FUZZ_CHECK(wave.path == path);
    FUZZ_CHECK(wave.playTime.blockAlign != 0 && wave.playTime.sampleRate != 0);
    const uint64_t totalSeconds = wave.playTime.audioSize / wave.playTime.blockAlign / wave.playTime.sampleRate;
    FUZZ_CHECK(wave.playTime.wholeMinutes == static_cast<int64_t>(totalSeconds / 60));
    FUZZ_CHECK(wave.playTime.seconds == static_cast<int64_t>(totalSeconds % 60));
    const std::string playTime = Text(texts::kPlayTimePrefix) + DecimalText(wave.playTime.wholeMinutes) +
                                 Text(texts::kMinutes) + DecimalText(wave.playTime.seconds) + Text(texts::kSeconds);
    FUZZ_CHECK(outcome.playTimeText == playTime);
    FUZZ_CHECK(outcome.attributesText == Text(texts::kAttributesPrefix) + ChannelName(wave.layout.format.channels) + "/" +
                                             DecimalText(wave.layout.format.bitsPerSample) + "bit/" +
                                             DecimalText(wave.playTime.sampleRate) + "Hz");
    FUZZ_CHECK(outcome.IsShortFile() == (wave.playTime.wholeMinutes == 0));
    FUZZ_CHECK(outcome.wholeMinutes == wave.playTime.wholeMinutes);
    if (clean) {
      FUZZ_CHECK(Cuttable(clean->encoding));
      FUZZ_CHECK(wave.layout.dataTagPos == static_cast<int64_t>(clean->dataTagPos));
      if (clean->sizeCertain) FUZZ_CHECK(wave.playTime.audioSize == clean->audioSize);
      FUZZ_CHECK(wave.playTime.sampleRate == clean->sampleRate && wave.playTime.blockAlign == clean->blockAlign);
      FUZZ_CHECK(wave.layout.format.channels == clean->channels && wave.layout.format.bitsPerSample == clean->bits);
    }
  } catch (const EngineError& error) {
    const std::string message = error.message();
    const bool refusal = message == FormatText(texts::kNoDataChunk, path) ||
                         message == FormatText(texts::kCompressedFormat, path) ||
                         message == FormatText(texts::kBigEndianFormat, path);
    const bool playTimeError = message == Text(texts::kIntegerDivideByZero) ||
                               message == Text(texts::kFloatDivideByZero) ||
                               message == Text(texts::kInvalidFloatOperation);
    FUZZ_CHECK(refusal || playTimeError);
    // Every failure leaves the recording loaded before as it was.
    FUZZ_CHECK(SameRecord(wave, before));
    if (size >= 12 && std::memcmp(data, "RIFX", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0) {
      FUZZ_CHECK(message == FormatText(texts::kBigEndianFormat, path));
    }
    if (clean) {
      if (!Cuttable(clean->encoding)) {
        FUZZ_CHECK(message == FormatText(texts::kCompressedFormat, path));
      } else {
        // A clean chain with a cuttable format fails only on a zero block align or rate.
        FUZZ_CHECK(playTimeError && (clean->blockAlign == 0 || clean->sampleRate == 0));
      }
    }
  }
  return 0;
}
