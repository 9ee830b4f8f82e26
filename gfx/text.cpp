// gfx/text: fonts as display-list blocks, text drawing, measuring, fitting and vertical text.
//
// Sections: constants, state, atlas and glyph lists, fonts, drawing, measuring, vertical text.
// A glyph list binds its atlas page, draws one textured quad and moves the pen by the advance. The
// same quad is kept beside the list, and DrawTextUtf8 draws a string as one batch of these quads per
// atlas page: a matrix change per glyph inside lists ends the driver's vertex batch, which costs
// about 9 us per glyph on a software renderer. Measuring sums the same integer advances, so what is
// measured is what is drawn.
#include "gfx/text.h"

#include <GL/gl.h>

#include <algorithm>
#include <deque>
#include <cmath>
#include <unordered_map>

#include "app/base/maths.h"
#include "app/base/strings.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rect.h"
#include "gfx/script_text.h"
#include "gfx/translate.h"
#include "platform/gl_current.h"
#include "platform/glyphs.h"
#include "platform/window.h"

// ---- constants ----

namespace {

constexpr int kAtlasSize = 512;         // side of one glyph atlas page (alpha texture)
constexpr const char* kUiFace = "Palatino Linotype";
// Where that face is not installed, the one `run.sh` installs in its place, which the layout's
// widths were measured with. Asked for by its name: the font configuration's own stand-in for the
// face depends on what else a desktop holds (URW's P052 comes with the PostScript tools), and set
// the labels narrower or wider than measured, differently from one machine to the next.
constexpr const char* kUiFaceInstead = "TeX Gyre Pagella";
// Letters neither has (Cyrillic, Greek) come from this one, also installed by `run.sh`, before the
// configuration's choice, for the same reason.
constexpr const char* kUiLettersElse = "Noto Serif";
// The UI face is asked for as a Latin face: with no language the font configuration takes the
// desktop's, and an Arabic or Japanese desktop then got another family for every Latin text, wider
// than the layout's and cutting its labels short.
constexpr const char* kUiFaceLanguage = "en";

// The face and language per script class; class 0 draws with the UI face itself.
struct ScriptFace {
  const char* family;
  const char* language;
};
constexpr ScriptFace kScriptFaces[kScriptClassCount] = {
    {kUiFace, kUiFaceLanguage},
    {"Noto Sans CJK JP", "ja"},
    {"Noto Sans CJK KR", "ko"},
    {"Noto Sans CJK SC", "zh-cn"},
    {"Noto Naskh Arabic", "ar"},   // covers the presentation forms the shaping produces
    {"Noto Sans Devanagari", "hi"},
};

struct AtlasPage {
  GLuint texture = 0;
  int x = 1, y = 1, rowHeight = 0;  // the shelf being filled
};

// One glyph as drawn: atlas page (0: no ink), texel box, pen-relative corners and the advance.
struct GlyphQuad {
  GLuint texture = 0;
  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int advance = 0;
};

struct FontRecord {
  GlyphFont* glyphs = nullptr;  // the UI face at this size
  int pixelHeight = 0;
  bool italic = false;
  int advance[256] = {};        // pen advance of each base list
  GlyphQuad quads[256];         // what each base list draws
  std::vector<AtlasPage> pages; // glyph textures of this font and of its script glyphs
};

}  // namespace

// ---- state ----

UiFont gFontMain = 0;
UiFont gFontItalic = 0;
UiFont gFontLarge = 0;
UiFont gFontSmall = 0;
UiFont gFontMedium = 0;
float gTextBrightness = 1.0f;
// The texturing state saved by BeginTextRun, and whether a run is open.
struct TextRunState {
  bool open = false;
  GLboolean textureWasOn = GL_FALSE;
  GLint texture = 0;
  GLint envMode = GL_MODULATE;
};
static TextRunState gTextRun;

