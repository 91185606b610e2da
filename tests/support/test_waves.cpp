#include "test_waves.h"

#include "texts.h"

#include <algorithm>
#include <filesystem>

#include "little_endian.h"

namespace fs = std::filesystem;

namespace ostrevan::testing {

namespace {
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
// A chunk id: four bytes, pushed one by one (a range insert of four bytes from a literal
// draws a false overflow warning from GCC's optimiser).
void AppendText(Bytes& out, const char* text) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(text[i]));
}
void AppendU16(Bytes& out, uint16_t v) { Append(out, Le16(v)); }
void AppendU32(Bytes& out, uint32_t v) { Append(out, Le32(v)); }
}  // namespace

WaveShape SampleShape(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample) {
  WaveShape shape;
  shape.formatTag = formatTag;
  shape.channels = channels;
  shape.sampleRate = sampleRate;
  shape.bitsPerSample = bitsPerSample;
  shape.blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  return shape;
}

uint64_t BytesPerMinute(const WaveShape& shape) { return uint64_t{shape.sampleRate} * shape.blockAlign * 60; }

WaveShape TestFormat() { return SampleShape(1, 2, 100, 16); }

WaveShape Mono8000() { return SampleShape(1, 1, 8000, 8); }

std::string WriteMinutes(const ScratchDir& dir, const std::string& name, uint64_t seconds) {
  const std::string path = dir.File(name);
  WriteFile(path, MakeWave(TestFormat(), PatternBytes(seconds * kMinute / 60)));
  return path;
}

Bytes WaveHead(const WaveShape& shape, uint64_t audioSize) {
  Bytes fmt;
  AppendU16(fmt, shape.formatTag);
  AppendU16(fmt, shape.channels);
  AppendU32(fmt, shape.sampleRate);
  AppendU32(fmt, shape.sampleRate * shape.blockAlign);
  AppendU16(fmt, shape.blockAlign);
  AppendU16(fmt, shape.bitsPerSample);
  if (shape.fmtSize >= 18) AppendU16(fmt, static_cast<uint16_t>(shape.fmtSize - 18));
  if (shape.fmtSize >= 40) {
    AppendU16(fmt, shape.bitsPerSample);  // valid bits
    AppendU32(fmt, 3);                   // channel mask
    AppendU16(fmt, shape.subFormat);      // sub-format GUID: the code first, then the fixed tail
    const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                    0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), tail, tail + 14);
  }
  fmt.resize(shape.fmtSize, 0);

  const auto clamp32 = [](uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); };
  Bytes head;
  AppendText(head, "RIFF");
  AppendU32(head, 0);  // filled in below
  AppendText(head, "WAVE");
  Append(head, shape.chunksBeforeFmt);
  AppendText(head, "fmt ");
  AppendU32(head, shape.fmtSize);
  Append(head, fmt);
  Append(head, shape.chunksBeforeData);
  AppendText(head, "data");
  AppendU32(head, shape.statedSizeOverride ? shape.statedSize : clamp32(audioSize));
  WriteU32(&head[4], clamp32(head.size() - 8 + audioSize + shape.trailer.size()));
  return head;
}

Bytes MakeWave(const WaveShape& shape, const Bytes& audio) {
  Bytes file = WaveHead(shape, audio.size());
  Append(file, audio);
  Append(file, shape.trailer);
  return file;
}

std::string PlayTimeText(uint64_t totalSeconds) {
  return Text(u8"演奏時間:") + std::to_string(totalSeconds / 60) + Text(u8"分") + std::to_string(totalSeconds % 60) +
         Text(u8"秒");
}

std::string AttributesText(unsigned channels, unsigned bitsPerSample, uint64_t sampleRate) {
  const std::string named = channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + "ch";
  return Text(u8"WAV属性:") + named + "/" + std::to_string(bitsPerSample) + "bit/" + std::to_string(sampleRate) + "Hz";
}

