// Text drawn under Xvfb: every script of the program reaches the screen in the UI fonts, the ink
// of each line ends where MeasureText says it ends, and the UI face does not change with the
// desktop's language. The frame is kept as a test artefact.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/base/client_size.h"
#include "gfx/draw_alpha.h"
#include "gfx/rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "platform/glyphs.h"
#include "tests/gfx/gl_fixture.h"

namespace {

class TextDrawing : public GlFixture {
 protected:
  void SetUp() override {
    GlFixture::SetUp();
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "en-US";
    ResetTextDrawing();
    gDrawAlpha = 1.0f;
    gClientWidth = 1600;  // the design size: UI scale 1, body text 26 pixels
    gClientHeight = 900;
  }
  void TearDown() override { FreeAllFonts(); }
};

// The UI font is the same face whatever language the desktop speaks: a fresh process with an
// Arabic desktop, whose font configuration reads the locale anew, opens the face this one did.
TEST_F(TextDrawing, TheUiFaceDoesNotFollowTheDesktopLanguage) {
  RebuildFonts();
  ASSERT_NE(gFontMain, 0u);
  // The fresh process runs this test again up to the check: the face found here is handed to it
  // in the environment, which it does not overwrite.
  setenv("TONVARRA_TEST_UI_FACE", GlyphFontFile(GetScriptFont(gFontMain, 0)).c_str(), 0);
  const std::string expected = getenv("TONVARRA_TEST_UI_FACE");
  ASSERT_FALSE(expected.empty());
  // The desktop's variables, put back afterwards for the tests that follow in this process.
  std::vector<std::pair<const char*, std::string>> saved;
  for (const char* name : {"LANG", "LC_ALL", "LC_CTYPE"})
    if (const char* v = getenv(name)) saved.emplace_back(name, v);
  setenv("LANG", "ar_EG.UTF-8", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_CTYPE");
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string face = GlyphFontFile(GetScriptFont(gFontMain, 0));
        fprintf(stderr, "face %s\n", face.c_str());
        _exit(face == expected ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "face")
      << "the face of an English desktop: " << expected;
  unsetenv("TONVARRA_TEST_UI_FACE");
  unsetenv("LANG");
  for (const auto& [name, value] : saved) setenv(name, value.c_str(), 1);
}

TEST_F(TextDrawing, EveryScriptHasInkWhereItsMeasureEnds) {
  RebuildFonts();
  ASSERT_NE(gFontMain, 0u);
  const struct { const char* script; const char* text; } lines[] = {
      {"Latin", "Tonvarra plays Scales"},
      {"Cyrillic", "Медленное время"},
      {"Greek", "Καλημέρα κόσμε"},
      {"Arabic", "اختر اللغة"},
      {"Hebrew", "שלום עולם"},
      {"Devanagari", "भाषा चुनें"},
      {"Thai", "สวัสดีครับ"},
      {"Japanese", "言語を選択"},
      {"Korean", "언어 선택"},
      {"Chinese", "选择语言"},
  };
  const float x = 30.0f;
  const int lineStep = 54, firstBaseline = 50;
  int i = 0;
  for (const auto& line : lines) DrawTextUtf8(gFontMain, x, float(firstBaseline + lineStep * i++), line.text, 1, 1, 1, 1);
  std::vector<uint8_t> frame = ReadFrame();
  SaveFrame(frame, "gfx_text_scripts.png");

  i = 0;
  for (const auto& line : lines) {
    int baseline = firstBaseline + lineStep * i++;
    int left = 0, right = 0;
    ASSERT_TRUE(InkExtent(frame, baseline - 36, baseline + 14, &left, &right)) << line.script << ": no ink";
    float width = MeasureText(gFontMain, line.text, 20);
    EXPECT_GT(width, 40.0f) << line.script;
    EXPECT_NEAR(left, x, 6) << line.script;
    // The last glyph's ink stops at most its side bearing before the pen's end.
    EXPECT_LE(right, x + width + 3) << line.script;
    EXPECT_GE(right, x + width - 8) << line.script;
  }
}

// Devanagari's nasal dot after a vowel sign with ink above the letter stands right of that ink,
// where it is seen: "नहीं" reaches further right than "नही", and "सीखें" than "सीखे".
TEST_F(TextDrawing, ANasalDotAfterARaisedVowelSignShows) {
  RebuildFonts();
  ASSERT_NE(gFontMain, 0u);
  const struct { const char* with; const char* without; } words[] = {{"नहीं", "नही"}, {"सीखें", "सीखे"}};
  for (const auto& w : words) {
    SCOPED_TRACE(w.with);
    int rights[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      glClear(GL_COLOR_BUFFER_BIT);
      DrawTextUtf8(gFontMain, 30.0f, 60.0f, k == 0 ? w.with : w.without, 1, 1, 1, 1);
      std::vector<uint8_t> frame = ReadFrame();
      int left = 0;
      ASSERT_TRUE(InkExtent(frame, 20, 74, &left, &rights[k]));
    }
    EXPECT_GE(rights[0], rights[1] + 2) << "the dot is hidden in the vowel sign";
  }
}

TEST_F(TextDrawing, AlphaAndBrightnessRules) {
  RebuildFonts();
  // The brightest channel of the frame; -1: nothing drawn.
  const struct { const char* name; float a, drawAlpha, brightness; int expectedMax; } cases[] = {
      {"alpha below the cut", 0.0004f, 1.0f, 1.0f, -1},
      {"draw alpha below the cut", 1.0f, 0.0005f, 1.0f, -1},
      {"brightness floor 0.35", 1.0f, 1.0f, 0.1f, 89},
      {"brightness saturates", 1.0f, 1.0f, 2.0f, 255},
      {"half alpha", 0.5f, 1.0f, 1.0f, 128},
  };
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    gDrawAlpha = c.drawAlpha;
    gTextBrightness = c.brightness;
    DrawTextUtf8(gFontMain, 20, 100, "MMMM", 1, 1, 1, c.a);
    gDrawAlpha = 1.0f;
    std::vector<uint8_t> frame = ReadFrame();
    int brightest = 0;
    for (int y = 60; y < 120; ++y)
      for (int x = 0; x < 300; ++x) brightest = std::max(brightest, Brightest(frame, x, y));
    if (c.expectedMax < 0)
      EXPECT_EQ(brightest, 0) << c.name;
    else
      EXPECT_NEAR(brightest, c.expectedMax, 2) << c.name;
  }
}

// What a frame leaves in the text module, its song-view brightness and a run a drawer did not end,
// is gone after the reset: text drawn next has its own colour and its glyphs, and puts texturing
// back as it found it.
TEST_F(TextDrawing, TheResetForgetsTheLastBrightnessAndAnUnendedRun) {
  RebuildFonts();
  auto brightestOf = [](const std::vector<uint8_t>& frame) {
    int brightest = 0;
    for (int y = 60; y < 120; ++y)
      for (int x = 0; x < 300; ++x) brightest = std::max(brightest, Brightest(frame, x, y));
    return brightest;
  };
  DrawTextUtf8(gFontMain, 20, 100, "MMMM", 0.5f, 0.5f, 0.5f, 1);
  const std::vector<uint8_t> clean = ReadFrame();
  ASSERT_NEAR(brightestOf(clean), 128, 2);

  gTextBrightness = 1.16f;
  BeginTextRun();
  glDisable(GL_TEXTURE_2D);  // as a fresh context has it
  ResetTextDrawing();
  glClear(GL_COLOR_BUFFER_BIT);
  DrawTextUtf8(gFontMain, 20, 100, "MMMM", 0.5f, 0.5f, 0.5f, 1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texturing left on as inside a run";
  EXPECT_TRUE(ReadFrame() == clean) << "not the same pixels as before the frame";
}

TEST_F(TextDrawing, DrawingLeavesTexturingAndBindingAsFound) {
  RebuildFonts();
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glDisable(GL_TEXTURE_2D);
  DrawTextUtf8(gFontMain, 10, 50, "Tempo \u00e9 \u65e5", 1, 1, 1, 1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), texture);
  glDeleteTextures(1, &texture);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextDrawing, ARunDrawsTheSamePixelsAndRestoresTheStateAtItsEnd) {
  RebuildFonts();
  const char* texts[] = {"Register 12", "\u65e5\u672c P", "March 2025"};
  for (int i = 0; i < 3; ++i) DrawTextUtf8(gFontSmall, 20, 40 + 30 * i, texts[i], 1, 1, 1, 1);
  std::vector<uint8_t> apart = ReadFrame();
  glClear(GL_COLOR_BUFFER_BIT);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glDisable(GL_TEXTURE_2D);
  BeginTextRun();
  for (int i = 0; i < 3; ++i) DrawTextUtf8(gFontSmall, 20, 40 + 30 * i, texts[i], 1, 1, 1, 1);
  EndTextRun();
  EXPECT_EQ(ReadFrame(), apart);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), texture);
  glDeleteTextures(1, &texture);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextDrawing, MeasuringAgreesAcrossRoadsAndFitsOnCharacterBoundaries) {
  RebuildFonts();
  // The per-glyph road and the ASCII road give the same advances for ASCII letters.
  float ascii = MeasureText(gFontMain, "Cafe", 10);
  float mixed = MeasureText(gFontMain, "Caf\u00e9", 10);
  EXPECT_GT(ascii, 20.0f);
  EXPECT_NEAR(mixed, ascii, 3.0f);
  // Line feeds inside non-ASCII text measure nothing.
  EXPECT_EQ(MeasureText(gFontMain, "\u00e9\n\u00e9", 10), MeasureText(gFontMain, "\u00e9\u00e9", 10));
  // Heights: CJK needs its own, taller face.
  float latin = MeasureTextHeight(gFontMain, "Abc", 5);
  EXPECT_GT(latin, 20.0f);
  EXPECT_GE(MeasureTextHeight(gFontMain, "Abc \u65e5", 5), latin);
  // Fitting: every answer is valid UTF-8 and within the width.
  const std::string text = "\u00e9\u00e9\u00e9\u00e9\u65e5\u672c\u8a9e\u0627\u0644\u0644\u063a\u0629 long tail";
  for (float width = 10; width < 400; width += 7) {
    std::string fit = FitTextToWidth(gFontMain, text, 20, width);
    if (fit == text) continue;
    ASSERT_GE(fit.size(), 3u);
    EXPECT_EQ(fit.substr(fit.size() - 3), "...");
    std::string head = fit.substr(0, fit.size() - 3);
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << width;
    if (!head.empty()) {
      unsigned char next = static_cast<unsigned char>(text[head.size()]);
      EXPECT_NE(next & 0xC0, 0x80) << "cut inside a character at width " << width;
      EXPECT_LE(MeasureText(gFontMain, fit, 20), width) << width;
    }
  }
  EXPECT_EQ(FitTextToWidth(gFontMain, "short", 20, 0), "");
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "es-ES";
  }
  // The translated text is what is measured and fitted.
  EXPECT_EQ(MeasureText(gFontMain, "Loop ON", 20), MeasureText(gFontMain, "Loop SI", 20));
  std::string fit = FitTextToWidth(gFontMain, "Remove student (asks before deleting)", 20, 150);
  EXPECT_EQ(fit.rfind("Quitar", 0), 0u) << fit;
}

