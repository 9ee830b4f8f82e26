// platform/glyphs: antialiased glyphs of installed fonts. A font is asked for by family, weight,
// slant, language and pixel height (the em height); a code point the font lacks is taken from the
// next installed face that has it, so every script draws. UI thread only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GlyphFont;  // an open font at one pixel height, with its fallback faces

// Vertical metrics in whole pixels: height = ascent + descent; externalLeading is the extra gap
// the font asks for between lines.
struct GlyphFontMetrics {
  int ascent = 0;
  int descent = 0;
  int height = 0;
  int externalLeading = 0;
};

// One rendered glyph: an 8-bit coverage bitmap (rows top to bottom, width bytes each), its offset
// from the pen position (left, and top above the baseline) and the pen advance in whole pixels.
struct GlyphImage {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;
};

// Loads the font configuration and the glyph library, the slow part of opening the first font.
// May run on another thread while nothing else uses glyphs yet; true when both are ready.
bool GlyphsPrepare();
// Opens the best installed match; language is "" or a tag such as "ja", "ko", "zh-cn" that picks
// the right variant of a multi-language face. A character the face lacks comes from a face of the
// families `firstFallbacks` names where one has it, else from the configuration's next similar face. Null
// when no font can be opened at all.
GlyphFont* GlyphFontOpen(const std::string& family, bool bold, bool italic, const std::string& language,
                         int pixelHeight, const std::vector<std::string>& firstFallbacks = {});
// True when a face of exactly this family is installed (not a stand-in the configuration names
// for it).
bool GlyphFamilyInstalled(const std::string& family);
// Closes a font; null is ignored.
void GlyphFontClose(GlyphFont* font);
// The metrics of the font's own face.
GlyphFontMetrics GlyphFontGetMetrics(const GlyphFont* font);
// The file the font's own face came from (for diagnostics and tests).
std::string GlyphFontFile(const GlyphFont* font);
// Renders a code point; control characters give an empty image with advance 0. False when no
// installed face has the character.
bool GlyphRender(GlyphFont* font, uint32_t codePoint, GlyphImage* out);
// The pen advance of a code point without rendering it; false as for GlyphRender.
bool GlyphAdvance(GlyphFont* font, uint32_t codePoint, int* advance);
