// ostrevan-cli levels and info --json on files made by sox and ffmpeg: the text and the JSON
// tell the same minutes, info's numbers are soxi's and ffprobe's, and a file that does not
// load is the error info gives. Skipped when a tool is missing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "processes.h"
#include "test_waves.h"
#include "tool_probes.h"

namespace ostrevan::testing {
namespace {

using Json = nlohmann::ordered_json;

std::vector<std::string> KeysOf(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

TEST(CliTools, LevelsAndInfoJsonAgreeWithSoxiAndFfprobe) {
  if (const std::string missing = MissingTool({"sox", "soxi", "ffmpeg", "ffprobe"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  ScratchDir dir;
  const std::string lavfi = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=r=8000:a=0.3:d=";
  const struct {
    std::string name;
    std::string command;  // %s: the path
    std::string container;
    bool silentFirstMinute;
  } files[] = {
      {"take.wav", "sox -D -n -r 8000 -c 2 -b 16 %s synth 130 sine 440 vol 0.5", "RIFF", false},
      {u8"録音 🎙.wav",
       "ffmpeg -nostdin -v error -y -f lavfi -i \"aevalsrc=exprs='if(lt(t,60),0,sin(2*PI*440*t))':s=8000:d=61\" "
       "-ac 2 -c:a pcm_s24le -metadata title=take %s",
       "RIFF", true},
      {"short.wav", lavfi + "30.5 -c:a pcm_s16le -rf64 always %s", "RF64", false},
      {"bw64.wav", lavfi + "75 -c:a pcm_s16le -rf64 always %s && printf BW64 | dd of=%s conv=notrunc status=none",
       "BW64", false},
      {"bad\xff name.wav", lavfi + "65 -c:a pcm_f32le %s", "RIFF", false},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const std::string path = dir.File(file.name);
    std::string command = file.command;
    for (size_t at; (at = command.find("%s")) != std::string::npos;) command.replace(at, 2, ShellQuoted(path));
    ASSERT_TRUE(ShellSucceeds(command));
    // A name that is not UTF-8 comes back with U+FFFD.
    std::string shownName = path;
    if (const size_t at = shownName.find('\xff'); at != std::string::npos) {
      shownName.replace(at, 1, u8"\uFFFD");
    }

    // levels: its text against its JSON.
    const ProcessResult text = RunCli({"levels", path});
    const ProcessResult json = RunCli({"levels", path, "--json"});
    EXPECT_EQ(text.status + json.status, 0) << text.err << json.err;
    EXPECT_EQ(text.err + json.err, "");
    const Json levels = Json::parse(json.out);  // refuses text that is not UTF-8
    EXPECT_EQ(KeysOf(levels), (std::vector<std::string>{"file", "minutes", "complete"}));
    EXPECT_EQ(levels["file"], shownName);
    EXPECT_EQ(levels["minutes"][0]["peak_dbfs"].is_null(), file.silentFirstMinute);
    // One decimal as the text shows it, "-inf" for null.
    const auto shows = [](const std::string& shown, const Json& value) {
      if (value.is_null()) return shown == "-inf";
      return shown[shown.size() - 2] == '.' && std::abs(std::stod(shown) - value.get<double>()) < 0.051;
    };
    std::istringstream lines(text.out);
    double seconds = 0;
    for (const Json& minute : levels["minutes"]) {
      EXPECT_EQ(KeysOf(minute), (std::vector<std::string>{"minute", "seconds", "peak_dbfs", "rms_dbfs"}));
      int64_t number = -1;
      std::string peak, rms;
      lines >> number >> peak >> rms;
      EXPECT_TRUE(number == minute["minute"] && shows(peak, minute["peak_dbfs"]) && shows(rms, minute["rms_dbfs"]))
          << number << " " << peak << " " << rms << " against " << minute.dump();
      seconds += minute["seconds"].get<double>();
    }
    EXPECT_TRUE(lines >> std::ws && lines.eof()) << "more lines than minutes";

    const ProcessResult run = RunCli({"info", path, "--json"});
    const Json info = Json::parse(run.out);
    const ToolInfo soxi = Soxi(path);
    const ToolInfo ffprobe = Ffprobe(path);
    const Json& format = info["format"];
    const uint64_t frames = info["frames"];
    EXPECT_EQ(run.status, frames < 60u * ffprobe.rate ? 1 : 0) << run.err;
    EXPECT_EQ(info["file"], shownName);
    EXPECT_EQ(info["container"], file.container);
    EXPECT_EQ(info["data_bytes"], frames * format["block_align"].get<uint64_t>());
    EXPECT_EQ(info["whole_minutes"], frames / (60u * ffprobe.rate));
    EXPECT_NEAR(seconds, ffprobe.seconds, 1e-3);
    // soxi does not read BW64.
    for (const ToolInfo& tool : {ffprobe, file.container == "BW64" ? ffprobe : soxi}) {
      EXPECT_EQ(format["channels"], tool.channels);
      EXPECT_EQ(format["sample_rate"], tool.rate);
      EXPECT_EQ(format["bits_per_sample"], tool.bits);
      EXPECT_EQ(frames, tool.samples);
    }
    // The data chunk in the list is where the audio starts.
    const Json& chunks = info["chunks"];
    const auto data = std::find_if(chunks.begin(), chunks.end(), [](const Json& c) { return c["id"] == "data"; });
    ASSERT_NE(data, chunks.end());
    EXPECT_EQ(Json({(*data)["offset"].get<int64_t>() + 8, (*data)["size"]}),
              Json({info["data_offset"], info["data_bytes"]}));
  }
}

TEST(CliLevels, AFileThatDoesNotLoadIsTheErrorInfoGives) {
  ScratchDir dir;
  WriteFile(dir.File("notes.wav"), std::string("not a wave file, and no audio chunk in it either"));
  for (const std::string& path : {dir.File("notes.wav"), dir.File("missing.wav")}) {
    const ProcessResult info = RunCli({"info", path});
    ASSERT_EQ(info.status, 2);
    for (const auto& args :
         {std::vector<std::string>{"levels", path}, {"levels", path, "--json"}, {"info", path, "--json"}}) {
      const ProcessResult run = RunCli(args);
      EXPECT_EQ(run.status, 2) << args.size();
      EXPECT_EQ(run.out + "|" + run.err, "|" + info.err) << args.size();  // nothing on standard output
    }
  }
}

}  // namespace
}  // namespace ostrevan::testing
