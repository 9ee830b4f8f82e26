// gfx/script_text: script classes, narrow-to-wide conversion, Arabic shaping and Devanagari
// reordering. Pure text work: no GL, no fonts, so tests reach every rule directly.
#include "gfx/script_text.h"

#include <algorithm>
#include <vector>

#include "gfx/ui_language.h"

// ---- constants ----

namespace {

// One Arabic letter: {letter, isolated, final, initial, medial, joining type}; 0 where a form does
// not exist; type 0 does not join, 1 joins only to the letter before it, 2 joins on both sides.
struct ArabicFormRow {
  uint32_t letter, isolated, finalForm, initial, medial, joining;
};

constexpr ArabicFormRow kArabicForms[36] = {
    {0x0621, 0xFE80, 0, 0, 0, 0},
    {0x0622, 0xFE81, 0xFE82, 0, 0, 1},
    {0x0623, 0xFE83, 0xFE84, 0, 0, 1},
    {0x0624, 0xFE85, 0xFE86, 0, 0, 1},
    {0x0625, 0xFE87, 0xFE88, 0, 0, 1},
    {0x0626, 0xFE89, 0xFE8A, 0xFE8B, 0xFE8C, 2},
    {0x0627, 0xFE8D, 0xFE8E, 0, 0, 1},
    {0x0628, 0xFE8F, 0xFE90, 0xFE91, 0xFE92, 2},
    {0x0629, 0xFE93, 0xFE94, 0, 0, 1},
    {0x062A, 0xFE95, 0xFE96, 0xFE97, 0xFE98, 2},
    {0x062B, 0xFE99, 0xFE9A, 0xFE9B, 0xFE9C, 2},
    {0x062C, 0xFE9D, 0xFE9E, 0xFE9F, 0xFEA0, 2},
    {0x062D, 0xFEA1, 0xFEA2, 0xFEA3, 0xFEA4, 2},
    {0x062E, 0xFEA5, 0xFEA6, 0xFEA7, 0xFEA8, 2},
    {0x062F, 0xFEA9, 0xFEAA, 0, 0, 1},
    {0x0630, 0xFEAB, 0xFEAC, 0, 0, 1},
    {0x0631, 0xFEAD, 0xFEAE, 0, 0, 1},
    {0x0632, 0xFEAF, 0xFEB0, 0, 0, 1},
    {0x0633, 0xFEB1, 0xFEB2, 0xFEB3, 0xFEB4, 2},
    {0x0634, 0xFEB5, 0xFEB6, 0xFEB7, 0xFEB8, 2},
    {0x0635, 0xFEB9, 0xFEBA, 0xFEBB, 0xFEBC, 2},
    {0x0636, 0xFEBD, 0xFEBE, 0xFEBF, 0xFEC0, 2},
    {0x0637, 0xFEC1, 0xFEC2, 0xFEC3, 0xFEC4, 2},
    {0x0638, 0xFEC5, 0xFEC6, 0xFEC7, 0xFEC8, 2},
    {0x0639, 0xFEC9, 0xFECA, 0xFECB, 0xFECC, 2},
    {0x063A, 0xFECD, 0xFECE, 0xFECF, 0xFED0, 2},
    {0x0641, 0xFED1, 0xFED2, 0xFED3, 0xFED4, 2},
    {0x0642, 0xFED5, 0xFED6, 0xFED7, 0xFED8, 2},
    {0x0643, 0xFED9, 0xFEDA, 0xFEDB, 0xFEDC, 2},
    {0x0644, 0xFEDD, 0xFEDE, 0xFEDF, 0xFEE0, 2},
    {0x0645, 0xFEE1, 0xFEE2, 0xFEE3, 0xFEE4, 2},
    {0x0646, 0xFEE5, 0xFEE6, 0xFEE7, 0xFEE8, 2},
    {0x0647, 0xFEE9, 0xFEEA, 0xFEEB, 0xFEEC, 2},
    {0x0648, 0xFEED, 0xFEEE, 0, 0, 1},
    {0x0649, 0xFEEF, 0xFEF0, 0, 0, 1},
    {0x064A, 0xFEF1, 0xFEF2, 0xFEF3, 0xFEF4, 2},
};

// Windows-1252 bytes 0x80..0x9F; the five holes map to themselves as the system code page does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kLam = 0x0644;
constexpr char16_t kVowelSignI = 0x093F;
constexpr char16_t kNukta = 0x093C;
constexpr char16_t kVirama = 0x094D;

// ---- internal helpers ----

bool InRange(uint32_t u, uint32_t lo, uint32_t hi) { return u >= lo && u <= hi; }

bool IsArabicText(char16_t u) {
  return InRange(u, 0x0600, 0x06FF) || InRange(u, 0x0750, 0x077F) || InRange(u, 0x08A0, 0x08FF) ||
         InRange(u, 0xFB50, 0xFDFF) || InRange(u, 0xFE70, 0xFEFF);
}

// Marks that sit between letters without breaking their joining.
bool IsTransparentMark(char16_t u) {
  return InRange(u, 0x064B, 0x065F) || u == 0x0670 || InRange(u, 0x06D6, 0x06ED);
}

const ArabicFormRow* ArabicFormsOf(char16_t u) {
  if (u < 0x0621 || u > 0x064A) return nullptr;
  for (const ArabicFormRow& row : kArabicForms)
    if (row.letter == u) return &row;
  return nullptr;
}

bool IsDevanagariConsonant(char16_t u) { return InRange(u, 0x0915, 0x0939) || InRange(u, 0x0958, 0x095F); }

enum BidiClass : uint8_t { kBidiL, kBidiR, kBidiN };

BidiClass BidiClassOf(char16_t u) {
  if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return kBidiL;
  if (IsArabicText(u)) return kBidiR;
  return kBidiN;
}

}  // namespace