// The caches live until the process ends and are never destroyed: fonts still open at exit (a
// window closed without the shut-down sequence) stay reachable instead of being torn down after GL.
static auto& gUiFontHandles = *new std::unordered_map<UiFont, FontRecord>;      // base -> its font
static auto& gScriptFontCache = *new std::unordered_map<uint64_t, GlyphFont*>;  // (base << 8 | class) -> face
static auto& gGlyphListCache = *new std::unordered_map<uint64_t, GLuint>;       // glyph key -> list (0: none)
static auto& gGlyphWidthCache = *new std::unordered_map<uint64_t, float>;       // glyph key -> advance
static auto& gGlyphQuadCache = *new std::unordered_map<uint64_t, GlyphQuad>;    // glyph key -> its quad

// ---- atlas and glyph lists ----

// The UI face itself where installed, else its stand-in by name, else what the configuration
// offers for it. Asked once: the fonts installed do not change under a running program.
static const char* UiFaceFamily() {
  static const char* family = GlyphFamilyInstalled(kUiFace)          ? kUiFace
                              : GlyphFamilyInstalled(kUiFaceInstead) ? kUiFaceInstead
                                                                     : kUiFace;
  return family;
}

static uint64_t GlyphKey(UiFont base, int scriptClass, uint32_t codePoint) {
  return (uint64_t(base) << 32) | (uint64_t(scriptClass) << 24) | codePoint;
}

// Places a glyph bitmap in the font's atlas; returns the page texture and the texel origin.
static bool PlaceInAtlas(FontRecord& rec, const GlyphImage& img, GLuint* texture, int* tx, int* ty) {
  if (img.width + 2 > kAtlasSize || img.height + 2 > kAtlasSize) return false;
  AtlasPage* page = rec.pages.empty() ? nullptr : &rec.pages.back();
  if (page && page->x + img.width + 1 > kAtlasSize) {
    page->x = 1;
    page->y += page->rowHeight + 1;
    page->rowHeight = 0;
  }
  if (!page || page->y + img.height + 1 > kAtlasSize) {
    AtlasPage fresh;
    glGenTextures(1, &fresh.texture);
    if (!fresh.texture) return false;
    std::vector<uint8_t> zeros(size_t(kAtlasSize) * kAtlasSize, 0);
    glBindTexture(GL_TEXTURE_2D, fresh.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kAtlasSize, kAtlasSize, 0, GL_ALPHA, GL_UNSIGNED_BYTE, zeros.data());
    rec.pages.push_back(fresh);
    page = &rec.pages.back();
  }
  glBindTexture(GL_TEXTURE_2D, page->texture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, page->x, page->y, img.width, img.height, GL_ALPHA, GL_UNSIGNED_BYTE,
                  img.coverage.data());
  *texture = page->texture;
  *tx = page->x;
  *ty = page->y;
  page->x += img.width + 1;
  page->rowHeight = std::max(page->rowHeight, img.height);
  return true;
}

// Compiles list id: the glyph's quad (when it has ink) and the pen advance; returns the quad.
static GlyphQuad CompileGlyphList(FontRecord& rec, const GlyphImage& img, GLuint id) {
  GlyphQuad q;
  q.advance = img.advance;
  int tx = 0, ty = 0;
  if (img.width > 0 && img.height > 0 && PlaceInAtlas(rec, img, &q.texture, &tx, &ty)) {
    q.u0 = float(tx) / kAtlasSize;
    q.v0 = float(ty) / kAtlasSize;
    q.u1 = float(tx + img.width) / kAtlasSize;
    q.v1 = float(ty + img.height) / kAtlasSize;
    q.x0 = float(img.left);
    q.y0 = float(-img.top);
    q.x1 = q.x0 + float(img.width);
    q.y1 = q.y0 + float(img.height);
  }
  glNewList(id, GL_COMPILE);
  if (q.texture) {
    glBindTexture(GL_TEXTURE_2D, q.texture);
    glBegin(GL_QUADS);
    glTexCoord2f(q.u0, q.v0);
    glVertex2f(q.x0, q.y0);
    glTexCoord2f(q.u1, q.v0);
    glVertex2f(q.x1, q.y0);
    glTexCoord2f(q.u1, q.v1);
    glVertex2f(q.x1, q.y1);
    glTexCoord2f(q.u0, q.v1);
    glVertex2f(q.x0, q.y1);
    glEnd();
  }
  glTranslatef(float(img.advance), 0.0f, 0.0f);
  glEndList();
  return q;
}

