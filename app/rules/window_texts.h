#pragma once
// The window's own texts beside the engine's (texts.h), in UTF-8 as every text inside the
// program is.

namespace ostrevan::texts {

// The list of records is full, and a scroll bar was given a range it cannot take.
inline constexpr const char* kListInsert = u8"行を挿入できません";
inline constexpr const char* kScrollBarRange = u8"スクロールバー プロパティが範囲を越えました";

// The open dialog of "参照" failed (not cancelled); "%s" stands for its error code
// (CommDlgExtendedError, as "0x3003").
inline constexpr const char* kOpenDialogFailed = u8"ファイルを開くダイアログでエラーが起きました（エラー コード %s）";

// The progress window's captions, in the words of the window's group boxes, and its button.
// "中止", not "キャンセル": a stopped write-back keeps the records written before it.
inline constexpr const char* kCutProgressCaption = u8"取り出し中";
inline constexpr const char* kWriteBackProgressCaption = u8"置き換え中";
inline constexpr const char* kStopButton = u8"中止";

}  // namespace ostrevan::texts
