#include "load_wave.h"

#include "engine_error.h"
#include "integer_text.h"
#include "play_time.h"
#include "texts.h"

namespace ostrevan {

bool LoadedWave::IsStill(const std::string& at, const AudioLayout& now) const {
  return at == path && now.dataTagPos == layout.dataTagPos && now.AudioSize() == layout.AudioSize() &&
         now.format == layout.format;
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

  // The play time raises before anything is kept.
  const uint64_t dataSize = layout.AudioSize();
  const PlayTime time = ComputePlayTime(dataSize, layout.format.blockAlign, layout.format.sampleRate);
  wave = {path, layout,
          {dataSize, layout.format.sampleRate, layout.format.blockAlign, static_cast<int64_t>(time.WholeMinutes()),
           static_cast<int64_t>(time.seconds)}};

  LoadOutcome outcome;
  const LoadedPlayTime& shown = wave.playTime;
  outcome.playTimeText = Text(texts::kPlayTimePrefix) + DecimalText(shown.wholeMinutes) + Text(texts::kMinutes) +
                         DecimalText(shown.seconds) + Text(texts::kSeconds);
  outcome.attributesText = Text(texts::kAttributesPrefix) + ChannelName(layout.format.channels) + "/" +
                           DecimalText(layout.format.bitsPerSample) + "bit/" + DecimalText(shown.sampleRate) + "Hz";
  outcome.wholeMinutes = shown.wholeMinutes;
  if (shown.wholeMinutes == 0) outcome.shortFileMessage = Text(texts::kShortFile);
  return outcome;
}

}  // namespace ostrevan
