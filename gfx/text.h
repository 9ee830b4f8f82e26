// gfx/text: the program's text API. Fonts are blocks of 256 GL display lists (one per code unit
// 0..255) with antialiased glyphs drawn as textured quads; other characters get one-glyph lists
// made on first use from a face suited to their script and cached. Every call that draws or
// measures translates its text with Tr first, so callers pass English.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gfx/rect.h"

struct GlyphFont;

// A font: the first of its 256 display lists; 0 means no font.
using UiFont = uint32_t;

extern UiFont gFontMain;      // body text
extern UiFont gFontItalic;    // body text, italic
extern UiFont gFontLarge;     // titles
extern UiFont gFontSmall;     // small labels
extern UiFont gFontMedium;    // between body and titles
extern float gTextBrightness; // multiplies every text colour (used as at least 0.35); 1 at start

// Pixel sizes of the font set for a UI scale.
struct FontSizes {
  int main, large, small, medium;
};
FontSizes ComputeFontSizes(float uiScale);

// Creates a bold font of that em height in pixels; 0 on failure. Needs a current GL context.
UiFont CreateUiFont(int pixelHeight, bool italic);
// Frees its lists, glyph textures and face and sets it to 0; nothing for 0.
void DeleteUiFont(UiFont& font);
// Frees every font, glyph list and cache and creates the set for the current UI scale.
// Nothing without a current GL context.
void RebuildFonts();
// Frees every font, glyph list and cache (shut-down, before the GL context goes).
void FreeAllFonts();
// The face that draws units of a script class with a font; null for an unknown font.
GlyphFont* GetScriptFont(UiFont base, int scriptClass);

// Draws the translated text with its first glyph's origin (baseline) at (x, y). Enables texturing
// and restores it and the bound texture; leaves blending to the caller.
void DrawTextUtf8(UiFont font, float x, float y, const std::string& text, float r, float g, float b, float a);
// A run of texts drawn with nothing else between them: inside the run DrawTextUtf8 leaves
// texturing on and its glyph texture bound, so each text costs one draw instead of several state
// changes; the state from before the run comes back at its end. Runs do not nest.
void BeginTextRun();
void EndTextRun();
// Brightness back to 1 and no run open, with no GL call (the fonts go with FreeAllFonts). The main
// loop sets the brightness from the song view every frame, so only drawing outside a frame, as
// a test's, finds the last frame's value without this.
void ResetTextDrawing();
// Width in pixels of the translated text as DrawTextUtf8 draws it; font 0 is the default font;
// the estimate for fallbackSize when there is no font.
float MeasureText(UiFont font, const std::string& text, float fallbackSize);
// Width without any font, from per-character factors.
float EstimateTextWidth(float size, const std::string& text);
// The tallest line height (height + external leading) among the faces the translated text needs.
float MeasureTextHeight(UiFont font, const std::string& text, float fallback);
// The text itself when it fits; else the longest translated prefix, cut on a character boundary,
// followed by "..." (already translated: draw it with translation suppressed).
std::string FitTextToWidth(UiFont font, const std::string& text, float fallbackSize, float maxWidth);
// Width in pixels of a text as it stands (already in the UI language).
using ShownTextWidth = std::function<float(const std::string&)>;
// FitTextToWidth for a text as it stands, measured by `width`: the text when it fits, else its
// longest prefix ending on a whole character cluster followed by "...", or "..." alone.
std::string CutShownText(const std::string& shown, float maxWidth, const ShownTextWidth& width);
// The text broken at spaces into lines no wider than maxWidth, at most maxLines of them; a word
// wider than a line, and the last line when more text is left, end in "...". Measures the text as
// it is given: call it with translation suppressed for text already in the UI language.
std::vector<std::string> WrapTextToWidth(UiFont font, const std::string& text, float fallbackSize, float maxWidth,
                                         int maxLines);
// Draws the translated text in the box's height: one character cluster per row, or, for scripts
// whose letters join or hang from a headline (Arabic, Devanagari) and for rows too tight to read,
// as one line turned a quarter to read upwards (shrunk to the box when longer). Marks that lie along
// a line (the Japanese long-vowel bar, dashes) stand upright in a column. Keeps the matrix it found.
void DrawVerticalText(UiFont font, const RectF& box, const std::string& text, float padScale, float x,
                      float yOffset, float r, float g, float b, float a, float minStep);
// Whether DrawVerticalText draws the translated text turned rather than stacked.
bool VerticalTextTurns(UiFont font, const RectF& box, const std::string& text, float padScale, float minStep);
// The rows of a vertical text: a blank or tab gives "" (a gap), else one cluster of UTF-8.
std::vector<std::string> SplitVerticalRows(const std::string& text);
