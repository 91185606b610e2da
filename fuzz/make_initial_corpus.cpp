// Writes the starting corpus of each fuzz target from files this program's own rules make:
//   make_initial_corpus DIR   ->   DIR/load, DIR/record, DIR/write_back
// Files made by other tools are added by scripts/make-fuzz-corpus.

#include <cstdio>
#include <filesystem>
#include <string>

#include "clip_record.h"
#include "fuzz_files.h"
#include "test_waves.h"

using namespace ostrevan;
using testing::AsText;
using testing::Bytes;
using testing::Chunk;
using testing::Joined;
using testing::MakeWave;
using testing::Mono8000;
using testing::PatternBytes;
using testing::WaveShape;

namespace {

std::string dir;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(dir + "/" + target);
  fuzz::WriteBytes(dir + "/" + target + "/" + name, bytes);
}

WaveShape Stereo16() { return testing::SampleShape(1, 2, 8000, 16); }

WaveShape Extensible24() {
  WaveShape shape = testing::SampleShape(0xFFFE, 2, 48000, 24);
  shape.fmtSize = 40;
  return shape;
}

void LoadCorpus() {
  Put("load", "canonical", AsText(MakeWave(Stereo16(), PatternBytes(400))));
  WaveShape fmt18 = Stereo16();
  fmt18.fmtSize = 18;
  Put("load", "fmt18", AsText(MakeWave(fmt18, PatternBytes(400))));
  Put("load", "extensible", AsText(MakeWave(Extensible24(), PatternBytes(600))));
  WaveShape around = Stereo16();
  around.chunksBeforeData = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'a', 'b', 0, 0});
  around.trailer = Chunk("id3 ", PatternBytes(21));
  Put("load", "chunks-around", AsText(MakeWave(around, PatternBytes(400))));
  WaveShape decoy = Stereo16();
  decoy.chunksBeforeData = Chunk("note", Bytes{'d', 'a', 't', 'a', 1, 2, 3, 4});
  Put("load", "data-inside-chunk", AsText(MakeWave(decoy, PatternBytes(40))));
  WaveShape unfinished = Mono8000();
  unfinished.statedSizeOverride = true;
  unfinished.statedSize = 0xFFFFFFFF;
  Put("load", "unfinished", AsText(MakeWave(unfinished, PatternBytes(300))));
  unfinished.statedSize = 0;
  Put("load", "stated-zero", AsText(MakeWave(unfinished, PatternBytes(300))));
  Put("load", "header-only", AsText(MakeWave(Stereo16(), {})));
  // One sample a second: 61 bytes are a minute and a second, past the short-file message.
  WaveShape slow = Mono8000();
  slow.sampleRate = 1;
  Put("load", "one-minute", AsText(MakeWave(slow, PatternBytes(61))));
  WaveShape zero = Stereo16();
  zero.blockAlign = 0;
  Put("load", "block-align-0", AsText(MakeWave(zero, PatternBytes(8))));
  zero = Stereo16();
  zero.sampleRate = 0;
  Put("load", "sample-rate-0", AsText(MakeWave(zero, PatternBytes(8))));
  std::string upper = AsText(MakeWave(Stereo16(), PatternBytes(16)));
  upper.replace(36, 4, "DATA");
  Put("load", "upper-case-tag", upper);
  // The tag beyond the scan's first block, and across its edge.
  WaveShape far = Stereo16();
  far.chunksBeforeData = Chunk("junk", Bytes(65536, 0));
  Put("load", "tag-beyond-first-block", AsText(MakeWave(far, PatternBytes(16))));
  far.chunksBeforeData = Chunk("junk", Bytes(65536 - 2 - 8, 0));
  Put("load", "tag-across-block-edge", AsText(MakeWave(far, PatternBytes(16))));

  // Chunks before the audio that the walk steps over.
  WaveShape walked = Mono8000();
  walked.chunksBeforeFmt = Chunk("JUNK", Bytes(28, 0));
  walked.chunksBeforeData = testing::ListInfoChunk("ISFT", "Lavf");
  Put("load", "junk-before-fmt", AsText(MakeWave(walked, PatternBytes(300))));
  walked = Mono8000();
  walked.chunksBeforeFmt = testing::BextChunk("Card 2 data, river bank");
  Put("load", "bext-before-fmt", AsText(MakeWave(walked, PatternBytes(300))));
  walked = Mono8000();
  walked.chunksBeforeData = Joined({testing::BextChunk("field recording data set 3"),
                                    Chunk("iXML", testing::TextBytes("<BWFXML>data</BWFXML>")), testing::CueChunk({1, 2})});
  Put("load", "bext-ixml-cue", AsText(MakeWave(walked, PatternBytes(300))));
  walked = Mono8000();
  walked.chunksBeforeFmt = Chunk("note", testing::TextBytes("take!"));
  walked.chunksBeforeData = Chunk("PEAK", testing::TextBytes("1data23"));
  walked.trailer = Joined({Bytes{0}, testing::ListInfoChunk("ICMT", "data")});
  Put("load", "odd-pads", AsText(MakeWave(walked, PatternBytes(301))));
  walked = Mono8000();
  walked.trailer = Chunk("levl", PatternBytes(20));
  Put("load", "rf64", AsText(testing::MakeRf64(walked, PatternBytes(300))));
  Put("load", "bw64", AsText(testing::MakeRf64(Mono8000(), PatternBytes(300), "BW64")));
  Put("load", "rf64-ds64-past-end", AsText(testing::MakeRf64(Mono8000(), PatternBytes(300), "RF64", 1000000)));
  walked = Mono8000();
  walked.chunksBeforeData = Joined({Bytes{1, 2, 3, 4}, testing::Le32(6), Bytes(6, 'x')});
  Put("load", "broken-chain-id", AsText(MakeWave(walked, PatternBytes(300))));
  walked.chunksBeforeData = Joined({testing::TextBytes("LIST"), testing::Le32(0x7FFFFFF0), testing::TextBytes("INFO")});
  Put("load", "chain-runs-past-end", AsText(MakeWave(walked, PatternBytes(300))));
  walked.chunksBeforeData = Joined({Bytes{1, 1, 1, 1}, testing::Le32(65526), Bytes(65526, 'x')});
  Put("load", "scan-tag-across-block-edge", AsText(MakeWave(walked, PatternBytes(16))));
  // Long chains: the walk's bound, within the inputs' length limit and beyond it.
  for (const int chunks : {8000, 100000}) {
    walked = Mono8000();
    const Bytes empty = Chunk("pad ", {});
    for (int i = 0; i < chunks; ++i) walked.chunksBeforeFmt.insert(walked.chunksBeforeFmt.end(), empty.begin(), empty.end());
    Put("load", "chain-of-" + std::to_string(chunks), AsText(MakeWave(walked, PatternBytes(64))));
  }
  // Formats that are refused.
  WaveShape adpcm = Mono8000();
  adpcm.formatTag = 2;
  adpcm.fmtSize = 50;
  Put("load", "adpcm", AsText(MakeWave(adpcm, PatternBytes(300))));
  WaveShape extensibleMp3 = Extensible24();
  extensibleMp3.subFormat = 0x55;
  Put("load", "extensible-mp3", AsText(MakeWave(extensibleMp3, PatternBytes(600))));
  std::string rifx = AsText(MakeWave(Stereo16(), PatternBytes(64)));
  rifx.replace(0, 4, "RIFX");
  Put("load", "rifx", rifx);
}