// Draws quads at pen positions from (x, y): one glBegin/glEnd per run of glyphs on one page. The
// colour goes with every vertex: a colour set only between batches makes the GL driver hand its
// pending vertices to the rasteriser at once, a fixed cost near that of a whole shape.
static void DrawGlyphQuads(const std::vector<const GlyphQuad*>& glyphs, float x, float y, const float rgba[4]) {
  GLuint bound = 0;
  bool open = false;
  float pen = x;
  for (const GlyphQuad* q : glyphs) {
    if (q->texture) {
      if (q->texture != bound) {
        if (open) glEnd();
        glBindTexture(GL_TEXTURE_2D, q->texture);
        bound = q->texture;
        glBegin(GL_QUADS);
        open = true;
      }
      glColor4fv(rgba);
      glTexCoord2f(q->u0, q->v0);
      glVertex2f(pen + q->x0, y + q->y0);
      glTexCoord2f(q->u1, q->v0);
      glVertex2f(pen + q->x1, y + q->y0);
      glTexCoord2f(q->u1, q->v1);
      glVertex2f(pen + q->x1, y + q->y1);
      glTexCoord2f(q->u0, q->v1);
      glVertex2f(pen + q->x0, y + q->y1);
    }
    pen += float(q->advance);
  }
  if (open) glEnd();
}

// Uploads go one byte per row step; the previous alignment is put back.
struct ScopedUnpackAlignment {
  GLint saved = 4;
  ScopedUnpackAlignment() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  }
  ~ScopedUnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved); }
};

// ---- fonts ----

FontSizes ComputeFontSizes(float s) {
  auto clampi = [](long v, int lo, int hi) { return int(std::min<long>(std::max<long>(v, lo), hi)); };
  FontSizes f;
  f.main = clampi(std::lround(26.0f * s), 20, 28);
  f.large = clampi(std::lround(40.0f * s), 30, 42);
  f.small = clampi(std::lround(17.0f * s), 12, 18);
  f.medium = clampi(std::lround((f.main + 3) * 1.04f), f.main + 1, 34);
  return f;
}

UiFont CreateUiFont(int pixelHeight, bool italic) {
  FontRecord rec;
  rec.glyphs = GlyphFontOpen(UiFaceFamily(), true, italic, kUiFaceLanguage, pixelHeight, {kUiLettersElse});
  if (!rec.glyphs) return 0;
  rec.pixelHeight = pixelHeight;
  rec.italic = italic;
  GLuint base = glGenLists(256);
  if (!base) {
    GlyphFontClose(rec.glyphs);
    return 0;
  }
  GLint savedTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  {
    ScopedUnpackAlignment alignment;
    GlyphImage img;
    for (uint32_t c = 0; c < 256; ++c) {
      if (!GlyphRender(rec.glyphs, c, &img)) img = GlyphImage{};
      rec.advance[c] = img.advance;
      rec.quads[c] = CompileGlyphList(rec, img, base + c);
    }
  }
  glBindTexture(GL_TEXTURE_2D, GLuint(savedTexture));
  gUiFontHandles.emplace(base, std::move(rec));
  return base;
}

