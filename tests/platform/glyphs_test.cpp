// Glyphs: the faces chosen for the UI and each script, coverage of every script the program
// draws (through fallback faces where the font lacks a character), and metrics that agree.
#include <gtest/gtest.h>

#include "platform/glyphs.h"

namespace {

TEST(GlyphFontOpen, FacesForTheUiAndTheScripts) {
  const struct {
    const char* family;
    bool italic;
    const char* language;
    const char* fileContains;
  } cases[] = {
      {"TeX Gyre Pagella", false, "", "texgyrepagella-bold"},
      {"TeX Gyre Pagella", true, "", "texgyrepagella-bolditalic"},
      {"Noto Sans CJK JP", false, "ja", "NotoSansCJK"},
      {"Noto Naskh Arabic", false, "ar", "NotoNaskhArabic"},
      {"Noto Sans Devanagari", false, "hi", "NotoSansDevanagari"},
  };
  for (const auto& c : cases) {
    GlyphFont* f = GlyphFontOpen(c.family, true, c.italic, c.language, 26);
    ASSERT_NE(f, nullptr) << c.family;
    EXPECT_NE(GlyphFontFile(f).find(c.fileContains), std::string::npos) << GlyphFontFile(f);
    GlyphFontMetrics m = GlyphFontGetMetrics(f);
    EXPECT_GT(m.ascent, 10) << c.family;
    EXPECT_GT(m.descent, 0) << c.family;
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_GE(m.externalLeading, 0);
    GlyphFontClose(f);
  }
  EXPECT_EQ(GlyphFontOpen("Palatino Linotype", true, false, "", 0), nullptr);
  GlyphFontClose(nullptr);
}

TEST(GlyphRender, EveryScriptHasInkFromTheUiFont) {
  GlyphFont* f = GlyphFontOpen("TeX Gyre Pagella", true, false, "", 26);
  ASSERT_NE(f, nullptr);
  // One letter per script; Cyrillic, Hebrew, Thai and the rest come from fallback faces.
  for (uint32_t cp : {0x41u, 0x0416u, 0x03A9u, 0x0628u, 0xFEFBu, 0x05D0u, 0x0915u, 0x0E01u, 0x3042u, 0xAC00u,
                      0x4E2Du, 0x1D11Eu}) {
    GlyphImage img;
    int advance = -1;
    ASSERT_TRUE(GlyphRender(f, cp, &img)) << std::hex << cp;
    EXPECT_TRUE(img.width > 0 && img.height > 0 && img.advance > 0) << std::hex << cp;
    EXPECT_EQ(img.coverage.size(), size_t(img.width) * img.height);
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

  f = GlyphFontOpen("Noto Naskh Arabic", true, false, "ar", 26);  // every Arabic presentation form
  ASSERT_NE(f, nullptr);
  for (uint32_t cp = 0xFE80; cp <= 0xFEFC; ++cp)
    EXPECT_TRUE(GlyphRender(f, cp, &img) && img.width > 0) << std::hex << cp;
  GlyphFontClose(f);
}

// The UI's face is asked for by a name installed on every machine, and the letters it lacks come
// from the family named first (here Cyrillic), whatever else the desktop holds (URW's fonts put
// themselves first).
TEST(GlyphFontOpen, AFamilyNamedFirstDrawsTheLettersTheFaceLacks) {
  EXPECT_TRUE(GlyphFamilyInstalled("TeX Gyre Pagella"));
  EXPECT_TRUE(GlyphFamilyInstalled("DejaVu Serif"));
  EXPECT_FALSE(GlyphFamilyInstalled("Tonvarra No Such Family"));
  auto inkOf = [](GlyphFont* f, uint32_t cp) {
    GlyphImage img;
    EXPECT_TRUE(GlyphRender(f, cp, &img)) << std::hex << cp;
    return img.coverage;
  };
  for (const char* first : {"DejaVu Serif", "Noto Serif"}) {
    SCOPED_TRACE(first);
    GlyphFont* ui = GlyphFontOpen("TeX Gyre Pagella", true, false, "en", 26, {first});
    GlyphFont* own = GlyphFontOpen(first, true, false, "en", 26);
    ASSERT_NE(ui, nullptr);
    ASSERT_NE(own, nullptr);
    for (uint32_t cp : {0x0416u, 0x044Fu, 0x0434u}) EXPECT_EQ(inkOf(ui, cp), inkOf(own, cp)) << std::hex << cp;
    EXPECT_NE(inkOf(ui, 'g'), inkOf(own, 'g'));  // the face's own letters stay its own
    GlyphFontClose(ui);
    GlyphFontClose(own);
  }
}

}  // namespace
