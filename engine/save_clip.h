#pragma once
// Cutting a clip of whole minutes out of the loaded WAV file: the clip WAV file with its
// 44-byte header, and its record file beside it.

#include <string>

#include "engine_ui.h"
#include "load_wave.h"

namespace ostrevan {

enum class ClipMode { StartMinute, FromEnd };

// The clip's path: the source's path without extension, then "-start-length" (start
// minute mode) or "-L-length" (from the end), then ".wav"; texts as typed, with full-width
// digits and signs in their ASCII forms, as PlanClip reads them.
std::string ClipPathFor(const std::string& sourcePath, const std::string& startMinuteText,
                        const std::string& lengthText, ClipMode mode);

// The record's path: the clip's path with its extension replaced by ".ini".
std::string RecordPathFor(const std::string& clipPath);

// What a cut takes from the loaded file's audio data, or why it takes nothing.
struct ClipPlan {
  int64_t offset = 0;  // from the start of the audio data
  int64_t bytes = 0;
  std::string refusal;  // the information message when nothing is cut, else empty
};

// The range the typed texts name, in minutes of the play time `wave` showed: from the start
// minute up to the audio's end at most, or the last whole minutes before its last whole
// frame. A range outside the audio is refused with a message. Raises the integer texts'
// errors (full-width digits and signs read as ASCII), and "範囲チェックエラー" for a length
// under 1 or a negative start minute.
ClipPlan PlanClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
                  ClipMode mode);

// Cuts the clip described by the typed texts from `sourcePath`, the path the user sees, with
// the format values of `wave`, and shows "終わりました" when both files are written. A refused
// plan is shown as an information message and nothing is written; so is a path or file that is
// not the recording `wave` holds (a later load of another file failed, or the file changed).
// Errors are raised; what exists afterwards depends on the step that failed.
void SaveClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
              const std::string& sourcePath, ClipMode mode, EngineUi& ui);

}  // namespace ostrevan
