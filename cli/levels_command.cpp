// `levels`: each minute's peak and RMS, printed as each is measured (text) or at the end
// (JSON). Standard output holds only the minutes; a stop's message and an error go to
// standard error, after the minutes measured before them.

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "commands.h"
#include "console_ui.h"
#include "engine_error.h"
#include "level_scan.h"
#include "load_wave.h"

namespace ostrevan::cli {

namespace {

// Ctrl+C during the scan: the minutes measured are printed already.
constexpr const char* kLevelsStopped = u8"音量の測定を中止しました";

// `decibels` rounded to `decimals` places, without a minus sign on a rounded zero.
double Rounded(double decibels, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(decibels * scale) / scale + 0.0;
}

nlohmann::ordered_json DecibelJson(double decibels) {
  if (std::isinf(decibels)) return nullptr;
  return Rounded(decibels, 2);
}

class PrintingSink : public LevelSink {
 public:
  PrintingSink(const std::string& path, bool json, std::FILE* out, std::FILE* err)
      : path_(path), json_(json), out_(out), ui_(out, err), minutes_(nlohmann::ordered_json::array()) {}

  void Scanned(int64_t minute, const MinuteLevel& level) override {
    if (json_) {
      minutes_.push_back({{"minute", minute},
                          {"seconds", level.seconds},
                          {"peak_dbfs", DecibelJson(level.PeakDbfs())},
                          {"rms_dbfs", DecibelJson(level.RmsDbfs())}});
      return;
    }
    ui_.ClearProgress();
    WriteText(out_, std::to_string(minute) + " " + DecibelText(level.PeakDbfs()) + " " +
                        DecibelText(level.RmsDbfs()) + "\n");
  }
  bool KeepGoing() override { return !StopAsked(); }
  void BytesRead(uint64_t done, uint64_t total) override { ui_.Progress(path_, done, total); }

  // The JSON of the minutes so far, once the scan has ended.
  void Finish(bool complete) {
    ui_.ClearProgress();
    if (!json_) return;
    nlohmann::ordered_json json = {{"file", path_}, {"minutes", minutes_}, {"complete", complete}};
    WriteUtf8(out_, JsonText(json));
  }

 private:
  const std::string& path_;
  bool json_;
  std::FILE* out_;
  PrintingUi ui_;
  nlohmann::ordered_json minutes_;
};

}  // namespace

int PrintLevels(const std::string& path, bool json, std::FILE* out, std::FILE* err) {
  LoadedWave wave;
  LoadWave(path, wave);
  PrintingSink sink(path, json, out, err);
  ScanOutcome outcome;
  {
    StopOnInterrupt stop;
    outcome = ScanLevelsOf(path, wave.layout, 0, MinuteCountOf(wave.layout), sink);
  }
  sink.Finish(outcome.end == ScanEnd::Complete);
  std::fflush(out);
  switch (outcome.end) {
    case ScanEnd::Complete:
      return kExitFinished;
    case ScanEnd::Stopped:
      WriteText(err, std::string(kLevelsStopped) + "\n");
      return kExitMessage;
    default:
      WriteText(err, ErrorText(outcome.error) + "\n");
      return kExitError;
  }
}

}  // namespace ostrevan::cli