static void ForgetGlyphsOf(UiFont base) {
  for (auto it = gGlyphListCache.begin(); it != gGlyphListCache.end();) {
    if ((it->first >> 32) == base) {
      if (it->second) glDeleteLists(it->second, 1);
      it = gGlyphListCache.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = gGlyphWidthCache.begin(); it != gGlyphWidthCache.end();)
    it = (it->first >> 32) == base ? gGlyphWidthCache.erase(it) : std::next(it);
  for (auto it = gGlyphQuadCache.begin(); it != gGlyphQuadCache.end();)
    it = (it->first >> 32) == base ? gGlyphQuadCache.erase(it) : std::next(it);
  for (auto it = gScriptFontCache.begin(); it != gScriptFontCache.end();) {
    if ((it->first >> 8) == base) {
      if (it->second != gUiFontHandles[base].glyphs) GlyphFontClose(it->second);
      it = gScriptFontCache.erase(it);
    } else {
      ++it;
    }
  }
}

void DeleteUiFont(UiFont& font) {
  if (!font) return;
  auto it = gUiFontHandles.find(font);
  if (it != gUiFontHandles.end()) {
    ForgetGlyphsOf(font);
    glDeleteLists(font, 256);
    for (AtlasPage& page : it->second.pages) glDeleteTextures(1, &page.texture);
    GlyphFontClose(it->second.glyphs);
    gUiFontHandles.erase(it);
  }
  font = 0;
}

void FreeAllFonts() {
  for (UiFont* f : {&gFontMain, &gFontItalic, &gFontLarge, &gFontSmall, &gFontMedium}) DeleteUiFont(*f);
  std::vector<UiFont> rest;
  for (auto& entry : gUiFontHandles) rest.push_back(entry.first);
  for (UiFont f : rest) DeleteUiFont(f);
}

void RebuildFonts() {
  if (!GlContextIsCurrent()) return;
  FreeAllFonts();
  FontSizes sizes = ComputeFontSizes(GetUiScale());
  gFontMain = CreateUiFont(sizes.main, false);
  gFontItalic = CreateUiFont(sizes.main, true);
  gFontLarge = CreateUiFont(sizes.large, false);
  gFontSmall = CreateUiFont(sizes.small, false);
  gFontMedium = CreateUiFont(sizes.medium, false);
}

GlyphFont* GetScriptFont(UiFont base, int scriptClass) {
  auto it = gUiFontHandles.find(base);
  if (it == gUiFontHandles.end()) return nullptr;
  const FontRecord& rec = it->second;
  if (!rec.glyphs || scriptClass <= 0 || scriptClass >= kScriptClassCount) return rec.glyphs;
  uint64_t key = (uint64_t(base) << 8) | uint64_t(scriptClass);
  auto cached = gScriptFontCache.find(key);
  if (cached != gScriptFontCache.end()) return cached->second;
  const ScriptFace& face = kScriptFaces[scriptClass];
  GlyphFont* f = GlyphFontOpen(face.family, true, rec.italic, face.language, rec.pixelHeight);
  if (!f) f = rec.glyphs;
  gScriptFontCache[key] = f;
  return f;
}

// The font a call with font 0 means: main, else small, else large.
static UiFont ResolveFont(UiFont font) {
  if (font) return font;
  if (gFontMain) return gFontMain;
  return gFontSmall ? gFontSmall : gFontLarge;
}

static bool IsAsciiOnly(const std::string& t) {
  for (unsigned char c : t)
    if (c >= 128) return false;
  return true;
}

// Walks the prepared units, joining surrogate pairs; calls fn(codePoint, scriptClass).
template <typename Fn>
static void ForEachGlyph(const std::u16string& w, Fn fn) {
  for (size_t i = 0; i < w.size(); ++i) {
    char16_t u = w[i];
    if (u == '\r' || u == '\n') continue;
    uint32_t cp = u;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((uint32_t(u) - 0xD800) << 10) + (uint32_t(w[i + 1]) - 0xDC00);
      ++i;
    }
    fn(cp, ScriptClassOf(u));
  }
}

// ---- drawing ----

// A vowel sign of Devanagari with ink above the letter (ii, e, ai, au).
static bool IsRaisedVowelSign(uint32_t cp) { return cp == 0x0940 || cp == 0x0947 || cp == 0x0948 || cp == 0x094C; }
// Candrabindu and anusvara, the nasal marks drawn above.
static bool IsNasalMark(uint32_t cp) { return cp == 0x0901 || cp == 0x0902; }