// ---- public functions ----

int ScriptClassOfForLanguage(uint16_t u, const std::string& code) {
  if (u < 0x0530) return kScriptDefault;
  if (IsArabicText(u)) return kScriptArabic;
  if (InRange(u, 0x0900, 0x097F)) return kScriptDevanagari;
  if (InRange(u, 0x3040, 0x30FF) || InRange(u, 0x31F0, 0x31FF)) return kScriptJapanese;
  if (InRange(u, 0x1100, 0x11FF) || InRange(u, 0x3130, 0x318F) || InRange(u, 0xAC00, 0xD7AF)) return kScriptKorean;
  if (InRange(u, 0x3400, 0x4DBF) || InRange(u, 0x4E00, 0x9FFF) || InRange(u, 0xF900, 0xFAFF)) {
    if (code == "ja") return kScriptJapanese;
    if (code == "ko") return kScriptKorean;
    return kScriptChinese;
  }
  return kScriptDefault;
}

int ScriptClassOf(uint16_t u) {
  // Only Han needs the language; skip the tag work for everything else.
  if (u < 0x3400 || u > 0xFAFF) return ScriptClassOfForLanguage(u, "");
  return ScriptClassOfForLanguage(u, LanguageCodeOf(gUiLanguage));
}

bool IsCombiningMark(uint16_t u) {
  return InRange(u, 0xDC00, 0xDFFF) || InRange(u, 0x200C, 0x200D) || InRange(u, 0xFE00, 0xFE0F) ||
         InRange(u, 0x0300, 0x036F) || InRange(u, 0x0483, 0x0489) || InRange(u, 0x0591, 0x05C7) ||
         InRange(u, 0x0610, 0x061A) || InRange(u, 0x064B, 0x065F) || u == 0x0670 ||
         InRange(u, 0x0900, 0x0903) || InRange(u, 0x093A, 0x094F) || InRange(u, 0x0951, 0x0957) ||
         InRange(u, 0x0962, 0x0963);
}

std::u16string AnsiToWide(const std::string& bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c));
  return out;
}

// Decodes strict UTF-8 into out; false on any malformed sequence.
static bool DecodeStrictUtf8(const std::string& s, std::u16string* out) {
  size_t i = 0, n = s.size();
  while (i < n) {
    unsigned char c = s[i];
    uint32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      cp = c & 0x1F;
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      cp = c & 0x0F;
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      cp = c & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= n && extra > 0) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        InRange(cp, 0xD800, 0xDFFF))
      return false;
    if (out) {
      if (cp >= 0x10000) {
        cp -= 0x10000;
        out->push_back(char16_t(0xD800 + (cp >> 10)));
        out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
      } else {
        out->push_back(char16_t(cp));
      }
    }
    i += extra + 1;
  }
  return true;
}

bool IsStrictUtf8(const std::string& bytes) { return DecodeStrictUtf8(bytes, nullptr); }

std::u16string Utf8ToWideText(const std::string& utf8) {
  if (utf8.empty()) return {};
  std::u16string out;
  out.reserve(utf8.size());
  if (DecodeStrictUtf8(utf8, &out)) return out;
  return AnsiToWide(utf8);
}

