#include "layouts.h"

#include <stdexcept>

#include "little_endian.h"
#include "wave_format.h"

namespace ostrevan::testing {

namespace {

// An RF64 (or BW64) file; where the data chunk stands follows from the bytes after it.
WaveLayout Rf64(const WaveShape& shape, const Bytes& audio, const char* magic, int64_t statedSize = -1) {
  WaveLayout layout{MakeRf64(shape, audio, magic, statedSize), shape, audio, 0, audio.size()};
  layout.dataTagPos = static_cast<int64_t>(layout.file.size() - shape.trailer.size() - audio.size() - 8);
  return layout;
}

// The audio of a source of `shape`, and `extra` bytes more.
Bytes AudioOf(const WaveShape& shape, uint64_t extra = 0) {
  return PatternBytes(kLayoutSeconds * shape.sampleRate * shape.blockAlign + extra);
}

WaveShape Mono16() { return SampleShape(1, 1, 8000, 16); }

// Filler bytes for a chunk that must never hold the bytes "data".
Bytes Filler(size_t count) { return Bytes(count, 'x'); }

// A chunk header whose id is no text: the chain is broken there.
Bytes BrokenChunk(size_t bodySize) {
  return Joined({Bytes{1, 2, 3, 4}, Le32(static_cast<uint32_t>(bodySize)), Filler(bodySize)});
}

// A recorder's size never filled in (0 or 0xFFFFFFFF), and power lost in the middle of a
// frame: the audio is the whole frames up to the end of the file.
WaveLayout Unfinished(uint32_t statedSize) {
  WaveShape shape = Mono16();
  shape.statedSizeOverride = true;
  shape.statedSize = statedSize;
  WaveLayout layout = LayoutOf(shape, AudioOf(shape, 1));
  layout.audioSize -= 1;
  return layout;
}

// Tools' files are changed by hand where no tool here writes the layout; the RIFF size is
// kept right.
void InsertAt(const std::string& path, size_t at, const Bytes& bytes) {
  Bytes file = ReadFile(path);
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
  WriteU32(&file[4], static_cast<uint32_t>(file.size() - 8));
  WriteFile(path, file);
}

void InsertBeforeData(const std::string& path, const Bytes& bytes) {
  InsertAt(path, static_cast<size_t>(WalkWave(path).dataTagPos), bytes);
}

void Append(const std::string& path, const Bytes& bytes) { InsertAt(path, ReadFile(path).size(), bytes); }

// A recorder that lost power: the data size as it wrote it at the start, and half a frame.
void Unfinish(const std::string& path, uint32_t statedSize) {
  Bytes file = ReadFile(path);
  WriteU32(&file[static_cast<size_t>(WalkWave(path).dataTagPos) + 4], statedSize);
  WriteU32(&file[4], statedSize);
  file.push_back(0x5A);
  WriteFile(path, file);
}

const std::string kNoise = "synth 130 whitenoise";
const std::string kLavfi = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:d=130:a=0.5 ";
const std::string kBitexact = kLavfi + "-c:a pcm_s16le -map_metadata -1 -fflags +bitexact %o";

ToolRecipe Tool(const std::string& name, const std::string& command,
                const std::function<void(const std::string&)>& finish = nullptr) {
  return {name, command, finish, SoxReads::It};
}

ToolRecipe UnfinishedTool(const std::string& name, uint32_t statedSize) {
  return {name, "sox -n -r 8000 -c 1 -b 16 %o " + kNoise,
          [statedSize](const std::string& path) { Unfinish(path, statedSize); }, SoxReads::NotItsLength};
}

// As recorders and editors write it, and tools read it.
LayoutRow Written(const char* name, const std::function<WaveLayout()>& make, std::vector<ToolRecipe> tools = {}) {
  return {name, make, false, SoxReads::It, std::move(tools)};
}

LayoutRow UnfinishedRow(const char* name, uint32_t statedSize, std::vector<ToolRecipe> tools) {
  return {name, [statedSize] { return Unfinished(statedSize); }, false, SoxReads::NotItsLength, std::move(tools)};
}

LayoutRow Damaged(const char* name, const std::function<WaveLayout()>& make) {
  return {name, make, true, SoxReads::It, {}};
}

// A Mono8000 source with `change` made to its shape.
std::function<WaveLayout()> Mono8000With(const std::function<void(WaveShape&)>& change) {
  return [change] {
    WaveShape shape = Mono8000();
    change(shape);
    return LayoutOf(shape, AudioOf(shape));
  };
}

const Bytes kIxml = Chunk("iXML", TextBytes("<?xml version=\"1.0\"?><BWFXML><NOTE>data take 3</NOTE></BWFXML>"));

}  // namespace

WaveLayout LayoutOf(const WaveShape& shape, const Bytes& audio) {
  WaveLayout layout{MakeWave(shape, audio), shape, audio, 0, audio.size()};
  layout.dataTagPos = static_cast<int64_t>(layout.file.size() - shape.trailer.size() - audio.size() - 8);
  return layout;
}

std::string WaveLayout::PlayTime() const {
  return PlayTimeText(audioSize / shape.blockAlign / shape.sampleRate);
}

std::string WaveLayout::Attributes() const {
  return AttributesText(shape.channels, shape.bitsPerSample, shape.sampleRate);
}

void PrintTo(const LayoutRow& row, std::ostream* out) { *out << row.name; }

const char* const kMarkerScript = R"PY(
import array, struct, sys
import soundfile as sf
from soundfile import _ffi, _snd
src, dst = sys.argv[1], sys.argv[2]
with sf.SoundFile(src) as f:
    rate, channels, subtype = f.samplerate, f.channels, f.subtype
    dtype = 'float32' if subtype in ('FLOAT', 'DOUBLE') else 'int32'
    code = 'f' if dtype == 'float32' else 'i'
    samples = array.array(code, bytes(f.buffer_read(dtype=dtype)))
    audio = array.array(code, (v / 2 if code == 'f' else v // 2 for v in samples)).tobytes()
with sf.SoundFile(dst, 'w', rate, channels, subtype, format='WAV') as f:
    size = 4 + 100 * 280
    cues = _ffi.new('char[]', size)
    struct.pack_into('<I', _ffi.buffer(cues), 0, 2)
    for n, position in enumerate((800, 1600)):
        struct.pack_into('<iIiiiI256s', _ffi.buffer(cues), 4 + n * 280, n + 1, position,
                         0x61746164, 0, 0, position, b'mark')
    if _snd.sf_command(f._file, 0x10CF, cues, size) != 1:
        sys.exit('libsndfile refused the markers')
    f.buffer_write(audio, dtype=dtype)
)PY";

std::vector<LayoutRow> LayoutRows() {
  return {
      Written("Canonical", Mono8000With([](WaveShape&) {}),
              {Tool("FfmpegBitexactCanonical", kBitexact),
               Tool("SoxPlain16BitStereoCanonical", "sox -n -r 8000 -c 2 -b 16 %o " + kNoise)}),
      Written("JunkPlaceholderBeforeFmt",
              Mono8000With([](WaveShape& s) {
                s.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
                s.chunksBeforeData = ListInfoChunk("ISFT", "Lavf60.16.100");
              }),
              {Tool("FfmpegRf64AutoJunkBeforeFmt", kLavfi + "-c:a pcm_u8 -rf64 auto %o")}),
      Written("BextBeforeFmtWhoseDescriptionSaysData",
              Mono8000With([](WaveShape& s) { s.chunksBeforeFmt = BextChunk("Card 2 data, river bank"); }),
              {Tool("BextBeforeFmtSayingData", kBitexact,
                    [](const std::string& path) { InsertAt(path, 12, BextChunk("Card 2 data, river bank")); })}),
      Written("BextAfterFmt",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = BextChunk("Card 2 data, river bank"); }),
              {Tool("SndfileMetadataSetBext", kBitexact + " && mv %o %o.in.wav && sndfile-metadata-set "
                                                          "--bext-description 'Card 2 data, river bank' %o.in.wav %o "
                                                          "&& rm %o.in.wav")}),
      Written("BextAndListInfoAfterFmt",
              Mono8000With([](WaveShape& s) {
                s.chunksBeforeData = Joined({BextChunk("field recording data set 3"), ListInfoChunk("ISFT", "Lavf")});
              }),
              {Tool("FfmpegBextAfterFmtSayingData",
                    kLavfi + "-c:a pcm_s16le -write_bext 1 -metadata description='field recording data set 3' %o")}),
      Written("ListInfoBeforeTheAudio",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = ListInfoChunk("ICMT", "metadata"); }),
              {Tool("FfmpegListInfoCommentMetadata", kLavfi + "-c:a pcm_s16le -metadata comment=metadata %o")}),
      Written("IxmlBeforeTheAudio", Mono8000With([](WaveShape& s) { s.chunksBeforeData = kIxml; }),
              {Tool("IxmlBeforeTheAudio", kBitexact, [](const std::string& path) { InsertBeforeData(path, kIxml); })}),
      Written("BextIxmlAndListInfoBeforeTheAudio", Mono8000With([](WaveShape& s) {
                s.chunksBeforeData =
                    Joined({BextChunk("field recording data set 3"), kIxml, ListInfoChunk("ICMT", "metadata")});
              })),
      Written("LibsndfileCueChunkBeforeTheAudio",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = CueChunk({8000, 16000}); }),
              {Tool("LibsndfileMarkersCueHoldingData", "sox -n -r 8000 -c 2 -b 16 %o.in.wav " + kNoise +
                                                           " && /usr/bin/python3 %o.py %o.in.wav %o && rm %o.in.wav")}),
      // Missing the pad byte lands on "\0fmt", which breaks the chain; the scan would then
      // stop at the "data" inside the chunk after fmt.
      Written("OddChunkAndItsPadByteBeforeFmt",
              Mono8000With([](WaveShape& s) {
                s.chunksBeforeFmt = Chunk("note", TextBytes("take!"));
                s.chunksBeforeData = Chunk("PEAK", TextBytes("1data23"));
              }),
              {Tool("OddChunksWithPadBytesBeforeFmtAndData", kBitexact,
                    [](const std::string& path) {
                      InsertAt(path, 12, Chunk("note", TextBytes("take!")));
                      InsertBeforeData(path, Chunk("PEAK", TextBytes("1data23")));
                    })}),
      Written("OddChunkAndItsPadByteBeforeData", Mono8000With([](WaveShape& s) {
                s.chunksBeforeData = Joined({Chunk("PEAK", TextBytes("1data23")), ListInfoChunk("ICMT", "x")});
              })),
      // Upper-case DATA is another chunk, not the audio.
      Written("UpperCaseDataChunkBeforeTheAudio",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = Chunk("DATA", {1, 2, 3, 4}); })),
      // cbSize 0 after the PCM fields, as older Windows writers leave it.
      Written("Fmt18Pcm", Mono8000With([](WaveShape& s) { s.fmtSize = 18; })),
      Written("Fmt18FloatWithFact",
              Mono8000With([](WaveShape& s) {
                s.formatTag = 3;
                s.bitsPerSample = 32;
                s.blockAlign = 4;
                s.fmtSize = 18;
                s.chunksBeforeData = Chunk("fact", Le32(kLayoutSeconds * 8000));
              }),
              {Tool("SoxFloatFmt18WithFact", "sox -n -r 8000 -c 1 -e floating-point -b 32 %o " + kNoise)}),
      Written("Fmt40ExtensibleSixChannels24BitWithFact",
              [] {
                WaveShape shape;
                shape.formatTag = kExtensibleFormat;
                shape.fmtSize = 40;
                shape.subFormat = 1;
                shape.channels = 6;
                shape.bitsPerSample = 24;
                shape.blockAlign = 18;
                shape.sampleRate = 1000;
                shape.chunksBeforeData = Chunk("fact", Le32(kLayoutSeconds * 1000));
                return LayoutOf(shape, AudioOf(shape));
              },
              {Tool("SoxExtensible24BitSixChannelsWithFact", "sox -n -r 8000 -c 6 -b 24 %o " + kNoise)}),
      // The encoding is the sub-format's, not the tag's.
      Written("Fmt40ExtensibleFloat",
              [] {
                WaveShape shape = SampleShape(kExtensibleFormat, 2, 1000, 32);
                shape.fmtSize = 40;
                shape.subFormat = 3;
                return LayoutOf(shape, AudioOf(shape));
              }),
      Written("ListCueSmplAndId3AfterTheAudio",
              Mono8000With([](WaveShape& s) {
                s.trailer = Joined({ListInfoChunk("ICMT", "data"), CueChunk({100}), Chunk("smpl", Bytes(36, 0)),
                                    Chunk("id3 ", TextBytes("ID3\x03" "data"))});
              }),
              {Tool("ListCueSmplAndId3AfterTheAudio", kBitexact,
                    [](const std::string& path) {
                      Append(path, Joined({ListInfoChunk("ICMT", "data"), CueChunk({100}), Chunk("smpl", Bytes(36, 0)),
                                           Chunk("id3 ", TextBytes("ID3data"))}));
                    })}),
      Written("OddSizedAudioWithItsPadByteThenList",
              [] {
                WaveShape shape = Mono8000();
                shape.bitsPerSample = 24;
                shape.blockAlign = 3;
                shape.trailer = Joined({Bytes{0}, ListInfoChunk("ICMT", "data")});
                return LayoutOf(shape, AudioOf(shape, 3));  // an odd count of 3-byte frames
              }),
      Written("Rf64WithDs64",
              [] {
                WaveShape shape = SampleShape(1, 2, 8000, 16);
                shape.chunksBeforeData = ListInfoChunk("ISFT", "Lavf60.16.100");
                return Rf64(shape, AudioOf(shape), "RF64");
              },
              {Tool("FfmpegRf64AlwaysDs64", kLavfi + "-ac 2 -c:a pcm_s16le -rf64 always %o")}),
      Written("Rf64WithDs64AndAChunkAfterTheAudio",
              [] {
                WaveShape shape = Mono16();
                shape.chunksBeforeData = ListInfoChunk("ISFT", "Lavf60.16.100");
                shape.trailer = Chunk("levl", Filler(60));
                return Rf64(shape, AudioOf(shape), "RF64");
              }),
      {"Bw64WithDs64", [] { return Rf64(Mono8000(), AudioOf(Mono8000()), "BW64"); }, false, SoxReads::Nothing, {}},
      Written("Rf64WhoseDs64StatesMoreThanTheFileHolds",
              [] {
                const Bytes audio = AudioOf(Mono8000());
                return Rf64(Mono8000(), audio, "RF64", static_cast<int64_t>(audio.size()) + 100000);
              }),
      UnfinishedRow("UnfinishedDataSizeZero", 0, {UnfinishedTool("UnfinishedDataSizeZero", 0)}),
      UnfinishedRow("UnfinishedDataSizeAllOnes", 0xFFFFFFFF, {UnfinishedTool("UnfinishedDataSizeAllOnes", 0xFFFFFFFF)}),
      Damaged("ChainBrokenByAnIdThatIsNoTextFallsBackToTheScan",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = BrokenChunk(10); })),
      // Damaged bytes whose "size" would jump over the real data chunk onto a chunk named
      // "data" further on: a header that is no text is never walked over.
      Damaged("ChainBrokenByAnIdThatIsNoTextIsNotWalkedOver",
              [] {
                WaveShape shape = Mono8000();
                const Bytes audio = AudioOf(shape);
                shape.chunksBeforeData = Joined({Bytes{1, 2, 3, 4}, Le32(static_cast<uint32_t>(8 + audio.size()))});
                shape.trailer = Chunk("data", Filler(16));
                return LayoutOf(shape, audio);
              }),
      Damaged("ChainBrokenByASizePastTheEndFallsBackToTheScan", Mono8000With([](WaveShape& s) {
                s.chunksBeforeData = Joined({TextBytes("LIST"), Le32(0x7FFFFFF0), TextBytes("INFO")});
              })),
      // The scan reads 64 KiB blocks from position 36; these tags straddle the first edge.
      Damaged("FallbackScanTagAcrossTheBlockEdgeByOne",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = BrokenChunk(65536 - 1 - 8); })),
      Damaged("FallbackScanTagAcrossTheBlockEdgeByTwo",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = BrokenChunk(65536 - 2 - 8); })),
      Damaged("FallbackScanTagAcrossTheBlockEdgeByThree",
              Mono8000With([](WaveShape& s) { s.chunksBeforeData = BrokenChunk(65536 - 3 - 8); })),
  };
}

LayoutRow LayoutRowNamed(const std::string& name) {
  for (LayoutRow& row : LayoutRows()) {
    if (name == row.name) return row;
  }
  throw std::invalid_argument("no layout row " + name);
}

std::vector<std::string> ChunkIds(const Bytes& file) {
  std::vector<std::string> ids;
  const bool riff = file.size() >= 4 && std::string(file.begin(), file.begin() + 4) == "RIFF";
  uint64_t ds64DataSize = 0;
  for (size_t pos = 12; pos + 8 <= file.size();) {
    const std::string id(&file[pos], &file[pos] + 4);
    uint64_t size = ReadU32(&file[pos + 4]);
    ids.push_back(id);
    if (id == "ds64" && size >= 16 && pos + 24 <= file.size()) ds64DataSize = ReadU64(&file[pos + 16]);
    if (id == "data" && size == 0xFFFFFFFF && !riff) size = ds64DataSize;
    if (id == "data" && riff && (size == 0 || size == 0xFFFFFFFF)) break;
    pos += 8 + size + (size & 1);
  }
  return ids;
}

}  // namespace ostrevan::testing