void DrawTextUtf8(UiFont font, float x, float y, const std::string& text, float r, float g, float b, float a) {
  float alpha = a * gDrawAlpha;
  if (alpha <= 0.0005f) return;
  font = ResolveFont(font);
  auto recIt = gUiFontHandles.find(font);
  if (recIt == gUiFontHandles.end()) return;
  if (WindowExists() && !WindowIsMaximized()) {
    x = std::floor(x + 0.5f);
    y = std::floor(y + 0.5f);
  }
  float k = std::max(gTextBrightness, 0.35f);
  SetGlColorAsIs(ClampFloat(r * k, 0, 1), ClampFloat(g * k, 0, 1), ClampFloat(b * k, 0, 1), alpha);
  const float* rgba = CurrentGlColor();
  std::string t = Tr(text);

  GLboolean textureWasOn = GL_TRUE;
  GLint savedTexture = 0;
  GLint savedEnvMode = GL_MODULATE;
  if (!gTextRun.open) {
    textureWasOn = glIsEnabled(GL_TEXTURE_2D);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &savedEnvMode);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  FontRecord& rec = recIt->second;
  static std::vector<const GlyphQuad*> glyphs;  // kept: a frame draws hundreds of texts (UI thread only)
  glyphs.clear();
  std::u16string w;
  if (!IsAsciiOnly(t)) w = PrepareGlyphText(t);
  if (w.empty()) {
    glyphs.reserve(t.size());
    for (unsigned char c : t) glyphs.push_back(&rec.quads[c]);
  } else {
    ScopedUnpackAlignment alignment;
    // Nasal marks moved off a raised vowel sign; a deque keeps the pointers to them valid.
    static std::deque<GlyphQuad> moved;
    moved.clear();
    float pen = 0.0f, previousInkRight = 0.0f;
    uint32_t previous = 0;
    ForEachGlyph(w, [&](uint32_t cp, int cls) {
      uint64_t key = GlyphKey(font, cls, cp);
      auto cached = gGlyphListCache.find(key);
      if (cached == gGlyphListCache.end()) {
        GLuint id = 0;
        GlyphImage img;
        if (GlyphRender(GetScriptFont(font, cls), cp, &img)) {
          id = glGenLists(1);
          if (id) gGlyphQuadCache[key] = CompileGlyphList(rec, img, id);
        }
        cached = gGlyphListCache.emplace(key, id).first;
      }
      const GlyphQuad* q = cached->second ? &gGlyphQuadCache[key] : &rec.quads['?'];
      // Without mark positioning a nasal mark lands on the ink of a vowel sign above the letter
      // and vanishes into it ("नहीं" reads "नही"): it stands just right of that ink instead.
      if (IsNasalMark(cp) && IsRaisedVowelSign(previous) && q->texture && pen + q->x0 < previousInkRight + 1.0f) {
        moved.push_back(*q);
        const float shift = previousInkRight + 1.0f - (pen + q->x0);
        moved.back().x0 += shift;
        moved.back().x1 += shift;
        q = &moved.back();
      }
      glyphs.push_back(q);
      if (q->texture) previousInkRight = pen + q->x1;
      pen += (float)q->advance;
      previous = cp;
    });
  }
  DrawGlyphQuads(glyphs, x, y, rgba);
  if (gTextRun.open) return;

  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, savedEnvMode);
  glBindTexture(GL_TEXTURE_2D, GLuint(savedTexture));
  if (!textureWasOn) glDisable(GL_TEXTURE_2D);
}

void BeginTextRun() {
  if (gTextRun.open) return;
  gTextRun.open = true;
  gTextRun.textureWasOn = glIsEnabled(GL_TEXTURE_2D);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &gTextRun.texture);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &gTextRun.envMode);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void EndTextRun() {
  if (!gTextRun.open) return;
  gTextRun.open = false;
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, gTextRun.envMode);
  glBindTexture(GL_TEXTURE_2D, GLuint(gTextRun.texture));
  if (!gTextRun.textureWasOn) glDisable(GL_TEXTURE_2D);
}

void ResetTextDrawing() {
  gTextBrightness = 1.0f;
  gTextRun = TextRunState{};
}

// ---- measuring ----

float EstimateTextWidth(float size, const std::string& text) {
  float width = 0;
  for (unsigned char c : text) {
    float f;
    if (c == ' ')
      f = 0.4f;
    else if (std::string_view("ilI1|!.,:;`'").find(char(c)) != std::string_view::npos)
      f = 0.34f;
    else if (std::string_view("MW@%#&QO0").find(char(c)) != std::string_view::npos)
      f = 0.95f;
    else if (c >= 'A' && c <= 'Z')
      f = 0.74f;
    else if (c >= '0' && c <= '9')
      f = 0.66f;
    else
      f = 0.62f;
    width += size * f;
  }
  return width;
}

