#pragma once
// The byte layouts of WAV and RF64 files as recorders and editors write them, and as damage
// leaves them, each with what a load must find in it: one table that the engine's tests, the
// command line's and the comparison with real tools all draw from. A layout that a tool here
// writes names how: the comparison makes it with the tool, and checks the tool's file holds
// the row's chunks in the row's order.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "test_waves.h"

namespace ostrevan::testing {

// One file of a layout, and where its audio lies.
struct WaveLayout {
  Bytes file;
  WaveShape shape;     // the values of its fmt chunk
  Bytes audio;         // the bytes its data chunk holds, as written
  int64_t dataTagPos;  // where its data chunk stands
  uint64_t audioSize;  // how many of those bytes are the audio: whole frames, inside the file

  // What a load of it shows.
  std::string PlayTime() const;
  std::string Attributes() const;
};

// A RIFF file of `shape` and `audio`, laid out as MakeWave lays it out.
WaveLayout LayoutOf(const WaveShape& shape, const Bytes& audio);

// What sox makes of a layout. It takes a stated size of 0 as no audio and 0xFFFFFFFF as
// 134,217 seconds (it still decodes to the end), and it does not read BW64: for those files
// only ffmpeg is asked about the length, or about anything.
enum class SoxReads { It, NotItsLength, Nothing };

// How a tool writes a layout: a shell command (%o: the file to write; %o.py: the libsndfile
// marker script, written there first) and what is done to its file by hand after it.
struct ToolRecipe {
  std::string name;
  std::string command;
  std::function<void(const std::string&)> finish;  // none: the tool's file as it is
  SoxReads sox;
};

struct LayoutRow {
  const char* name;
  std::function<WaveLayout()> make;
  // Damaged: tools that follow every chunk's size (and so read such a file otherwise, or
  // not at all) are not asked about it.
  bool damaged;
  SoxReads sox;
  std::vector<ToolRecipe> tools;
};
// Printed by its name in test names and failures, not as raw bytes.
void PrintTo(const LayoutRow& row, std::ostream* out);

// Every source here holds two minutes and ten seconds of audio, so that a cut of minute 1
// and a cut of the last minute are two different clips.
inline constexpr uint64_t kLayoutSeconds = 130;

std::vector<LayoutRow> LayoutRows();
// The row of that name; every test that picks rows picks them by name.
LayoutRow LayoutRowNamed(const std::string& name);

// The ids of a file's chunks after its first 12 bytes, in order, up to the end of the file
// (a data chunk whose size was never filled in ends it).
std::vector<std::string> ChunkIds(const Bytes& file);

// The Python script (python3-soundfile) that rewrites a file through libsndfile at half the
// level, with two markers: libsndfile puts a cue chunk before the audio, each of its points
// holding the four bytes "data". Arguments: the file read, the file written.
extern const char* const kMarkerScript;

}  // namespace ostrevan::testing