Bytes Chunk(const std::string& tag, const Bytes& body) {
  Bytes out;
  AppendText(out, tag.c_str());
  AppendU32(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes Ds64Chunk(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount) {
  return Chunk("ds64", Joined({Le64(riffSize), Le64(dataSize), Le64(sampleCount), Le32(0)}));
}

Bytes MakeRf64(WaveShape shape, const Bytes& audio, const char* magic, int64_t statedAudioSize) {
  const uint64_t dataSize = statedAudioSize < 0 ? audio.size() : static_cast<uint64_t>(statedAudioSize);
  // The ds64 chunk is 36 bytes: its RIFF size counts it too.
  const Bytes placeholder = Ds64Chunk(0, 0, 0);
  shape.chunksBeforeFmt.insert(shape.chunksBeforeFmt.begin(), placeholder.begin(), placeholder.end());
  shape.statedSizeOverride = true;
  shape.statedSize = 0xFFFFFFFF;
  Bytes file = MakeWave(shape, audio);
  const uint64_t riffSize = file.size() - 8 - audio.size() + dataSize;
  const Bytes ds64 = Ds64Chunk(riffSize, dataSize, shape.blockAlign ? dataSize / shape.blockAlign : 0);
  std::copy(magic, magic + 4, file.begin());
  WriteU32(&file[4], 0xFFFFFFFF);
  std::copy(ds64.begin(), ds64.end(), file.begin() + 12);
  return file;
}

WalkedWave WalkWave(const std::string& path) {
  WalkedWave wave;
  const int64_t length = static_cast<int64_t>(fs::file_size(PathOf(path)));
  const Bytes head = ReadRange(path, 0, 12);
  if (head.size() < 12 || !std::equal(head.begin() + 8, head.end(), "WAVE")) return wave;
  const std::string magic(head.begin(), head.begin() + 4);
  if (magic != "RIFF" && magic != "RF64" && magic != "BW64") return wave;
  uint64_t ds64DataSize = 0;
  bool haveFmt = false;
  for (int64_t pos = 12; pos + 8 <= length;) {
    const Bytes chunk = ReadRange(path, pos, 8);
    const std::string id(chunk.begin(), chunk.begin() + 4);
    const uint32_t size = ReadU32(&chunk[4]);
    if (id == "ds64" && pos == 12) {
      const Bytes body = ReadRange(path, pos + 8, 16);
      if (body.size() == 16) ds64DataSize = ReadU32(&body[8]) | (uint64_t{ReadU32(&body[12])} << 32);
    } else if (id == "fmt " && !haveFmt) {
      Bytes body = ReadRange(path, pos + 8, 26);
      body.resize(26, 0);
      haveFmt = true;
      wave.formatTag = ReadU16(&body[0]);
      wave.channels = ReadU16(&body[2]);
      wave.sampleRate = ReadU32(&body[4]);
      wave.blockAlign = ReadU16(&body[12]);
      wave.bitsPerSample = ReadU16(&body[14]);
      wave.encoding = wave.formatTag == 0xFFFE && size >= 26 ? ReadU16(&body[24]) : wave.formatTag;
    } else if (id == "data") {
      wave.found = true;
      wave.dataTagPos = pos;
      wave.dataStart = pos + 8;
      const auto toEnd = static_cast<uint64_t>(length - wave.dataStart);
      uint64_t stated = size;
      if (magic != "RIFF" && size == 0xFFFFFFFF) stated = ds64DataSize;
      // Unfilled when nothing after the stated end reads as a chunk (four letters, a size
      // that fits the file).
      const int64_t end = wave.dataStart + static_cast<int64_t>(size) + (size & 1);
      bool last = end + 8 > length;
      if (!last) {
        const Bytes next = ReadRange(path, end, 8);
        const bool letters = std::all_of(next.begin(), next.begin() + 4, [](unsigned char c) { return c >= 32 && c < 127; });
        last = !letters || end + 8 + static_cast<int64_t>(ReadU32(&next[4])) > length;
      }
      if (magic == "RIFF" && (size == 0 || size == 0xFFFFFFFF) && last) {
        wave.audioSize = wave.blockAlign ? toEnd - toEnd % wave.blockAlign : toEnd;
      } else {
        wave.audioSize = std::min(stated, toEnd);
      }
      return wave;
    }
    pos += 8 + static_cast<int64_t>(size) + (size & 1);
  }
  return wave;
}

Bytes WalkedAudio(const std::string& path) {
  const WalkedWave wave = WalkWave(path);
  if (!wave.found) return {};
  return ReadRange(path, wave.dataStart, static_cast<size_t>(wave.audioSize));
}

Bytes ListInfoChunk(const std::string& id, const std::string& text) {
  return Chunk("LIST", Joined({TextBytes("INFO"), Chunk(id, TextBytes(text + std::string(1, '\0')))}));
}

Bytes BextChunk(const std::string& description) {
  Bytes body = TextBytes(description.substr(0, 256));
  body.resize(602, 0);
  return Chunk("bext", body);
}

Bytes CueChunk(const std::vector<uint32_t>& positions) {
  Bytes body = Le32(static_cast<uint32_t>(positions.size()));
  uint32_t id = 1;
  for (const uint32_t position : positions) {
    body = Joined({body, Le32(id++), Le32(position), TextBytes("data"), Le32(0), Le32(0), Le32(position)});
  }
  return Chunk("cue ", body);
}

}  // namespace ostrevan::testing