TEST_F(TextDrawing, VerticalTextDrawsOneClusterPerRow) {
  RebuildFonts();
  RectF box = {100, 40, 40, 400};
  DrawVerticalText(gFontMain, box, "ABC", 1.0f, 108, 0, 1, 1, 1, 1, 10);
  std::vector<uint8_t> frame = ReadFrame();
  // Three separate bands of ink inside the box, none outside it.
  int bands = 0;
  bool inInk = false;
  for (int y = 0; y < kHeight; ++y) {
    int left, right;
    bool ink = InkExtent(frame, y, y + 1, &left, &right);
    EXPECT_TRUE(!ink || (y >= int(box.y) - 30 && y <= int(box.y + box.h) + 10)) << y;
    bands += ink && !inInk;
    inInk = ink;
  }
  EXPECT_EQ(bands, 3);
}

// Scripts whose letters join or hang from a headline are turned a quarter instead of stacked, as is
// a stack too tight to read; Japanese stays a column with its long-vowel bar upright in it.
TEST_F(TextDrawing, VerticalTextTurnsWhereAColumnWouldBreakTheScript) {
  RebuildFonts();
  // The ink's box: left, top, right, bottom; right < 0 without ink.
  auto inkBox = [&](const std::vector<uint8_t>& frame) {
    std::array<int, 4> b = {kWidth, kHeight, -1, -1};
    for (int y = 0; y < kHeight; ++y) {
      int left, right;
      if (!InkExtent(frame, y, y + 1, &left, &right)) continue;
      b = {std::min(b[0], left), std::min(b[1], y), std::max(b[2], right), std::max(b[3], y)};
    }
    return b;
  };
  struct Case {
    const char* text;
    float boxH;
    bool turns;
  };
  const Case cases[] = {
      {"\xD8\xAA\xD8\xB3\xD8\xA7\xD9\x82\xD8\xB7", 300, true},                    // Arabic joins
      {"\xE0\xA4\x97\xE0\xA4\xBF\xE0\xA4\xB0\xE0\xA4\xA4\xE0\xA5\x87", 300, true},  // Devanagari headline
      {"NOTE FALL", 300, false},
      {"SPADAJACE NUTY", 130, true},                                              // too tight to stack
      {"\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\x88", 300, false},                       // katakana with its bar
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const RectF box = {100, 40, 30, c.boxH};
    EXPECT_EQ(VerticalTextTurns(gFontSmall, box, c.text, 1.0f, 2.2f), c.turns);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawTextUtf8(gFontSmall, 300, 300, c.text, 1, 1, 1, 1);
    const std::array<int, 4> flat = inkBox(ReadFrame());
    glClear(GL_COLOR_BUFFER_BIT);
    DrawVerticalText(gFontSmall, box, c.text, 1.0f, 105, 0, 1, 1, 1, 1, 2.2f);
    const std::array<int, 4> ink = inkBox(ReadFrame());
    ASSERT_GE(ink[2], 0) << "no ink";
    EXPECT_GE(ink[0], int(box.x)) << "ink left of the box";
    EXPECT_LE(ink[2], int(box.x + box.w)) << "ink right of the box";
    EXPECT_GE(ink[1], int(box.y));
    EXPECT_LE(ink[3], int(box.y + box.h));
    if (!c.turns) continue;
    const int flatW = flat[2] - flat[0], flatH = flat[3] - flat[1];
    if (flatW < c.boxH - 10.0f) {
      // The flat line's ink turned a quarter: its width is the height now, and its height the width.
      EXPECT_NEAR(ink[3] - ink[1], flatW, 2);
      EXPECT_NEAR(ink[2] - ink[0], flatH, 2);
    } else {
      EXPECT_GT(ink[3] - ink[1], c.boxH - 16.0f) << "shrunk to the box";
      EXPECT_LT(ink[2] - ink[0], flatH);
    }
  }
  // In a column of katakana the long-vowel bar stands upright: the middle row's ink is taller than wide.
  glClear(GL_COLOR_BUFFER_BIT);
  DrawVerticalText(gFontSmall, {100, 40, 30, 300}, "\xE3\x83\x8E\xE3\x83\xBC\xE3\x83\x8E", 1.0f, 105, 0, 1, 1, 1, 1,
                   2.2f);
  std::vector<uint8_t> frame = ReadFrame();
  std::vector<std::pair<int, int>> bands;   // first and last row of each band of ink
  int left, right;
  for (int y = 0; y < kHeight; ++y) {
    if (!InkExtent(frame, y, y + 1, &left, &right)) continue;
    if (bands.empty() || bands.back().second < y - 1)
      bands.push_back({y, y});
    else
      bands.back().second = y;
  }
  ASSERT_EQ(bands.size(), 3u);
  ASSERT_TRUE(InkExtent(frame, bands[1].first, bands[1].second + 1, &left, &right));
  EXPECT_GT(bands[1].second - bands[1].first, 2 * (right - left + 1)) << "the bar lies flat";
}

}  // namespace
