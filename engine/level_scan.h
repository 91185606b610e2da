#pragma once
// The loudness of a recording, minute by minute: each started minute's peak and RMS over all
// its channels, in dB of full scale. Samples count as fractions of full scale: integer PCM
// divided by 2^(bits - 1) of its container (8-bit is unsigned, centred at 128), float as
// stored, A-law and mu-law decoded to 16-bit first. The file is read in blocks of 1 MiB, two
// at a time, so memory does not grow with it.

#include <cstdint>
#include <string>

#include "file.h"
#include "wave_format.h"

namespace ostrevan {

inline constexpr int64_t kSecondsPerMinute = 60;

// One minute's loudness, kept as linear values so that minutes can be combined.
struct MinuteLevel {
  double seconds = 0;     // the minute's length: 60, less for a shorter last minute
  double peak = 0;        // the largest |x| of any channel
  double meanSquare = 0;  // the mean of x² over every sample of every channel

  // 20·log10(peak) and 20·log10(√meanSquare); minus infinity for digital silence.
  double PeakDbfs() const;
  double RmsDbfs() const;
};

// A level as the program shows it: to a tenth of a dB ("-3.2", "0.0" for a level that rounds
// to zero from below), "-inf" for digital silence.
std::string DecibelText(double dbfs);

// Several minutes as one: the largest peak and the mean of their power, weighted by length.
MinuteLevel CombineMinutes(const MinuteLevel* minutes, size_t count);

// Every started minute of the audio `layout` describes; 0 without a frame.
int64_t MinuteCountOf(const AudioLayout& layout);
// The audio's length in minutes, the part of a last shorter minute included.
double LengthInMinutes(const AudioLayout& layout);
// The byte range of the audio data (from its start) that minute `minute` covers.
struct ByteSpan {
  uint64_t offset = 0;
  uint64_t size = 0;
};
ByteSpan MinuteSpan(const AudioLayout& layout, int64_t minute);
// The minutes [first, end) that touch the audio bytes [offset, offset + size).
struct MinuteSpanRange {
  int64_t first = 0;
  int64_t end = 0;
};
MinuteSpanRange MinutesTouching(const AudioLayout& layout, uint64_t offset, uint64_t size);

// Where the scan's minutes go, and whether it may go on.
class LevelSink {
 public:
  virtual ~LevelSink() = default;
  // Minute `minute` has been scanned.
  virtual void Scanned(int64_t minute, const MinuteLevel& level) = 0;
  // Asked between blocks; false stops the scan there.
  virtual bool KeepGoing() { return true; }
  // After each block: `done` of the `total` audio bytes of the minutes asked for are summed.
  virtual void BytesRead(uint64_t /*done*/, uint64_t /*total*/) {}
};

enum class ScanEnd {
  Complete,  // every minute asked for was scanned
  Stopped,   // the sink said stop
  Failed,    // a read error, a file shorter than its audio, or samples it cannot measure
};

struct ScanOutcome {
  ScanEnd end = ScanEnd::Complete;
  int64_t nextMinute = 0;  // the first minute not scanned
  std::string error;       // for Failed: why, as a message for the user
};

// Scans minutes [first, end) of the audio of the open `file`, laid out as `layout`, handing
// each to `sink` as soon as it is done, in order, on the calling thread. A second thread
// reads and sums blocks beside it. Never raises for the file: a read error or a short read
// ends the scan, the minutes before it given already.
ScanOutcome ScanLevels(File& file, const std::string& path, const AudioLayout& layout, int64_t first,
                       int64_t end, LevelSink& sink);

// The same on the file at `path`, opened shared for reading (others may read, no one may
// write meanwhile) and closed before this returns. The audio must still lie as `layout`
// says (same format, same data start and size): else the scan fails, scanning nothing.
ScanOutcome ScanLevelsOf(const std::string& path, const AudioLayout& layout, int64_t first, int64_t end,
                         LevelSink& sink);

// Whether the samples of `format` can be measured: integer PCM of 1 to 4 bytes, float of 4
// or 8 bytes, A-law and mu-law of 1 byte, whole samples in each frame.
bool CanMeasure(const SampleFormat& format);

}  // namespace ostrevan
