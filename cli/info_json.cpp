// `info WAV --json`: what a load reads, for scripts. The play time and whole minutes are the
// window's; the rest are the file's own numbers.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "commands.h"
#include "engine_error.h"
#include "load_wave.h"
#include "riff_walk.h"
#include "texts.h"

namespace ostrevan::cli {

namespace {

using Json = nlohmann::ordered_json;

// "RIFF", "RF64" or "BW64" as the file starts; null for a file that loaded by the bytes
// "data" alone.
Json ContainerOf(const std::string& head) {
  for (const char* id : {"RIFF", "RF64", "BW64"}) {
    if (head == id) return id;
  }
  return nullptr;
}

Json FormatJson(const FmtChunk& fmt) {
  const bool extensible = fmt.formatTag == kExtensibleFormat && fmt.size >= kExtensibleFmtSize;
  const auto extended = [&](uint32_t value) { return extensible ? Json(value) : Json(nullptr); };
  return {{"tag", fmt.formatTag},
          {"channels", fmt.channels},
          {"sample_rate", fmt.sampleRate},
          {"byte_rate", fmt.byteRate},
          {"block_align", fmt.blockAlign},
          {"bits_per_sample", fmt.bitsPerSample},
          {"valid_bits", extended(fmt.validBits)},
          {"channel_mask", extended(fmt.channelMask)},
          {"sub_format", extended(fmt.subFormat)}};
}

}  // namespace

std::string JsonText(const Json& value) { return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

int PrintInfoJson(const std::string& path, std::FILE* out, std::FILE* err) {
  LoadedWave wave;
  const LoadOutcome loaded = LoadWave(path, wave);
  const AudioLayout& layout = wave.layout;
  const LoadedPlayTime& time = wave.playTime;

  File file;
  if (!file.Open(path, FileMode::ReadShared)) throw EngineError(FormatText(texts::kCannotOpen, path));
  char head[4] = {};
  const size_t got = file.ReadAt(0, head, sizeof head);
  std::vector<ChunkEntry> chunks;
  WalkChunks(file, file.Length(), &chunks);
  Json chunkList = Json::array();
  for (const ChunkEntry& chunk : chunks) {
    chunkList.push_back({{"id", chunk.id}, {"offset", chunk.offset}, {"size", chunk.size}});
  }

  const std::string playTime = loaded.playTimeText.substr(std::string(Text(texts::kPlayTimePrefix)).size());
  const Json json = {
      {"file", path},
      {"container", ContainerOf(std::string(head, got))},
      {"format", FormatJson(layout.fmt)},
      {"data_offset", layout.DataStart()},
      {"data_bytes", layout.audioSize},
      {"frames", layout.audioSize / layout.format.blockAlign},
      {"play_time", {{"minutes", time.wholeMinutes}, {"seconds", time.seconds}, {"text", playTime}}},
      {"whole_minutes", loaded.wholeMinutes},
      {"chunks", chunkList}};
  WriteUtf8(out, JsonText(json));
  if (!loaded.IsShortFile()) return kExitFinished;
  std::fflush(out);
  WriteText(err, loaded.shortFileMessage + "\n");
  return kExitMessage;
}

}  // namespace ostrevan::cli
