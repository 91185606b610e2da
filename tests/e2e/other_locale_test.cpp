// The program on a system whose code page is not Japanese (1252, as an English set-up has):
// run by tests/e2e/other-locale in a prefix of its own, not in the Japanese session.

#include <gtest/gtest.h>

#include "Unit1Layout.h"
#include "program_driver.h"
#include "test_waves.h"

namespace ostrevan::e2e {
namespace {

using namespace ostrevan::testing;

// Whether the font the window asks for has a glyph for every character of `text`: without
// one, the text would be drawn as boxes or "?".
bool WindowFontDraws(const std::string& text) {
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, Wide(app::kForm1Layout.fontFace).c_str());
  HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  const std::wstring wide = Wide(text);
  std::vector<WORD> glyphs(wide.size());
  GetGlyphIndicesW(dc, wide.c_str(), static_cast<int>(wide.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
}

TEST(OtherLocale, JapaneseTextsReadDrawAndShowInTheirBoxes) {
  ASSERT_EQ(GetACP(), 1252u) << "run through tests/e2e/other-locale";
  Program program;
  for (size_t i = 0; i < app::kForm1ControlCount; ++i) {
    const app::ControlLayout& row = app::kForm1Controls[i];
    if (row.kind == app::ControlKind::ScrollBar || row.kind == app::ControlKind::ListBox) continue;
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(Shows(program.Control(row.name), row.text));
    EXPECT_TRUE(WindowFontDraws(row.text));
  }

  // The error box and the information box.
  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"ファイル  は開けません.")});
  const ScratchDir dir;
  program.Drop({WriteMinutes(dir, "short.wav", 42)});
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"１分以下のWAVEは処理できません")});

  // Names that this code page cannot hold load and cut as well.
  const std::string wave = WriteMinutes(dir, u8"録音🎙.wav", 150);
  program.Drop({wave});
  EXPECT_TRUE(Shows(program.Control("Label6"), wave));
  program.Click(program.Control("Button2"));
  EXPECT_EQ(program.AnswerBox().texts, std::vector<std::string>{Text(u8"終わりました")});
  EXPECT_EQ(ReadFile(dir.File(u8"録音🎙-0-1.wav")), MakeWave(TestFormat(), Slice(ReadFile(wave), 44, kMinute)));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace ostrevan::e2e