void RecordCorpus() {
  Put("record", "plain", ComposeRecordText({1920000, 1920000, "C:\\rec\\take1.wav", ""}));
  Put("record", "posix-path", ComposeRecordText({0, 480000, "/home/rec/take 1.wav", ""}));
  Put("record", "lf", "0\n44\n/a.wav\n");
  Put("record", "cr", "0\r44\r/a.wav\r");
  Put("record", "no-final-break", "12\r\n34\r\n/a.wav");
  Put("record", "extra-lines", "1\r\n2\r\n/a.wav\r\n\r\nmore\r\n");
  Put("record", "hex", "$FF\r\n0x10\r\nX7fffffff\r\n");
  Put("record", "signs", " +12\r\n-0\r\n-$1\r\n");
  Put("record", "limits", "9223372036854775807\r\n-9223372036854775808\r\n\r\n");
  Put("record", "nul", std::string("1\r\n2\r\n/a.wav\0tail\r\n", 19));
  Put("record", "shift-jis", "0\r\n4\r\nC:\\\x95\x5C\\a.wav\r\n");
  Put("record", "long-line", std::string(4100, '7') + "\r\n1\r\n");
}

// The source's number, a byte of choices, the record's lines, the clip.
std::string WriteBackInput(unsigned char source, unsigned char choices, const std::string& lines, const Bytes& clip) {
  return std::string(1, static_cast<char>(source)) + std::string(1, static_cast<char>(choices)) + lines + AsText(clip);
}

