// `status`: what 実行 would do with each record, read without writing a byte. A line per
// record as each is checked (text), or one JSON object at the end.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "block_copy.h"
#include "cli_run.h"
#include "commands.h"
#include "console_ui.h"
#include "record_state.h"
#include "texts.h"

namespace ostrevan::cli {

namespace {

using Json = nlohmann::ordered_json;

Json StatusJson(const std::string& recordPath, const RecordStatus& status) {
  const std::optional<ClipRecord>& record = status.record;
  return {{"record", recordPath},
          {"state", RecordStateName(status.state)},
          {"undo", status.undo},
          {"source", record ? Json(record->sourcePath) : Json(nullptr)},
          {"offset", record ? Json(record->clipOffset) : Json(nullptr)},
          {"bytes", record ? Json(record->clipBytes) : Json(nullptr)},
          {"message", status.message}};
}

}  // namespace

int PrintStatus(const std::vector<std::string>& recordPaths, bool json, std::FILE* out, std::FILE* err) {
  PrintingUi ui(out, err);
  Json records = Json::array();
  bool stopped = false;
  {
    StopOnInterrupt stop;
    for (const std::string& path : recordPaths) {
      RecordStatus status;
      try {
        status = CheckRecord(path, ui);
      } catch (const StopRequested&) {
        stopped = true;
        break;
      }
      ui.ClearProgress();
      if (json) {
        records.push_back(StatusJson(path, status));
      } else {
        WriteText(out, std::string(RecordStateName(status.state)) + " " + path + "\n");
      }
    }
  }
  ui.ClearProgress();
  // After a stop the JSON holds the records checked before it, as the text does.
  if (json) WriteUtf8(out, JsonText(Json{{"records", records}}));
  if (!stopped) return kExitFinished;
  std::fflush(out);
  WriteText(err, Text(texts::kStatusStopped) + "\n");
  return kExitMessage;
}

}  // namespace ostrevan::cli
