#pragma once
// The window's own texts beside the engine's (texts.h): UTF-8 here, in the system code page
// through Text() and FormatText().

namespace ostrevan::texts {

// A file name with a character that the system code page has no code for: the name the
// program would get stands for another file, or for none.
inline constexpr const char* kNameNotInCodePage =
    u8"ファイル名 %s にはこのシステムのコード ページで表せない文字があります";

// The progress window's captions, in the words of the window's group boxes, and its button.
// "中止", not "キャンセル": a stopped write-back keeps the records written before it.
inline constexpr const char* kCutProgressCaption = u8"取り出し中";
inline constexpr const char* kWriteBackProgressCaption = u8"置き換え中";
inline constexpr const char* kStopButton = u8"中止";

}  // namespace ostrevan::texts
