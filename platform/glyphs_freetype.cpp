// platform/glyphs_freetype: GlyphFont over FreeType, with fontconfig choosing the faces. The font's
// own face comes from a fontconfig match; for characters it lacks, fontconfig's sorted list of
// similar faces is walked by character set and the first face that has the character is opened
// (once) and used.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <map>
#include <memory>

#include "platform/glyphs.h"

// ---- state ----

static FT_Library gFreeType = nullptr;  // one library for all fonts, opened on first use
static bool gFontconfigReady = false;   // FcInit done

struct GlyphFont {
  int pixelHeight = 0;
  FT_Face face = nullptr;              // the font's own face
  std::string file;                    // and its file
  FcFontSet* fallbacks = nullptr;      // similar faces in fontconfig's order, made on first need
  FcPattern* pattern = nullptr;        // the request, kept for the fallback sort
  std::map<int, FT_Face> fallbackFaces;  // index into fallbacks -> opened face (null when it failed)
  std::map<uint32_t, int> faceOfChar;    // code point -> -1 own face, >= 0 fallback index, -2 none
  std::vector<std::string> firstFallbacks;  // families asked of before the rest of the fallbacks
  GlyphFontMetrics metrics;
};

// ---- internal helpers ----

static bool EnsureLibraries() {
  if (!gFontconfigReady) gFontconfigReady = FcInit() == FcTrue;
  if (!gFreeType && FT_Init_FreeType(&gFreeType) != 0) gFreeType = nullptr;
  return gFontconfigReady && gFreeType;
}

static FT_Face OpenSizedFace(const char* file, int index, int pixelHeight) {
  FT_Face face = nullptr;
  if (FT_New_Face(gFreeType, file, index, &face) != 0) return nullptr;
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight)) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  return face;
}

static FT_Face FaceOfPattern(FcPattern* p, int pixelHeight, std::string* fileOut) {
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch || !file) return nullptr;
  FcPatternGetInteger(p, FC_INDEX, 0, &index);
  if (fileOut) *fileOut = reinterpret_cast<const char*>(file);
  return OpenSizedFace(reinterpret_cast<const char*>(file), index, pixelHeight);
}

static GlyphFontMetrics MetricsOf(FT_Face face) {
  GlyphFontMetrics m;
  const FT_Size_Metrics& sm = face->size->metrics;
  m.ascent = int(std::ceil(sm.ascender / 64.0));
  m.descent = int(std::ceil(-sm.descender / 64.0));
  m.height = m.ascent + m.descent;
  int lineHeight = int(std::ceil(sm.height / 64.0));
  m.externalLeading = lineHeight > m.height ? lineHeight - m.height : 0;
  return m;
}

static bool IsFirstFallback(const GlyphFont* f, FcPattern* p) {
  FcChar8* family = nullptr;
  if (f->firstFallbacks.empty() || FcPatternGetString(p, FC_FAMILY, 0, &family) != FcResultMatch || !family)
    return false;
  for (const std::string& first : f->firstFallbacks)
    if (first == reinterpret_cast<const char*>(family)) return true;
  return false;
}