// Width of text that is already translated.
static float MeasureTranslated(UiFont font, const std::string& t, float fallbackSize) {
  if (t.empty()) return 0;
  auto recIt = gUiFontHandles.find(font);
  if (recIt == gUiFontHandles.end()) return EstimateTextWidth(fallbackSize, t);
  const FontRecord& rec = recIt->second;
  if (IsAsciiOnly(t)) {
    int width = 0;
    for (unsigned char c : t) width += rec.advance[c];
    return float(width);
  }
  std::u16string w = PrepareGlyphText(t);
  if (w.empty()) return 0;
  float width = 0;
  ForEachGlyph(w, [&](uint32_t cp, int cls) {
    uint64_t key = GlyphKey(font, cls, cp);
    auto cached = gGlyphWidthCache.find(key);
    if (cached != gGlyphWidthCache.end()) {
      width += cached->second;
      return;
    }
    int advance = 0;
    // A character no face has is drawn as "?", so it measures as one.
    float glyphWidth = GlyphAdvance(GetScriptFont(font, cls), cp, &advance) ? float(advance) : float(rec.advance['?']);
    gGlyphWidthCache[key] = glyphWidth;
    width += glyphWidth;
  });
  return width;
}

float MeasureText(UiFont font, const std::string& text, float fallbackSize) {
  if (text.empty()) return 0;
  std::string t = Tr(text);
  font = ResolveFont(font);
  return MeasureTranslated(font, t, fallbackSize);
}

float MeasureTextHeight(UiFont font, const std::string& text, float fallback) {
  font = ResolveFont(font);
  if (gUiFontHandles.find(font) == gUiFontHandles.end()) return fallback;
  std::u16string w = Utf8ToWideText(Tr(text));
  bool needed[kScriptClassCount] = {true};
  for (char16_t u : w) needed[ScriptClassOf(u)] = true;
  float height = 0;
  for (int c = 0; c < kScriptClassCount; ++c) {
    if (!needed[c]) continue;
    GlyphFontMetrics m = GlyphFontGetMetrics(GetScriptFont(font, c));
    height = std::max(height, float(m.height + m.externalLeading));
  }
  return height > 0 ? height : fallback;
}

