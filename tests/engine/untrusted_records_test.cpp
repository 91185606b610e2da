// Record texts a write-back cannot trust, as hand edits, other programs, damaged files and the
// fuzz targets leave them: each is refused with its message, or ends with what it shows,
// within a time limit; the source and every file beside it stay byte for byte as they were
// (but for a record of three lines that gains its fingerprint). Also when the source holds
// the clip already (a run stopped after the source's write): a record is never guessed at
// because its range happens to hold the clip.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "clip_record.h"
#include "disk_model.h"
#include "fingerprint.h"
#include "processes.h"
#include "source_with_clip.h"
#include "texts.h"
#include "write_back.h"

namespace ostrevan::testing {
namespace {

struct Row {
  std::string what;
  std::string text;                // the record file's bytes
  std::string error;               // the run's error, or "(no error)"
  std::vector<std::string> infos;  // what the run showed
  bool emptyClip;                  // the clip holds no audio (for ranges of 0 bytes)
  std::string recordAfter;         // what the record holds after the run; "" for unchanged
};

Row Refused(const std::string& what, const std::string& text, const std::string& error) {
  return {what, text, error, {}, false, ""};
}

Row Shows(const std::string& what, const std::string& text, const std::string& info) {
  return {what, text, "(no error)", {info}, false, ""};
}

// A range of 0 bytes with a clip of none: finished, and the record of three lines gains the
// fingerprint of its empty range. (A clip of any audio would be refused for its length.)
Row FinishedEmpty(const std::string& what, const ClipRecord& record) {
  ClipRecord renewed = record;
  renewed.fingerprint = Fingerprint().Text();
  return {what, ComposeRecordText(record), "(no error)", {Text(texts::kFinished)}, true, ComposeRecordText(renewed)};
}

// The error and what was shown, in one line.
std::string Outcome(const std::string& error, const std::vector<std::string>& infos) {
  std::string outcome = error;
  for (const std::string& info : infos) outcome += " | " + info;
  return outcome;
}

// Natively in a child that cannot grow a file past `sizeLimit` (a range past the end once
// wrote zeros without end, until the disk was full), killed after 20 s.
std::string WriteBackFenced(const std::string& record, int64_t sizeLimit) {
  auto writeBack = [record] {
    RecordingUi ui;
    const std::string error = ErrorOf([&] { WriteBackClips({record}, ui); });
    return Outcome(error, ui.infos);
  };
#ifdef _WIN32
  (void)sizeLimit;
  return WithinSeconds(20, writeBack);
#else
  const ProcessResult child = RunInChild(
      [&](int pipe) {
        WriteAll(pipe, writeBack());
        return 0;
      },
      RunOptions().Within(20).FileSizeLimit(sizeLimit));
  if (child.timedOut) return "(timed out)";
  if (child.status != 0) return "(the child ended with " + std::to_string(child.status) + ")";
  return child.out;
#endif
}

TEST(UntrustedRecords, AreRefusedAndNothingIsWritten) {
  ScratchDir dir;
  const std::string source = dir.File("take.wav");
  WaveShape shape = TestFormat();
  shape.trailer = ListInfoChunk("ICMT", "take 1");
  const Bytes original = MakeWave(shape, PatternBytes(5 * kMinute, 3));
  WriteFile(source, original);
  const std::string record = CutClip(source, "2", "1");
  const std::string clip = ClipOf(record);
  // The record names itself in one row: it must not read as a WAV file.
  ASSERT_EQ(record.find("data"), std::string::npos);
  const std::string fingerprint = ReadRecordLines(record).lines[3];
  const Bytes edited = PatternBytes(2 * kMinute, 61);
  const Bytes editedClip = MakeWave(TestFormat(), edited);

  const std::string minute = std::to_string(kMinute), twoMinutes = std::to_string(2 * kMinute);
  const std::string head = minute + "\r\n" + twoMinutes + "\r\n" + source + "\r\n";
  const int64_t audioEnd = 5 * kMinute;
  const int64_t frame = TestFormat().blockAlign;
  auto range = [&](int64_t offset, int64_t bytes, const std::string& print = "") {
    return ComposeRecordText({offset, bytes, source, print});
  };
  auto unreadableBecause = [&](const std::string& why) { return FormatText(texts::kRecordUnreadable, {record, why}); };
  const std::string outside = FormatText(texts::kRangeOutsideData, record);
  const std::string changed = FormatText(texts::kSourceChangedSinceCut, source);
  const std::string noFingerprint = FormatText(texts::kFingerprintUnreadable, record);
  const std::string longPath = dir.File(std::string(5000, 'p'));

  const std::vector<Row> rows = {
      // Its numbers.
      Refused("a desktop.ini dropped with the records", "[.ShellClassInfo]\r\nIconResource=x\r\n",
              unreadableBecause(FormatText(texts::kNotAnInteger, "[.ShellClassInfo]"))),
      Refused("an empty byte count", "0\r\n\r\n" + source + "\r\n", unreadableBecause(FormatText(texts::kNotAnInteger, ""))),
      Refused("a negative byte count", range(0, -1), unreadableBecause(Text(texts::kRangeCheck))),
      Refused("a NUL in the first line ends the text there", std::string("0\0\r\n", 4) + twoMinutes + "\r\n" + source + "\r\n",
              unreadableBecause(FormatText(texts::kNotAnInteger, ""))),
      Refused("a 5000-byte line is cut at 4096", "0\r\n" + std::string(5000, '9') + "\r\n" + source + "\r\n",
              unreadableBecause(FormatText(texts::kNotAnInteger, std::string(4096, '9')))),
      Refused("ten megabytes", "0\r\n" + minute + "\r\n" + source + "\r\n" + std::string(10 << 20, ' '),
              unreadableBecause(Text(texts::kTextTooLarge))),

      // Its range.
      Refused("a range before the audio", range(-frame, 2 * kMinute), outside),
      Refused("a range starting at the audio's end", range(audioEnd, 1), outside),
      Refused("a range inside the chunk after the audio", range(audioEnd + 36, 2 * kMinute), outside),
      Refused("the offset edited by a frame", range(kMinute + frame, 2 * kMinute, fingerprint), changed),
      Refused("the offset edited by a minute", range(2 * kMinute, 2 * kMinute, fingerprint), changed),
      Refused("an offset between frames, without a fingerprint", range(kMinute + 2, 2 * kMinute), changed),
      Refused("a byte count of part of a frame", minute + "\r\n" + std::to_string(2 * kMinute - 1) + "\r\n" + source +
                                                     "\r\n" + fingerprint,
              changed),

      // Its fourth line: only three lines (and empty ones after them) go without a fingerprint.
      Refused("an empty fingerprint", head + "xxh3-128:\r\n", noFingerprint),
      Refused("a fingerprint that is no hex", head + "xxh3-128:zz\r\n", noFingerprint),
      Refused("a fingerprint a digit short", head + "xxh3-128:" + std::string(31, '0') + "\r\n", noFingerprint),
      Refused("a fingerprint a digit long", head + "xxh3-128:" + std::string(33, 'a') + "\r\n", noFingerprint),
      Refused("a blank before the fingerprint", head + " " + fingerprint + "\r\n", noFingerprint),
      Refused("the fingerprint's name in capitals", head + "XXH3-128:" + fingerprint.substr(9) + "\r\n", noFingerprint),
      Refused("a fingerprint of another kind", head + "sha1:da39a3ee5e6b4b0d3255bfef95601890afd80709\r\n", noFingerprint),
      Refused("a note the user added", head + "a note the user added\r\n", noFingerprint),
      Refused("an empty line before the fingerprint", head + "\r\n" + fingerprint + "\r\n", noFingerprint),

      // Its path.
      Shows("no path line", minute + "\r\n" + twoMinutes + "\r\n", Text(texts::kSourceMissing)),
      Shows("a 5000-byte path is cut at 4096", minute + "\r\n" + twoMinutes + "\r\n" + longPath + "\r\n",
            Text(texts::kSourceMissing) + longPath.substr(0, 4096)),
      Shows("a folder as the source", minute + "\r\n" + twoMinutes + "\r\n" + dir.path() + "\r\n",
            Text(texts::kSourceMissing) + dir.path()),
      Refused("the record itself as the source", "0\r\n8\r\n" + record + "\r\n", FormatText(texts::kNoDataChunk, record)),
      // Its clip is held for writing, so it cannot also be read.
      Refused("its own clip as the source", "0\r\n" + twoMinutes + "\r\n" + clip + "\r\n",
              FormatText(texts::kCannotOpen, clip)),

      // Ranges of 0 bytes beyond the audio (in whole frames: an offset between frames is
      // refused first), up to the largest offset there is: nothing to write.
      FinishedEmpty("0 bytes at the audio's end", {audioEnd, 0, source, ""}),
      FinishedEmpty("0 bytes a frame past the end", {audioEnd + frame, 0, source, ""}),
      FinishedEmpty("0 bytes far past the end", {5526344, 0, source, ""}),
      FinishedEmpty("0 bytes at the largest offset", {INT64_MAX / frame * frame, 0, source, ""}),
  };

  for (const bool holdsClip : {false, true}) {
    const Bytes sourceNow = holdsClip ? With(original, 44 + kMinute, edited) : original;
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.what) + (holdsClip ? ", the source holding the clip" : ""));
      WriteFile(source, sourceNow);
      WriteFile(clip, row.emptyClip ? MakeWave(TestFormat(), {}) : editedClip);
      WriteFile(record, row.text);
      const FolderFiles before = ReadFolder(dir.path());
      EXPECT_EQ(WriteBackFenced(record, static_cast<int64_t>(original.size())), Outcome(row.error, row.infos));
      FolderFiles expected = before;
      if (!row.recordAfter.empty()) expected[record.substr(dir.path().size() + 1)] = TextBytes(row.recordAfter);
      const FolderFiles after = ReadFolder(dir.path());
      for (const auto& [name, bytes] : expected) {
        const auto found = after.find(name);
        EXPECT_EQ(found == after.end() ? name + " went" : DifferenceOf(found->second, bytes), "") << name;
      }
      for (const auto& file : after) EXPECT_TRUE(expected.count(file.first)) << file.first << " was made";
    }
  }
}

}  // namespace
}  // namespace ostrevan::testing