// The face that draws cp, or null when none of the installed faces has it.
static FT_Face FaceForChar(GlyphFont* f, uint32_t cp) {
  auto known = f->faceOfChar.find(cp);
  int which;
  if (known != f->faceOfChar.end()) {
    which = known->second;
  } else {
    which = -2;
    if (FT_Get_Char_Index(f->face, cp) != 0) {
      which = -1;
    } else {
      if (!f->fallbacks) {
        FcResult result;
        f->fallbacks = FcFontSort(nullptr, f->pattern, FcFalse, nullptr, &result);
      }
      // The families named first, then the rest in fontconfig's order.
      for (int pass = 0; pass < 2 && which == -2 && f->fallbacks; ++pass) {
        for (int i = 0; i < f->fallbacks->nfont; ++i) {
          if (IsFirstFallback(f, f->fallbacks->fonts[i]) != (pass == 0)) continue;
          FcCharSet* cs = nullptr;
          if (FcPatternGetCharSet(f->fallbacks->fonts[i], FC_CHARSET, 0, &cs) != FcResultMatch) continue;
          if (!FcCharSetHasChar(cs, cp)) continue;
          auto opened = f->fallbackFaces.find(i);
          if (opened == f->fallbackFaces.end())
            opened = f->fallbackFaces.emplace(i, FaceOfPattern(f->fallbacks->fonts[i], f->pixelHeight, nullptr)).first;
          if (opened->second && FT_Get_Char_Index(opened->second, cp) != 0) {
            which = i;
            break;
          }
        }
      }
    }
    f->faceOfChar[cp] = which;
  }
  if (which == -1) return f->face;
  if (which >= 0) return f->fallbackFaces[which];
  return nullptr;
}

// ---- public functions ----

bool GlyphsPrepare() { return EnsureLibraries(); }

GlyphFont* GlyphFontOpen(const std::string& family, bool bold, bool italic, const std::string& language,
                         int pixelHeight, const std::vector<std::string>& firstFallbacks) {
  if (pixelHeight <= 0 || !EnsureLibraries()) return nullptr;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (!language.empty()) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (!match) {
    FcPatternDestroy(pattern);
    return nullptr;
  }
  auto font = std::make_unique<GlyphFont>();
  font->pixelHeight = pixelHeight;
  font->firstFallbacks = firstFallbacks;
  font->face = FaceOfPattern(match, pixelHeight, &font->file);
  FcPatternDestroy(match);
  if (!font->face) {
    FcPatternDestroy(pattern);
    return nullptr;
  }
  font->pattern = pattern;
  font->metrics = MetricsOf(font->face);
  return font.release();
}

bool GlyphFamilyInstalled(const std::string& family) {
  if (!EnsureLibraries()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* found = FcFontList(nullptr, pattern, objects);
  const bool installed = found && found->nfont > 0;
  if (found) FcFontSetDestroy(found);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return installed;
}

void GlyphFontClose(GlyphFont* font) {
  if (!font) return;
  for (auto& entry : font->fallbackFaces)
    if (entry.second) FT_Done_Face(entry.second);
  if (font->face) FT_Done_Face(font->face);
  if (font->fallbacks) FcFontSetDestroy(font->fallbacks);
  if (font->pattern) FcPatternDestroy(font->pattern);
  delete font;
}

GlyphFontMetrics GlyphFontGetMetrics(const GlyphFont* font) { return font ? font->metrics : GlyphFontMetrics{}; }

std::string GlyphFontFile(const GlyphFont* font) { return font ? font->file : std::string(); }

bool GlyphRender(GlyphFont* font, uint32_t cp, GlyphImage* out) {
  *out = GlyphImage{};
  if (!font) return false;
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return true;
  FT_Face face = FaceForChar(font, cp);
  if (!face) return false;
  if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  out->advance = int((slot->advance.x + 32) >> 6);
  out->left = slot->bitmap_left;
  out->top = slot->bitmap_top;
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return true;
  out->width = int(bm.width);
  out->height = int(bm.rows);
  out->coverage.resize(size_t(out->width) * size_t(out->height));
  for (int row = 0; row < out->height; ++row) {
    const unsigned char* src = bm.pitch >= 0 ? bm.buffer + row * bm.pitch
                                             : bm.buffer + (out->height - 1 - row) * -bm.pitch;
    std::copy(src, src + out->width, out->coverage.begin() + size_t(row) * size_t(out->width));
  }
  return true;
}

bool GlyphAdvance(GlyphFont* font, uint32_t cp, int* advance) {
  *advance = 0;
  if (!font) return false;
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return true;
  FT_Face face = FaceForChar(font, cp);
  if (!face) return false;
  if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0) return false;
  *advance = int((face->glyph->advance.x + 32) >> 6);
  return true;
}
