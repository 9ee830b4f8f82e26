// Glyphs: the faces chosen for the UI and each script, coverage of every script the program
// draws (through fallback faces where the font lacks a character), and metrics that agree.
#include <gtest/gtest.h>

#include "platform/glyphs.h"

namespace {

struct FaceCase {
  const char* family;
  const char* language;
  const char* fileContains;
};

TEST(GlyphFontOpen, FacesForTheUiAndTheScripts) {
  const FaceCase cases[] = {
      {"Palatino Linotype", "", "texgyrepagella-bold"},
      {"Noto Sans CJK JP", "ja", "NotoSansCJK"},
      {"Noto Naskh Arabic", "ar", "NotoNaskhArabic"},
      {"Noto Sans Devanagari", "hi", "NotoSansDevanagari"},
  };
  for (const FaceCase& c : cases) {
    GlyphFont* f = GlyphFontOpen(c.family, true, false, c.language, 26);
    ASSERT_NE(f, nullptr) << c.family;
    EXPECT_NE(GlyphFontFile(f).find(c.fileContains), std::string::npos) << GlyphFontFile(f);
    GlyphFontMetrics m = GlyphFontGetMetrics(f);
    EXPECT_GT(m.ascent, 10) << c.family;
    EXPECT_GT(m.descent, 0) << c.family;
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GE(m.externalLeading, 0);
    GlyphFontClose(f);
  }
  GlyphFont* italic = GlyphFontOpen("Palatino Linotype", true, true, "", 26);
  ASSERT_NE(italic, nullptr);
  EXPECT_NE(GlyphFontFile(italic).find("bolditalic"), std::string::npos);
  GlyphFontClose(italic);
  EXPECT_EQ(GlyphFontOpen("Palatino Linotype", true, false, "", 0), nullptr);
  GlyphFontClose(nullptr);
}

TEST(GlyphRender, EveryScriptHasInkFromTheUiFont) {
  GlyphFont* f = GlyphFontOpen("Palatino Linotype", true, false, "", 26);
  ASSERT_NE(f, nullptr);
  // One letter per script; Cyrillic, Hebrew, Thai and the rest come from fallback faces.
  const uint32_t letters[] = {'A', 0x0416, 0x03A9, 0x0628, 0xFEFB, 0x05D0, 0x0915, 0x0E01, 0x3042, 0xAC00, 0x4E2D,
                              0x1D11E};
  for (uint32_t cp : letters) {
    GlyphImage img;
    ASSERT_TRUE(GlyphRender(f, cp, &img)) << std::hex << cp;
    EXPECT_GT(img.width, 0) << std::hex << cp;
    EXPECT_GT(img.height, 0) << std::hex << cp;
    EXPECT_GT(img.advance, 0) << std::hex << cp;
    EXPECT_EQ(img.coverage.size(), size_t(img.width) * img.height);
    int advance = -1;
    ASSERT_TRUE(GlyphAdvance(f, cp, &advance));
    EXPECT_EQ(advance, img.advance) << std::hex << cp;
  }
  GlyphImage img;
  ASSERT_TRUE(GlyphRender(f, '\n', &img));  // control characters: nothing, no advance
  EXPECT_EQ(img.advance, 0);
  EXPECT_TRUE(img.coverage.empty());
  ASSERT_TRUE(GlyphRender(f, ' ', &img));
  EXPECT_GT(img.advance, 0);
  EXPECT_FALSE(GlyphRender(f, 0x10FFFD, &img));  // a private-use character no face has
  GlyphFontClose(f);
}

TEST(GlyphRender, ArabicFaceHasEveryPresentationForm) {
  GlyphFont* f = GlyphFontOpen("Noto Naskh Arabic", true, false, "ar", 26);
  ASSERT_NE(f, nullptr);
  for (uint32_t cp = 0xFE80; cp <= 0xFEFC; ++cp) {
    GlyphImage img;
    EXPECT_TRUE(GlyphRender(f, cp, &img)) << std::hex << cp;
    EXPECT_GT(img.width, 0) << std::hex << cp;
  }
  GlyphFontClose(f);
}

}  // namespace