std::string WriteBackInput(unsigned char choices, const std::string& lines, const Bytes& clip) {
  return WriteBackInput(choices & 3, choices, lines, clip);
}

void WriteBackCorpus() {
  // Choices: bits 0-1 the first three sources, 2 binary numbers, 3 header added, 4 LF, 5-7
  // the third line.
  Put("write_back", "whole", WriteBackInput(0, "0\n4000\n", MakeWave(Stereo16(), PatternBytes(4000, 9))));
  Put("write_back", "middle", WriteBackInput(0, "1000\n400\n", MakeWave(Stereo16(), PatternBytes(400, 9))));
  Put("write_back", "past-end", WriteBackInput(0, "3900\n400\n", MakeWave(Stereo16(), PatternBytes(400, 9))));
  Put("write_back", "outside", WriteBackInput(0, "4000\n4\n", MakeWave(Stereo16(), PatternBytes(4, 9))));
  Put("write_back", "negative", WriteBackInput(0, "-4\n4\n", MakeWave(Stereo16(), PatternBytes(4, 9))));
  WaveShape edited = Stereo16();
  edited.fmtSize = 18;
  edited.chunksBeforeData = Chunk("LIST", Bytes{'I', 'N', 'F', 'O'});
  Put("write_back", "edited", WriteBackInput(0, "8\n80\n", MakeWave(edited, PatternBytes(60, 9))));
  Put("write_back", "extensible", WriteBackInput(1, "600\n1200\n", MakeWave(Extensible24(), PatternBytes(1200, 9))));
  WaveShape wrong = Extensible24();
  wrong.bitsPerSample = 16;
  Put("write_back", "wrong-format", WriteBackInput(1, "0\n6\n", MakeWave(wrong, PatternBytes(6, 9))));
  Put("write_back", "unfinished", WriteBackInput(2, "1990\n50\n", MakeWave(Mono8000(), PatternBytes(50, 9))));
  Put("write_back", "binary", WriteBackInput(4 | 8, std::string("\x10\0\0\0\x20\0\0\0", 8), PatternBytes(32, 9)));
  Put("write_back", "header-added", WriteBackInput(8 | 16, "4\n8\n", PatternBytes(8, 9)));
  Put("write_back", "self", WriteBackInput(4 << 5, "0\n4\n", MakeWave(Stereo16(), PatternBytes(4, 9))));
  Put("write_back", "missing", WriteBackInput(6 << 5, "0\n4\n", MakeWave(Stereo16(), PatternBytes(4, 9))));
  // The walked sources (see the fuzzer): each with a clip an editor would save, and with an
  // honest 44-byte header added.
  WaveShape editorClip = Stereo16();
  editorClip.chunksBeforeData = testing::CueChunk({1, 2});
  editorClip.trailer = testing::ListInfoChunk("ICMT", "data");
  Put("write_back", "junk-before-fmt", WriteBackInput(3, 0, "400\n800\n", MakeWave(editorClip, PatternBytes(800, 9))));
  Put("write_back", "bext-before-fmt", WriteBackInput(4, 8, "100\n500\n", PatternBytes(500, 9)));
  Put("write_back", "rf64", WriteBackInput(5, 0, "0\n4000\n", testing::MakeRf64(Stereo16(), PatternBytes(4000, 9))));
  Bytes cutShort = testing::MakeRf64(Stereo16(), PatternBytes(400, 9));
  cutShort.resize(cutShort.size() - 100);
  Put("write_back", "rf64-clip-cut-short", WriteBackInput(5, 0, "0\n400\n", cutShort));
  Put("write_back", "cue-before-data", WriteBackInput(6, 0, "3600\n800\n", MakeWave(editorClip, PatternBytes(800, 9))));
  Put("write_back", "odd-pads", WriteBackInput(7, 8 | 16, "1990\n20\n", PatternBytes(9, 9)));
  Put("write_back", "unfinished-zero", WriteBackInput(8, 8, "2000\n1000\n", PatternBytes(999, 9)));
  Put("write_back", "broken-chain", WriteBackInput(9, 0, "0\n40\n", MakeWave(Stereo16(), PatternBytes(40, 9))));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_initial_corpus DIR\n");
    return 64;
  }
  dir = argv[1];
  LoadCorpus();
  RecordCorpus();
  WriteBackCorpus();
  return 0;
}