// The code point whose UTF-8 sequence starts at i (i on a lead byte); 0 past the end.
static uint32_t CodePointAt(const std::string& t, size_t i) {
  if (i >= t.size()) return 0;
  unsigned char c = static_cast<unsigned char>(t[i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  uint32_t u = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : extra == 1 ? c & 0x1Fu : c;
  for (int k = 1; k <= extra && i + k < t.size(); ++k) u = u << 6 | (static_cast<unsigned char>(t[i + k]) & 0x3Fu);
  return u;
}

static size_t BackOneChar(const std::string& t, size_t i) {
  do --i;
  while (i > 0 && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80);
  return i;
}

// Back to where a character cluster starts: never inside a UTF-8 sequence, never before a mark
// that belongs to the letter in front of it, and never after a virama, whose consonants join into
// one conjunct (cut there, the half-form would show as a different letter).
static size_t BackToCharBoundary(const std::string& t, size_t i) {
  while (i > 0 && i < t.size() && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) --i;
  while (i > 0 && i < t.size()) {
    uint32_t here = CodePointAt(t, i);
    size_t prev = BackOneChar(t, i);
    bool mark = here <= 0xFFFF && IsCombiningMark(static_cast<uint16_t>(here));
    if (!mark && CodePointAt(t, prev) != 0x094D) break;
    i = prev;
  }
  return i;
}

static size_t NextCharBoundary(const std::string& t, size_t i) {
  if (i >= t.size()) return t.size();
  do {
    ++i;
    while (i < t.size() && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) ++i;
  } while (i < t.size() && BackToCharBoundary(t, i) != i);
  return i;
}

std::string FitTextToWidth(UiFont font, const std::string& text, float fallbackSize, float maxWidth) {
  if (text.empty() || maxWidth <= 0) return "";
  if (MeasureText(font, text, fallbackSize) <= maxWidth) return text;
  UiFont f = ResolveFont(font);
  // The prefixes are already translated: measure them as they are.
  return CutShownText(Tr(text), maxWidth, [&](const std::string& s) { return MeasureTranslated(f, s, fallbackSize); });
}

std::string CutShownText(const std::string& t, float maxWidth, const ShownTextWidth& width) {
  if (t.empty() || maxWidth <= 0) return "";
  if (width(t) <= maxWidth) return t;
  size_t lo = 0, hi = t.size();
  while (lo < hi) {
    size_t mid = BackToCharBoundary(t, (lo + 1 + hi) / 2);
    // A cluster longer than the step: try the next whole cluster after lo instead.
    if (mid <= lo) mid = NextCharBoundary(t, lo);
    if (mid <= lo || mid > hi) break;
    if (width(t.substr(0, mid) + "...") > maxWidth)
      hi = mid - 1;
    else
      lo = mid;
  }
  lo = BackToCharBoundary(t, lo);
  return t.substr(0, lo) + "...";
}

std::vector<std::string> WrapTextToWidth(UiFont font, const std::string& text, float fallbackSize, float maxWidth,
                                         int maxLines) {
  std::vector<std::string> lines;
  if (maxLines <= 0 || maxWidth <= 0) return lines;
  size_t at = text.find_first_not_of(' ');
  while (at != std::string::npos && at < text.size()) {
    if ((int)lines.size() == maxLines - 1) {  // the last line takes the rest, cut when it must be
      lines.push_back(FitTextToWidth(font, text.substr(at), fallbackSize, maxWidth));
      break;
    }
    // The most whole words that fit; a first word too wide for any line is cut.
    size_t end = text.find(' ', at), fits = std::string::npos;
    while (true) {
      const size_t stop = end == std::string::npos ? text.size() : end;
      if (MeasureText(font, text.substr(at, stop - at), fallbackSize) > maxWidth) break;
      fits = stop;
      if (end == std::string::npos) break;
      end = text.find(' ', end + 1);
    }
    if (fits == std::string::npos) {
      const size_t stop = std::min(text.find(' ', at), text.size());
      lines.push_back(FitTextToWidth(font, text.substr(at, stop - at), fallbackSize, maxWidth));
      at = text.find_first_not_of(' ', stop);
      continue;
    }
    lines.push_back(text.substr(at, fits - at));
    at = text.find_first_not_of(' ', fits);
  }
  return lines;
}

// ---- vertical text ----

// Stacked rows closer than this share of the em run into each other.
static constexpr float kLegibleStepEm = 0.72f;

// Arabic letters join and Devanagari letters hang from one headline: one cluster per row breaks both.
static bool HasJoinedScript(const std::string& shown) {
  for (char16_t u : Utf8ToWideText(shown)) {
    const int cls = ScriptClassOf(u);
    if (cls == kScriptArabic || cls == kScriptDevanagari) return true;
  }
  return false;
}

// Marks that lie along the line (the Japanese long-vowel bar, dashes, the wave dash); in a
// stacked column they stand upright, as vertical Japanese writes them.
static bool TurnsInColumn(const std::string& row) {
  static const char* const kMarks[] = {"\xE3\x83\xBC", "\xE2\x80\x94", "\xE2\x80\x95", "\xE3\x80\x9C", "\xEF\xBD\x9E", "-"};
  for (const char* mark : kMarks)
    if (row == mark) return true;
  return false;
}

static int FontPixelHeight(UiFont font) {
  auto it = gUiFontHandles.find(ResolveFont(font));
  return it == gUiFontHandles.end() ? 0 : it->second.pixelHeight;
}

struct VerticalPlan {
  std::vector<std::string> rows;
  int clusters = 0;
  float pad = 0, avail = 0, step = 0, span = 0;
};

static VerticalPlan PlanVerticalRows(const std::string& shown, const RectF& box, float padScale, float minStep) {
  VerticalPlan p;
  p.rows = SplitVerticalRows(shown);
  for (const std::string& row : p.rows) p.clusters += !row.empty();
  const int n = std::max(p.clusters, 1);
  p.pad = std::max(1.8f * padScale, 1.2f);
  p.avail = std::max(box.h - 2 * p.pad, 8.0f);
  if (n < 2) {
    p.step = p.avail;
    p.span = 0;
  } else {
    p.step = std::max(p.avail / float(n - 1) * 0.82f, minStep);
    p.span = float(n - 1) * p.step;
  }
  return p;
}

bool VerticalTextTurns(UiFont font, const RectF& box, const std::string& text, float padScale, float minStep) {
  const std::string shown = Tr(text);
  if (HasJoinedScript(shown)) return true;
  const VerticalPlan p = PlanVerticalRows(shown, box, padScale, minStep);
  const int px = FontPixelHeight(font);
  return p.clusters > 1 && px > 0 && p.step < kLegibleStepEm * float(px);
}

// The whole line turned a quarter to read upwards, centred on the box (plus yOffset), shrunk to
// its height when longer. Keeps the matrix it found.
static void DrawTurnedText(UiFont font, const RectF& box, const std::string& shown, float padScale, float yOffset,
                           float r, float g, float b, float a) {
  const float width = MeasureTranslated(ResolveFont(font), shown, 12.0f);
  if (width <= 0) return;
  const float room = std::max(box.h - 2 * std::max(3.0f * padScale, 2.0f), 8.0f);
  const float scale = std::min(1.0f, room / width);
  glPushMatrix();
  glTranslatef(box.x + box.w * 0.5f, box.y + box.h * 0.5f + yOffset, 0);
  glRotatef(-90.0f, 0, 0, 1);
  glScalef(scale, scale, 1);
  // The baseline sits a third of the em below the centre line, so the letters' middle is on it.
  DrawTextUtf8(font, -0.5f * width, 0.35f * float(FontPixelHeight(font)), shown, r, g, b, a);
  glPopMatrix();
}

std::vector<std::string> SplitVerticalRows(const std::string& text) {
  std::u16string w = Utf8ToWideText(text);
  std::vector<std::string> rows;
  for (size_t i = 0; i < w.size();) {
    char16_t u = w[i];
    if (u == ' ' || u == '\t') {
      rows.emplace_back();
      ++i;
      continue;
    }
    size_t end = i + 1;
    if (u >= 0xD800 && u <= 0xDBFF && end < w.size() && IsCombiningMark(w[end])) ++end;
    while (end < w.size() && IsCombiningMark(w[end])) ++end;
    rows.push_back(Utf16ToUtf8(w.substr(i, end - i)));
    i = end;
  }
  return rows;
}

void DrawVerticalText(UiFont font, const RectF& box, const std::string& text, float padScale, float x,
                      float yOffset, float r, float g, float b, float a, float minStep) {
  const std::string shown = Tr(text);
  ScopedTrSuppress already;  // the text and each cluster of it are translated
  if (VerticalTextTurns(font, box, shown, padScale, minStep)) {
    DrawTurnedText(font, box, shown, padScale, yOffset, r, g, b, a);
    return;
  }
  const VerticalPlan p = PlanVerticalRows(shown, box, padScale, minStep);
  float y = box.y + (box.h - p.span) * 0.5f + yOffset;
  if (p.clusters < 2) y += p.avail * 0.5f;
  if (y < box.y + p.pad) y = box.y + p.pad;
  if (y > box.y + box.h - p.pad - p.span) y = box.y + box.h - p.pad - p.span;
  const float em = float(FontPixelHeight(font));
  for (const std::string& row : p.rows) {
    if (row.empty()) {
      y += 0.14f * p.step;
      continue;
    }
    if (TurnsInColumn(row) && em > 0) {
      // Turned a quarter about the glyph's middle; keeps the matrix it found.
      const float half = 0.5f * MeasureTranslated(ResolveFont(font), row, 12.0f);
      glPushMatrix();
      glTranslatef(x + half, y - 0.35f * em, 0);
      glRotatef(90.0f, 0, 0, 1);
      DrawTextUtf8(font, -half, 0.35f * em, row, r, g, b, a);
      glPopMatrix();
    } else {
      DrawTextUtf8(font, x, y, row, r, g, b, a);
    }
    y += p.step;
    if (y > box.y + box.h - 2) break;
  }
}
