// The native-script values under Xvfb: every character they draw (Arabic after shaping, Devanagari
// after reordering) has a glyph in the UI face of its language, and each language's values drawn
// with DrawTextUtf8 put their ink where MeasureText says each line ends. The pages are kept as
// artefacts: translations_<code>_<page>.png in the test's working folder.
#include <gtest/gtest.h>

#include <mutex>

#include "app/base/client_size.h"
#include "gfx/script_text.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "platform/glyphs.h"
#include "tests/gfx/gl_fixture.h"
#include "translations/table_data.h"

namespace {

using NativeScripts = GlFixture;

TEST_F(NativeScripts, EveryCharacterHasAGlyphAndEveryLineItsMeasuredInk) {
  gClientWidth = 1600;  // the design size: UI scale 1
  gClientHeight = 900;
  RebuildFonts();
  ASSERT_NE(gFontMain, 0u);
  const float x = 30;
  const int lineStep = 46, firstBaseline = 44, perPage = (kHeight - firstBaseline) / lineStep;
  for (int column = 0; column < kTableLanguageCount; ++column) {
    const std::string code = kTableLanguageCodes[column];
    if (code != "ja" && code != "ko" && code != "zh" && code != "ar" && code != "hi") continue;
    {
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = code;  // Han characters take the face of the UI language
    }
    ScopedTrSuppress drawAsGiven;
    std::vector<std::string> lines(1);  // the values two blanks apart, as many as fit a line
    for (const WordRow* rows : {kWordRows, kWholeScaleNames})
      for (int r = 0; r < (rows == kWordRows ? kWordRowCount : kWholeScaleNameCount); ++r) {
        if (!rows[r].values[column]) continue;
        std::string value = rows[r].values[column], longer = lines.back() + (lines.back().empty() ? "" : "  ") + value;
        for (char16_t unit : PrepareGlyphText(value)) {
          GlyphImage image;
          GlyphFont* face = GetScriptFont(gFontMain, ScriptClassOfForLanguage(unit, code));
          EXPECT_TRUE(face && GlyphRender(face, unit, &image)) << code << " " << value << ": U+" << std::hex << int(unit);
        }
        if (MeasureText(gFontMain, longer, 20) > 920) lines.push_back(value);
        else lines.back() = longer;
      }
    for (size_t first = 0; first < lines.size(); first += size_t(perPage)) {
      glClear(GL_COLOR_BUFFER_BIT);
      size_t count = std::min(lines.size() - first, size_t(perPage));
      for (size_t i = 0; i < count; ++i)
        DrawTextUtf8(gFontMain, x, float(firstBaseline + lineStep * int(i)), lines[first + i], 1, 1, 1, 1);
      std::vector<uint8_t> frame = ReadFrame();
      SaveFrame(frame, "translations_" + code + "_" + std::to_string(first / size_t(perPage) + 1) + ".png");
      for (size_t i = 0; i < count; ++i) {
        int baseline = firstBaseline + lineStep * int(i), left = 0, right = 0;
        float width = MeasureText(gFontMain, lines[first + i], 20);
        ASSERT_TRUE(InkExtent(frame, baseline - 34, baseline + 12, &left, &right)) << code << ": " << lines[first + i];
        EXPECT_NEAR(left, x, 8) << code << ": " << lines[first + i];
        EXPECT_TRUE(right <= x + width + 3 && right >= x + width - 10) << code << ": " << lines[first + i];
      }
    }
  }
  FreeAllFonts();
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = "en-US";
}

}  // namespace
