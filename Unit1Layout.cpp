#include "Unit1Layout.h"

#include "credits.h"

namespace ostrevan::app {

const FormLayout kForm1Layout = {"TForm1", "Ostrevan", 337, 423, u8"ＭＳ Ｐゴシック", 12};

// clang-format off
const ControlLayout kForm1Controls[] = {
  // name          kind                      parent       left top  width height text                       tab flags
  {"Label7",       ControlKind::Label,       nullptr,     176, 384, 150, 12,  kCreditLine,                -1, 0},
  {"Label8",       ControlKind::Label,       nullptr,      16, 384, 102, 12,  "Ostrevan v1.13",           -1, 0},
  {"Label9",       ControlKind::Label,       nullptr,     168, 400, 157, 12,  kHomePageAddress,           -1, kLink},
  {"GroupBox1",    ControlKind::GroupBox,    nullptr,       8,  16, 321, 217, u8"取り出し",                  0, 0},
  {"Label1",       ControlKind::Label,       "GroupBox1",  16,  24,  72, 12,  u8"対象WAV File",             -1, 0},
  {"Label6",       ControlKind::Label,       "GroupBox1",  16,  40, 297, 25,  "",                         -1, kFixedSize | kCaptionTextBackground},
  {"Label2",       ControlKind::Label,       "GroupBox1",  16,  72,  48, 12,  u8"演奏時間",                 -1, 0},
  {"Label3",       ControlKind::Label,       "GroupBox1",  16,  88,  49, 12,  u8"WAV属性",                  -1, 0},
  {"RadioButton1", ControlKind::RadioButton, "GroupBox1",  24, 104, 145, 17,  u8"取り出し開始位置(分)",       1, kChecked},
  {"Label4",       ControlKind::Label,       "GroupBox1",  24, 128,  41, 17,  "0",                        -1, kFixedSize | kRightAligned | kCaptionTextBackground},
  {"ScrollBar1",   ControlKind::ScrollBar,   "GroupBox1",  72, 128, 241, 16,  "",                          3, 0},
  {"RadioButton2", ControlKind::RadioButton, "GroupBox1",  24, 160, 113, 17,  u8"WAVの最後から",             2, 0},
  {"Label5",       ControlKind::Label,       "GroupBox1",  24, 184,  83, 12,  u8"取り出し長さ(分)",          -1, 0},
  {"ComboBox1",    ControlKind::ComboBox,    "GroupBox1", 120, 184,  49, 20,  "1",                         4, 0},
  {"Button1",      ControlKind::Button,      "GroupBox1", 240,  16,  75, 21,  u8"参照",                      0, 0},
  {"Button2",      ControlKind::Button,      "GroupBox1", 232, 176,  75, 25,  u8"WAV保存",                   5, 0},
  {"Memo1",        ControlKind::Memo,        nullptr,     360, 232, 137, 129, "",                          1, 0},
  {"GroupBox2",    ControlKind::GroupBox,    nullptr,       8, 240, 321, 137, u8"置き換え",                  2, 0},
  {"Button3",      ControlKind::Button,      "GroupBox2",  24,  24,  75, 25,  u8"実行",                      1, 0},
  {"Button4",      ControlKind::Button,      "GroupBox2", 112,  24,  75, 25,  u8"リストクリア",               2, 0},
  {"ListBox1",     ControlKind::ListBox,     "GroupBox2",   8,  56, 305, 73,  "",                          0, 0},
};
// clang-format on
const size_t kForm1ControlCount = sizeof(kForm1Controls) / sizeof(kForm1Controls[0]);

const char* const kComboBox1Items[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
const size_t kComboBox1ItemCount = sizeof(kComboBox1Items) / sizeof(kComboBox1Items[0]);

const char* const kOpenDialogFilterName = u8"WAVEファイル(*.wav)";
const char* const kOpenDialogFilterPattern = "*.wav";

}  // namespace ostrevan::app
