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

// The minute map: a minute's levels under the mouse, and the notes the map shows in place of
// minutes it has no levels for. "%s" stands for the minute, then the levels in dB.
inline constexpr const char* kMinuteLevelsTip = u8"%s分: ピーク %s dB / 平均 %s dB";
inline constexpr const char* kMinuteSilentTip = u8"%s分: 無音";
inline constexpr const char* kMinuteUnknownTip = u8"%s分: まだ測っていません";
inline constexpr const char* kMapNoAudio = u8"音声がありません";
// The map's own text (what a screen reader reads): how far the measuring has come.
inline constexpr const char* kMapStatus = u8"%s分中%s分を測りました";
inline constexpr const char* kMapUnreadable = u8"%s分目から先は読めませんでした";

// The write-back list's tag beside each record: what "実行" would do with it, and the tag it
// shows while that is being worked out.
inline constexpr const char* kTagReady = u8"置き換え前";
inline constexpr const char* kTagWrittenBack = u8"置き換え済み";
inline constexpr const char* kTagUnchanged = u8"変更なし";
inline constexpr const char* kTagInterrupted = u8"途中";
inline constexpr const char* kTagRefused = u8"置き換えできません";
inline constexpr const char* kTagMissing = u8"ファイルがありません";
inline constexpr const char* kTagInvalid = u8"記録が壊れています";
inline constexpr const char* kTagChecking = u8"確認中";

}  // namespace ostrevan::texts