// The mirror image of a paired bracket or angle quote; any other unit as it is.
static char16_t MirroredBracket(char16_t u) {
  static const char16_t kPairs[][2] = {{u'(', u')'}, {u'[', u']'}, {u'{', u'}'}, {u'<', u'>'},
                                       {u'\u00AB', u'\u00BB'}, {u'\u2039', u'\u203A'}};
  for (const auto& pair : kPairs) {
    if (u == pair[0]) return pair[1];
    if (u == pair[1]) return pair[0];
  }
  return u;
}

std::u16string ShapeArabic(const std::u16string& w) {
  size_t n = w.size();
  bool any = false;
  for (char16_t u : w)
    if (IsArabicText(u)) {
      any = true;
      break;
    }
  if (!any) return w;

  std::vector<const ArabicFormRow*> entry(n, nullptr);
  std::vector<bool> transparent(n), dropped(n, false);
  std::u16string out = w;
  for (size_t i = 0; i < n; ++i) {
    transparent[i] = IsTransparentMark(w[i]);
    if (!transparent[i]) entry[i] = ArabicFormsOf(w[i]);
  }

  for (size_t i = 0; i < n; ++i) {
    const ArabicFormRow* e = entry[i];
    if (!e) continue;
    long prev = long(i) - 1;
    while (prev >= 0 && transparent[prev]) --prev;
    size_t next = i + 1;
    while (next < n && transparent[next]) ++next;
    bool hasNext = next < n;
    bool joinsPrev = (e->joining == 1 || e->joining == 2) && prev >= 0 && entry[prev] && entry[prev]->joining == 2;
    bool joinsNext = e->joining == 2 && hasNext && entry[next] && (entry[next]->joining == 1 || entry[next]->joining == 2);

    if (w[i] == kLam && hasNext) {
      char16_t lig = 0;
      switch (w[next]) {
        case 0x0622: lig = 0xFEF5; break;
        case 0x0623: lig = 0xFEF7; break;
        case 0x0625: lig = 0xFEF9; break;
        case 0x0627: lig = 0xFEFB; break;
        default: break;
      }
      if (lig) {
        out[i] = char16_t(lig + (joinsPrev ? 1 : 0));
        dropped[next] = true;
        continue;
      }
    }
    uint32_t form;
    if (joinsPrev && joinsNext)
      form = e->medial ? e->medial : e->finalForm ? e->finalForm : e->isolated;
    else if (joinsPrev)
      form = e->finalForm ? e->finalForm : e->isolated;
    else if (joinsNext)
      form = e->initial ? e->initial : e->isolated;
    else
      form = e->isolated;
    out[i] = char16_t(form);
  }

  std::u16string s;
  s.reserve(n);
  for (size_t i = 0; i < n; ++i)
    if (!dropped[i]) s.push_back(out[i]);

  size_t m = s.size();
  std::vector<BidiClass> cls(m);
  for (size_t i = 0; i < m; ++i) cls[i] = BidiClassOf(s[i]);
  // Neutrals between two runs of one direction take it; anything else reads right to left.
  for (size_t i = 0; i < m;) {
    if (cls[i] != kBidiN) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < m && cls[j] == kBidiN) ++j;
    BidiClass before = i == 0 ? kBidiR : cls[i - 1];
    BidiClass after = j == m ? kBidiR : cls[j];
    BidiClass take = (before == after) ? before : kBidiR;
    for (size_t k = i; k < j; ++k) cls[k] = take;
    i = j;
  }

  std::u16string rev(s.rbegin(), s.rend());
  std::vector<BidiClass> revCls(cls.rbegin(), cls.rend());
  // A bracket read right to left opens on its right: "(" keeps its meaning only drawn as ")".
  for (size_t i = 0; i < m; ++i)
    if (revCls[i] != kBidiL) rev[i] = MirroredBracket(rev[i]);
  for (size_t i = 0; i < m;) {
    if (revCls[i] != kBidiL) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < m && revCls[j] == kBidiL) ++j;
    std::reverse(rev.begin() + i, rev.begin() + j);
    i = j;
  }
  return rev;
}

std::u16string PrepareGlyphText(const std::string& utf8) {
  std::u16string w = ShapeArabic(Utf8ToWideText(utf8));
  if (w.find(kVowelSignI) == std::u16string::npos) return w;
  for (size_t i = 1; i < w.size(); ++i) {
    if (w[i] != kVowelSignI) continue;
    size_t start = i;
    for (;;) {
      size_t k = start - 1;
      if (w[k] == kNukta && start != 1) k -= 1;
      if (!IsDevanagariConsonant(w[k])) break;
      start = k;
      if (k == 0 || w[k - 1] != kVirama) break;
      start = k - 1;
      if (start == 0) break;
    }
    if (start != i) {
      w.erase(i, 1);
      w.insert(w.begin() + start, kVowelSignI);
    }
  }
  return w;
}
