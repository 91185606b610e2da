// The write-back list's check of one record with a 10-minute clip (105,840,000 bytes): the
// clip and the range are read and hashed, nothing is written. BM_CheckRecord is one check of
// an edited clip (state "ready"); BM_CheckerGivesWay is how long pressing 実行 waits for a
// check that is under way to let go of its files (RecordChecker::Pause), which the window's
// answer time depends on.

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "bench_files.h"
#include "load_wave.h"
#include "record_checker.h"
#include "record_state.h"
#include "save_clip.h"

namespace ostrevan::bench {
namespace {

constexpr int64_t kClipStartMinute = 10;
constexpr int64_t kClipMinutes = 10;

// A 30-minute source with a 10-minute clip cut from it and edited.
struct EditedPair {
  ScratchFile source{"record-check-source.wav"};
  std::string record;
  std::string clip;
  EditedPair() {
    WriteSparseWave(source.path(), static_cast<uint64_t>(30 * kBytesPerMinute));
    FillAudio(source.path(), kClipStartMinute * kBytesPerMinute, kClipMinutes * kBytesPerMinute);
    LoadedWave wave;
    LoadWave(source.path(), wave);
    const std::string start = std::to_string(kClipStartMinute), length = std::to_string(kClipMinutes);
    clip = ClipPathFor(source.path(), start, length, ClipMode::StartMinute);
    record = RecordPathFor(clip);
    SilentUi ui;
    SaveClip(wave, length, start, source.path(), ClipMode::StartMinute, ui);
    FillAudio(clip, 1, kClipMinutes * kBytesPerMinute - 1);
  }
  ~EditedPair() {
    std::remove(clip.c_str());
    std::remove(record.c_str());
  }
};

void BM_CheckRecord(benchmark::State& state) {
  EditedPair pair;
  SilentUi ui;
  for (auto _ : state) {
    const RecordStatus status = CheckRecord(pair.record, ui);
    if (status.state != RecordState::Ready) state.SkipWithError(status.message.c_str());
  }
  state.SetBytesProcessed(state.iterations() * 2 * kClipMinutes * kBytesPerMinute);
}
BENCHMARK(BM_CheckRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckerGivesWay(benchmark::State& state) {
  EditedPair pair;
  rules::RecordChecker checker([] {});
  for (auto _ : state) {
    state.PauseTiming();
    checker.Clear();
    checker.Add(pair.record);
    checker.Resume();
    // Some way into the check's reads, as when 実行 is pressed at any moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    state.ResumeTiming();
    checker.Pause();
  }
}
BENCHMARK(BM_CheckerGivesWay)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ostrevan::bench
