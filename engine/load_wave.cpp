#include "load_wave.h"

#include "engine_error.h"
#include "integer_text.h"
#include "play_time.h"
#include "texts.h"

namespace ostrevan {

LoadedWave& TheLoadedWave() {
  static LoadedWave wave;
  return wave;
}

std::string ChannelName(uint16_t channels) {
  static const char* const channelNames[] = {"mono", "stereo"};
  if (channels >= 1 && channels <= 2) return channelNames[channels - 1];
  return DecimalText(channels) + "ch";
}

AudioLayout ReadCuttableLayout(File& file, const std::string& path) {
  const std::optional<AudioLayout> layout = ReadAudioLayout(file);
  if (layout && layout->kind == WaveKind::BigEndian) throw EngineError(FormatText(texts::kBigEndianFormat, path));
  if (!layout) throw EngineError(FormatText(texts::kNoDataChunk, path));
  if (!IsCuttableEncoding(layout->format.encoding)) throw EngineError(FormatText(texts::kCompressedFormat, path));
  return *layout;
}

LoadOutcome LoadWave(const std::string& path, LoadedWave& wave) {
  AudioLayout layout;
  {
    File file;
    if (!file.Open(path, FileMode::ReadExclusive)) throw EngineError(FormatText(texts::kCannotOpen, path));
    layout = ReadCuttableLayout(file, path);
  }  // the file is closed before anything below can fail

  wave.header = layout.header;
  wave.format = layout.format;
  wave.dataChunk = layout.dataChunk;
  wave.dataTagPos = layout.dataTagPos;
  wave.subFormat = layout.subFormat;
  wave.extensibleFmt = layout.extensibleFmt;

  const uint64_t dataSize = layout.AudioSize();
  const PlayTime time = ComputePlayTime(dataSize, layout.header.blockAlign, layout.header.sampleRate);
  wave.wholeMinutes = static_cast<int64_t>(time.WholeMinutes());
  wave.seconds = static_cast<int64_t>(time.seconds);
  wave.dataSize = dataSize;
  wave.sampleRate = layout.header.sampleRate;
  wave.blockAlign = layout.header.blockAlign;

  LoadOutcome outcome;
  outcome.playTimeText = Text(texts::kPlayTimePrefix) + DecimalText(wave.wholeMinutes) + Text(texts::kMinutes) +
                         DecimalText(wave.seconds) + Text(texts::kSeconds);
  outcome.attributesText = Text(texts::kAttributesPrefix) + ChannelName(wave.header.channels) + "/" +
                           DecimalText(wave.header.bitsPerSample) + "bit/" + DecimalText(wave.sampleRate) + "Hz";
  outcome.wholeMinutes = wave.wholeMinutes;
  if (wave.wholeMinutes == 0) outcome.shortFileMessage = Text(texts::kShortFile);
  return outcome;
}

}  // namespace ostrevan
