#pragma once
// The window's own texts beside the engine's (texts.h): UTF-8 here, in the system code page
// through Text() and FormatText().

namespace ostrevan::texts {

// A file name with a character that the system code page has no code for: the name the
// program would get stands for another file, or for none.
inline constexpr const char* kNameNotInCodePage =
    u8"ファイル名 %s にはこのシステムのコード ページで表せない文字があります";

}  // namespace ostrevan::texts
