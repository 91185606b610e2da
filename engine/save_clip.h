#pragma once
// Cutting a clip of whole minutes out of the loaded WAV file: the clip WAV file with its
// 44-byte header, and its record file beside it.

#include <string>

#include "engine_ui.h"
#include "load_wave.h"

namespace ostrevan {

enum class ClipMode { StartMinute, FromEnd };

// The clip's path: the source's path without extension, then "-start-length" (start
// minute mode) or "-L-length" (from the end), then ".wav"; texts exactly as typed.
std::string ClipPathFor(const std::string& sourcePath, const std::string& startMinuteText,
                        const std::string& lengthText, ClipMode mode);

// The record's path: the clip's path with its extension replaced by ".ini".
std::string RecordPathFor(const std::string& clipPath);

// Cuts the clip described by the typed texts from `sourcePath`, with the format values of
// `wave`, and shows "終わりました" when both files are written. A clip that would lie outside
// the audio data is refused with an information message and nothing is written.
// Errors are raised; what exists afterwards depends on the step that failed.
void SaveClip(const LoadedWave& wave, const std::string& lengthText, const std::string& startMinuteText,
              const std::string& sourcePath, ClipMode mode, EngineUi& ui);

}  // namespace ostrevan
