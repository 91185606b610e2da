#include "tool_probes.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "processes.h"

namespace ostrevan::testing {

namespace {

// The file a tool wrote at `raw`, read and removed.
Bytes TakeFile(const std::string& raw) {
  Bytes bytes = ReadFile(raw);
  std::filesystem::remove(raw);
  return bytes;
}

}  // namespace

ToolInfo Soxi(const std::string& path) {
  ToolInfo info;
  bool ok = false;
  std::string command;
  for (const char* option : {"-D", "-s", "-c", "-r", "-b"}) {
    command += (command.empty() ? "soxi " : " && soxi ") + std::string(option) + " " + ShellQuoted(path);
  }
  std::istringstream out(RunShell(command, &ok));
  if (ok) out >> info.seconds >> info.samples >> info.channels >> info.rate >> info.bits;
  return info;
}

ToolInfo Ffprobe(const std::string& path) {
  ToolInfo info;
  bool ok = false;
  std::istringstream out(RunShell("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,"
                                  "sample_rate,channels,bits_per_sample,duration,duration_ts -of default=nw=1 " +
                                      ShellQuoted(path),
                                  &ok));
  std::map<std::string, std::string> fields;
  for (std::string line; std::getline(out, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  if (!ok || fields.count("duration") == 0) return info;
  info.codec = fields["codec_name"];
  info.seconds = std::stod(fields["duration"]);
  info.channels = std::stoi(fields["channels"]);
  info.rate = std::stoi(fields["sample_rate"]);
  info.bits = std::stoi(fields["bits_per_sample"]);
  if (fields.count("duration_ts")) info.samples = std::stoull(fields["duration_ts"]);
  return info;
}

ToolLevels SoxStats(const std::string& path, double start, double seconds) {
  bool ok = false;
  // stats reports on standard error.
  std::istringstream out(RunShell("sox " + ShellQuoted(path) + " -n trim " + std::to_string(start) + " " +
                                      std::to_string(seconds) + " stats 2>&1",
                                  &ok));
  ToolLevels levels{std::nan(""), std::nan("")};
  const auto number = [](const std::string& text) { return text == "-inf" ? -INFINITY : std::stod(text); };
  for (std::string line; ok && std::getline(out, line);) {
    std::istringstream words(line);
    std::string a, b, c, value;
    words >> a >> b >> c >> value;
    if (a == "Pk" && b == "lev") levels.peakDb = number(value);
    if (a == "RMS" && b == "lev") levels.rmsDb = number(value);
  }
  return levels;
}

Bytes SoxAudio(const std::string& path) {
  const std::string raw = path + ".sox.raw";
  if (!ShellSucceeds("sox " + ShellQuoted(path) + " -t raw " + ShellQuoted(raw))) return {};
  return TakeFile(raw);
}

Bytes FfmpegAudio(const std::string& path, uint16_t blockAlign) {
  const std::string raw = path + ".ffmpeg.raw";
  if (!ShellSucceeds("ffmpeg -nostdin -v error -y -i " + ShellQuoted(path) + " -map 0:a -c:a copy -f data " +
                     ShellQuoted(raw))) {
    return {};
  }
  Bytes bytes = TakeFile(raw);
  if (blockAlign != 0) bytes.resize(bytes.size() - bytes.size() % blockAlign);
  return bytes;
}

}  // namespace ostrevan::testing
