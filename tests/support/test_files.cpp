#include "test_files.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "codepage.h"
#include "engine_error.h"
#include "little_endian.h"

namespace fs = std::filesystem;

namespace ostrevan::testing {

namespace {
std::atomic<int> counter{0};

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void AppendText(Bytes& out, const char* text) { out.insert(out.end(), text, text + 4); }
void AppendU16(Bytes& out, uint16_t v) {
  unsigned char b[2];
  WriteU16(b, v);
  out.insert(out.end(), b, b + 2);
}
void AppendU32(Bytes& out, uint32_t v) {
  unsigned char b[4];
  WriteU32(b, v);
  out.insert(out.end(), b, b + 4);
}
}  // namespace

ScratchDir::ScratchDir() {
  std::random_device random;
  fs::path dir = fs::temp_directory_path() /
                 ("ostrevan-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  path_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchDir::File(const std::string& name) const {
#ifdef _WIN32
  return path_ + "\\" + name;
#else
  return path_ + "/" + name;
#endif
}

WaveShape Mono8000() {
  WaveShape shape;
  shape.channels = 1;
  shape.bitsPerSample = 8;
  shape.blockAlign = 1;
  shape.sampleRate = 8000;
  return shape;
}

std::string WriteMinutes(const ScratchDir& dir, const std::string& name, uint64_t seconds) {
  WaveShape shape;
  shape.channels = 1;
  shape.sampleRate = 100;
  shape.bitsPerSample = 8;
  shape.blockAlign = 1;
  const std::string path = dir.File(name);
  WriteFile(path, MakeWave(shape, PatternBytes(seconds * 100)));
  return path;
}

Bytes MakeWave(const WaveShape& shape, const Bytes& audio) {
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

  Bytes body;
  AppendText(body, "WAVE");
  Append(body, shape.chunksBeforeFmt);
  AppendText(body, "fmt ");
  AppendU32(body, shape.fmtSize);
  Append(body, fmt);
  Append(body, shape.chunksBeforeData);
  AppendText(body, "data");
  AppendU32(body, shape.statedSizeOverride ? shape.statedSize : static_cast<uint32_t>(audio.size()));
  Append(body, audio);
  Append(body, shape.trailer);

  Bytes file;
  AppendText(file, "RIFF");
  AppendU32(file, static_cast<uint32_t>(body.size()));
  Append(file, body);
  return file;
}

Bytes PatternBytes(uint64_t count, uint32_t variant) {
  Bytes out(static_cast<size_t>(count));
  uint32_t state = variant * 2654435761u + 12345u;
  for (auto& b : out) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(state >> 24);
  }
  return out;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return fs::exists(path); }

Bytes Chunk(const std::string& tag, const Bytes& body) {
  Bytes out;
  AppendText(out, tag.c_str());
  AppendU32(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& error) {
    return error.message();
  }
  return "(no error)";
}

Bytes ReadRange(const std::string& path, int64_t position, size_t count) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(position);
  Bytes out(count);
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
  out.resize(static_cast<size_t>(in.gcount()));
  return out;
}

void PutBytes(const std::string& path, int64_t position, const Bytes& bytes) {
  std::fstream io(path, std::ios::binary | std::ios::in | std::ios::out);
  io.seekp(position);
  io.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Sys(const char* utf8) { return ToSystemCodePage(utf8); }

}  // namespace ostrevan::testing
