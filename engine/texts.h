#pragma once
// Every fixed text of the program, in one place, in UTF-8 as every text inside the program is.

#include <initializer_list>
#include <string>

namespace ostrevan {

namespace texts {
// Error templates; "%s" stands for the text or file name concerned.
inline constexpr const char* kNotAnInteger = u8"'%s' は整数ではありません";
inline constexpr const char* kCannotOpen = u8"ファイル %s は開けません";
inline constexpr const char* kCannotCreate = u8"ファイル %s を作成できません";
inline constexpr const char* kOutOfMemory = u8"メモリが足りません";
inline constexpr const char* kRangeCheck = u8"範囲チェックエラー";
inline constexpr const char* kWriteError = u8"ストリームへの書き込みエラー";
inline constexpr const char* kReadError = u8"ストリームの読み込みエラー";
inline constexpr const char* kTextTooLarge = u8"文字列の大きさが メモ の制限を越えました";
inline constexpr const char* kIntegerDivideByZero = u8"ゼロによる除算";
inline constexpr const char* kFloatDivideByZero = u8"0 による浮動小数点数除算";
inline constexpr const char* kInvalidFloatOperation = u8"不正な浮動小数点数演算命令";
inline constexpr const char* kNoDataChunk = u8"ファイル %s に data チャンクがありません";
inline constexpr const char* kFormatMismatch = u8"ファイル %s の形式が取り出し元と違います";
inline constexpr const char* kRangeOutsideData = u8"ファイル %s の範囲が取り出し元のデータの外にあります";
// Files whose samples cannot be cut as bytes: compressed formats and big-endian RIFX.
inline constexpr const char* kCompressedFormat =
    u8"ファイル %s は圧縮された形式のため切り取れません（非圧縮の PCM、浮動小数点、A-law、μ-law だけを扱えます）";
inline constexpr const char* kBigEndianFormat = u8"ファイル %s はビッグエンディアンの RIFX 形式のため扱えません";
// A clip whose data chunk states more audio than the file holds: cut short, not edited.
inline constexpr const char* kClipCutShort = u8"ファイル %s は途中で切れています（data チャンクの大きさに足りません）";
// The write-back's checks that the source still holds what was cut from it.
inline constexpr const char* kSourceChangedSinceCut =
    u8"取り出し元ファイル %s は切り取った後に変わっています。書き戻しません";
inline constexpr const char* kRecordNotUpdated =
    u8"取り出し元の置き換えは済みましたが、クリップ記録 %s を更新できません";
// The copy of what a write-back replaces could not be put beside its record.
inline constexpr const char* kUndoNotWritten =
    u8"置き換えを取り消すためのファイル %s を作成できません。取り出し元は置き換えません";
inline constexpr const char* kFingerprintUnreadable = u8"クリップ記録 %s の 4 行目が読めません";
// Any other failure to read a record or its numbers; the second "%s" is what failed
// ("'[.ShellClassInfo]' は整数ではありません" from a desktop.ini dropped with the records).
inline constexpr const char* kRecordUnreadable = u8"クリップ記録 %s が読めません（%s）";
// A list that would write a record back and at once again, or undo it: refused whole.
inline constexpr const char* kRecordListedTwice =
    u8"クリップ記録 %s と %s は同じファイルです。1 つだけをリストに残してください。何も書き戻していません";
inline constexpr const char* kRecordWithItsUndo =
    u8"クリップ記録 %s と取り消しの記録 %s が同じリストにあります。続けて書き戻すと置き換えてすぐに取り消すことになるため、"
    u8"何も書き戻していません。どちらかをリストから外してください";
// A path that a record's lines cannot hold (a line break or NUL in it).
inline constexpr const char* kPathNotRecordable =
    u8"ファイル名 %s には改行などクリップ記録に書けない文字があるため切り取れません";
// A name of the files kept beside a clip would pass the file system's limit for one name.
inline constexpr const char* kNameTooLong =
    u8"ファイル名 %s が長すぎるため作れません。取り出し元のファイル名を短くしてください";
// A run stopped part way left the range half written, and the clip has changed since: only
// the clip as it was may finish it, while the undo needs no clip.
inline constexpr const char* kClipChangedAfterStop =
    u8"クリップ %s は置き換えが途中で止まった後に変わっています。書き戻しません"
    u8"（取り消しの記録 .undo.ini を書き戻すと、取り出し元は切り取ったときの音声に戻ります）";
// A clip whose audio is shorter than its range inside the source, or longer than its record.
inline constexpr const char* kClipLengthDiffers =
    u8"クリップ %s の長さ %s が取り出した範囲の長さ %s と違います。書き戻しません";

// Information-box messages.
inline constexpr const char* kFinished = u8"終わりました";
inline constexpr const char* kShortFile = u8"１分以下のWAVEは処理できません";
inline constexpr const char* kSourceMissing = u8"取り出し元ファイルがありません";
inline constexpr const char* kClipTooLong = u8"取り出し長さがWAVの長さを越えています";
inline constexpr const char* kStartBeyondEnd = u8"取り出し開始位置がWAVの長さを越えています";
// "中止" pressed (or Ctrl+C) during a long cut or write-back.
inline constexpr const char* kCutStopped =
    u8"取り出しを中止しました。クリップ %s は作っていません（前からあったファイルはそのままです）";
inline constexpr const char* kWriteBackStopped =
    u8"置き換えを中止しました。取り出し元 %s は「実行」を押す前のままです（それより前の記録の置き換えは済んでいます）";
// The same, for a run that was finishing one stopped earlier: the range went back to the audio
// from before that earlier run, not to the half-written state it was found in.
inline constexpr const char* kRecoveryStopped =
    u8"置き換えを中止しました。取り出し元 %s の範囲は、途中で止まっていた置き換えの前の音声に戻しました"
    u8"（それより前の記録の置き換えは済んでいます）";
// Ctrl+C while ostrevan-cli status reads the records' files.
inline constexpr const char* kStatusStopped = u8"記録の確認を中止しました";
// A cut that would have replaced an edited clip moved it and its record aside first.
inline constexpr const char* kKeptAside = u8"編集されていたクリップと記録を %s に移しました";
inline constexpr const char* kChangedSinceLoad =
    u8"ファイル %s は読み込んだ後に変わっています。もう一度読み込んでください";
// The level scan ends early: the file is shorter than its audio, or its samples are of a kind
// the scan cannot measure. Shown in the minute map, never in a box.
inline constexpr const char* kAudioEndsEarly = u8"ファイル %s は音声の途中で終わっています";
inline constexpr const char* kLevelsNotMeasurable = u8"ファイル %s の音声は音量を測れない形式です";

// The texts a load shows: its play time and its attributes.
inline constexpr const char* kPlayTimePrefix = u8"演奏時間:";
inline constexpr const char* kMinutes = u8"分";
inline constexpr const char* kSeconds = u8"秒";
inline constexpr const char* kAttributesPrefix = u8"WAV属性:";
}  // namespace texts

// A fixed text as a string.
std::string Text(const char* utf8);

// A template with its first "%s" replaced by `argument` (a path or a typed text). Plain
// replacement, no printf.
std::string FormatText(const char* utf8Template, const std::string& argument);
// The same with each "%s" in turn replaced by the next of `arguments`; what an argument holds
// is never read as a template.
std::string FormatText(const char* utf8Template, std::initializer_list<std::string> arguments);

}  // namespace ostrevan
