#include "Unit1Layout.h"

#include "credits.h"
#include "ostrevan_version.h"

namespace ostrevan::app {

const FormLayout kForm1Layout = {"TForm1", "Ostrevan", 337, 463, u8"ＭＳ Ｐゴシック", 12};

using Id = ControlId;
using Kind = ControlKind;

// clang-format off
const ControlLayout kForm1Controls[] = {
  // id                name            kind               parent          left top  width height text                          tab flags
  {Id::Label7,       "Label7",       Kind::Label,       Id::Form1,      176, 424, 150, 12,  kCreditLine,                   -1, 0},
  {Id::Label8,       "Label8",       Kind::Label,       Id::Form1,       16, 424, 102, 12,  "Ostrevan v" OSTREVAN_VERSION, -1, 0},
  {Id::Label9,       "Label9",       Kind::Label,       Id::Form1,      168, 440, 157, 12,  kHomePageAddress,              -1, kLink},
  {Id::GroupBox1,    "GroupBox1",    Kind::GroupBox,    Id::Form1,        8,  16, 321, 257, u8"取り出し",                     0, 0},
  {Id::Label1,       "Label1",       Kind::Label,       Id::GroupBox1,   16,  24,  72, 12,  u8"対象WAV File",                -1, 0},
  {Id::Label6,       "Label6",       Kind::Label,       Id::GroupBox1,   16,  40, 297, 25,  "",                            -1, kFixedSize | kCaptionTextBackground | kPathEllipsis},
  {Id::Label2,       "Label2",       Kind::Label,       Id::GroupBox1,   16,  72,  48, 12,  u8"演奏時間",                    -1, 0},
  {Id::Label3,       "Label3",       Kind::Label,       Id::GroupBox1,   16,  88,  49, 12,  u8"WAV属性",                     -1, 0},
  {Id::RadioButton1, "RadioButton1", Kind::RadioButton, Id::GroupBox1,   24, 104, 145, 17,  u8"取り出し開始位置(分)",          1, kChecked},
  {Id::Label4,       "Label4",       Kind::Label,       Id::GroupBox1,   24, 128,  41, 17,  "0",                           -1, kFixedSize | kRightAligned | kCaptionTextBackground},
  {Id::ScrollBar1,   "ScrollBar1",   Kind::ScrollBar,   Id::GroupBox1,   72, 128, 241, 16,  "",                             3, 0},
  {Id::MinuteMap1,   "MinuteMap1",   Kind::MinuteMap,   Id::GroupBox1,   72, 148, 241, 40,  "",                            -1, 0},
  {Id::RadioButton2, "RadioButton2", Kind::RadioButton, Id::GroupBox1,   24, 200, 113, 17,  u8"WAVの最後から",                2, 0},
  {Id::Label5,       "Label5",       Kind::Label,       Id::GroupBox1,   24, 224,  83, 12,  u8"取り出し長さ(分)",             -1, 0},
  {Id::ComboBox1,    "ComboBox1",    Kind::ComboBox,    Id::GroupBox1,  120, 224,  49, 20,  "1",                            4, 0, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10"},
  {Id::Button1,      "Button1",      Kind::Button,      Id::GroupBox1,  240,  16,  75, 21,  u8"参照",                         0, 0},
  {Id::Button2,      "Button2",      Kind::Button,      Id::GroupBox1,  232, 216,  75, 25,  u8"WAV保存",                      5, 0},
  {Id::Memo1,        "Memo1",        Kind::Memo,        Id::Form1,      360, 272, 137, 129, "",                             1, 0},
  {Id::GroupBox2,    "GroupBox2",    Kind::GroupBox,    Id::Form1,        8, 280, 321, 137, u8"置き換え",                     2, 0},
  {Id::Button3,      "Button3",      Kind::Button,      Id::GroupBox2,   24,  24,  75, 25,  u8"実行",                         1, 0},
  {Id::Button4,      "Button4",      Kind::Button,      Id::GroupBox2,  112,  24,  75, 25,  u8"リストクリア",                  2, 0},
  {Id::ListBox1,     "ListBox1",     Kind::ListBox,     Id::GroupBox2,    8,  56, 305, 73,  "",                             0, 0},
};
// clang-format on
const size_t kForm1ControlCount = sizeof(kForm1Controls) / sizeof(kForm1Controls[0]);

// The identifiers follow the rows, so a row is found by subtraction.
const ControlLayout& LayoutOf(ControlId id) {
  return kForm1Controls[static_cast<int>(id) - static_cast<int>(ControlId::Label7)];
}

const char* const kOpenDialogFilterName = u8"WAVEファイル(*.wav)";
const char* const kOpenDialogFilterPattern = "*.wav";

}  // namespace ostrevan::app
