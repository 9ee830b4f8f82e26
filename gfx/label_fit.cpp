// gfx/label_fit: shrink, then wrap, then cut; a name in one line abbreviates before it cuts.
#include "gfx/label_fit.h"

#include <algorithm>
#include <vector>

#include "gfx/translate.h"

// ---- internal helpers ----
namespace {

float Width(UiFont font, const std::string& translated, float size) {
  ScopedTrSuppress untranslated;
  return MeasureText(font, translated, size);
}

// Where a text without blanks may break: before a character of the CJK blocks (a three-byte UTF-8
// sequence from U+3000 on), unless that character is a closing mark that may not start a line.
bool IsCjkBreakBefore(const std::string& t, size_t at) {
  if (at == 0 || at >= t.size()) return false;
  const unsigned char lead = (unsigned char)t[at];
  if (lead < 0xE3 || lead > 0xED || at + 2 >= t.size()) return false;
  return !StartsWithNoLineStartMark(t, at);
}

// An opening bracket ends the text before byte `at`: the bracket stays with what it opens.
bool EndsWithOpeningMark(const std::string& t, size_t at) {
  static const char* const kOpening[] = {"\uff08", "\u300c", "\u300e", "\u3010", "\u3008", "\u300a", "("};
  for (const char* mark : kOpening) {
    const size_t n = std::char_traits<char>::length(mark);
    if (at >= n && t.compare(at - n, n, mark) == 0) return true;
  }
  return false;
}

// Where BreakInTwoLines may break in one of its passes: the end of line 1 and the start of line 2.
bool BreakAt(const std::string& t, size_t at, bool eastAsian, size_t* end, size_t* start) {
  if (at == 0 || at >= t.size()) return false;
  if (!eastAsian) {
    if (t[at] == ' ') return *end = at, *start = at + 1, true;
    if (t[at - 1] == '-' && t[at] != ' ') return *end = *start = at, true;
    // The Japanese middle dot between the words of a name stays at the end of line 1.
    if (at >= 3 && t.compare(at - 3, 3, "\u30fb") == 0) return *end = *start = at, true;
    return false;
  }
  if (!IsCjkBreakBefore(t, at) || EndsWithOpeningMark(t, at)) return false;
  return *end = *start = at, true;
}

std::string TrimBlanks(const std::string& t) {
  const size_t first = t.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

// A word of a name as FitWordsToWidth shortens it.
struct NameWord {
  std::string text, shown;   // the word, and as far as it is shortened
  char separator = 0;        // the blank or hyphen after it; 0 after the last word
  std::vector<size_t> cuts;  // the byte lengths it may be abbreviated to, longest first
  size_t taken = 0;          // how many of the cuts it went through
};

// An abbreviation ends on a consonant before a vowel, two letters in at least, as a reader expects
// it to ("Гарм.", "Harmon."), never on a vowel or between two consonants of one sound.
std::vector<size_t> AbbreviationCuts(const std::string& word) {
  std::vector<size_t> cuts;
  uint32_t before = 0;
  for (size_t i = 0, letters = 0, next = 0; i < word.size(); i = next, ++letters) {
    const uint32_t letter = TwoByteLetterAt(word, i, &next);
    if (letters >= 2 && SyllableLetterKind(before) == kLetterConsonant && SyllableLetterKind(letter) == kLetterVowel)
      cuts.push_back(i);
    before = letter;
  }
  std::reverse(cuts.begin(), cuts.end());
  return cuts;
}

std::vector<NameWord> SplitName(const std::string& name) {
  std::vector<NameWord> words(1);
  for (char c : name) {
    if (c == ' ' || c == '-') {
      words.back().separator = c;
      words.emplace_back();
    } else {
      words.back().text += c;
    }
  }
  for (NameWord& w : words) {
    w.shown = w.text;
    w.cuts = AbbreviationCuts(w.text);
  }
  return words;
}

std::string JoinName(const std::vector<NameWord>& words) {
  std::string name;
  for (const NameWord& w : words) {
    name += w.shown;
    if (w.separator) name += w.separator;
  }
  return name;
}

}  // namespace

// ---- public functions ----
bool StartsWithNoLineStartMark(const std::string& text, size_t at) {
  // A line that began with a small kana ("ィアン") would split one sound in two.
  static const char* const kNoLineStart[] = {
      "\u3002", "\u3001", "\uff09", "\u300d", "\u300f", "\uff01", "\uff1f", "\uff0c", "\uff1a", "\u30fc", "\u30fb",
      "\u3041", "\u3043", "\u3045", "\u3047", "\u3049", "\u3063", "\u3083", "\u3085", "\u3087", "\u308e",
      "\u30a1", "\u30a3", "\u30a5", "\u30a7", "\u30a9", "\u30c3", "\u30e3", "\u30e5", "\u30e7", "\u30ee",
      "\u30f5", "\u30f6", ")", ".", ",", "!", "?", ":", "%"};
  if (at >= text.size()) return false;
  for (const char* mark : kNoLineStart)
    if (text.compare(at, std::char_traits<char>::length(mark), mark) == 0) return true;
  return false;
}

float LabelMargin(float uiScale) { return std::max(6.0f * uiScale, 4.0f); }

LabelFit FitLabel(UiFont font, const std::string& text, float size, float room, float roomHeight) {
  LabelFit fit;
  std::string t = Tr(text);
  float w = Width(font, t, size);
  fit.lines = {t};
  if (w <= room || room <= 0.0f) {
    fit.widest = w;
    return fit;
  }
  if (room / w >= kMinLabelScale) {
    fit.scale = room / w;
    fit.widest = room;
    return fit;
  }
  // Two lines, split at the blank that balances them best, when both fit the height.
  float lineHeight = 1.15f * size;
  float best = 0.0f;
  size_t bestAt = std::string::npos;
  for (size_t at = t.find(' '); at != std::string::npos; at = t.find(' ', at + 1)) {
    float widest = std::max(Width(font, t.substr(0, at), size), Width(font, t.substr(at + 1), size));
    float scale = std::min({1.0f, room / std::max(widest, 1.0f), roomHeight / (2.0f * lineHeight)});
    if (scale > best) best = scale, bestAt = at;
  }
  // Japanese and Chinese write no blanks: a sentence breaks between two of their characters.
  bool blankBreak = bestAt != std::string::npos;
  if (!blankBreak)
    for (size_t at = 1; at < t.size(); ++at) {
      if (!IsCjkBreakBefore(t, at)) continue;
      float widest = std::max(Width(font, t.substr(0, at), size), Width(font, t.substr(at), size));
      float scale = std::min({1.0f, room / std::max(widest, 1.0f), roomHeight / (2.0f * lineHeight)});
      if (scale > best) best = scale, bestAt = at;
    }
  if (bestAt != std::string::npos && best >= kMinLabelScale) {
    fit.scale = best;
    fit.lines = {t.substr(0, bestAt), t.substr(bestAt + (blankBreak ? 1 : 0))};
    fit.widest = best * std::max(Width(font, fit.lines[0], size), Width(font, fit.lines[1], size));
    return fit;
  }
  fit.scale = kMinLabelScale;
  {
    ScopedTrSuppress untranslated;  // already translated: cut it as it is shown
    fit.lines = {FitTextToWidth(font, t, size, room / kMinLabelScale)};
  }
  fit.widest = kMinLabelScale * Width(font, fit.lines[0], size);
  return fit;
}

int SyllableLetterKind(uint32_t c) {
  static const char16_t kVowels[] = u"aeiouyAEIOUYàáâãäåæèéêëìíîïòóôõöøùúûüýÀÁÂÃÄÅÆÈÉÊËÌÍÎÏÒÓÔÕÖØÙÚÛÜÝ"
                                    u"аеёиоуыэюяАЕЁИОУЫЭЮЯіїєІЇЄαεηιουωάέήίόύώ";
  static const char16_t kSigns[] = u"йьъЙЬЪ";
  if (c == 0) return kLetterOther;
  for (const char16_t* v = kVowels; *v; ++v)
    if (*v == c) return kLetterVowel;
  for (const char16_t* v = kSigns; *v; ++v)
    if (*v == c) return kLetterOther;
  const bool latin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0x24F);
  const bool other = c >= 0x370 && c <= 0x4FF;   // Greek and Cyrillic
  return latin || other ? kLetterConsonant : kLetterOther;
}

uint32_t TwoByteLetterAt(const std::string& t, size_t i, size_t* next) {
  const unsigned char a = (unsigned char)t[i];
  if (a < 0x80 || i + 1 >= t.size() || (a & 0xE0) != 0xC0) {
    *next = i + 1;
    return a < 0x80 ? a : 0;
  }
  *next = i + 2;
  return ((uint32_t)(a & 0x1F) << 6) | ((unsigned char)t[i + 1] & 0x3F);
}

size_t SyllableBreakBefore(const std::string& t, size_t limit) {
  size_t best = 0, i = 0, letters = 0;
  uint32_t before = 0;
  while (i < limit) {
    size_t next = 0;
    const uint32_t c = TwoByteLetterAt(t, i, &next);
    if (letters >= 2 && SyllableLetterKind(before) == kLetterVowel && SyllableLetterKind(c) == kLetterConsonant &&
        next < t.size()) {
      size_t after = 0;
      const uint32_t v = TwoByteLetterAt(t, next, &after);
      if (SyllableLetterKind(v) == kLetterVowel && after < t.size()) best = i;
    }
    before = c;
    ++letters;
    i = next;
  }
  return best;
}

std::string FitWordsToWidth(const std::string& shown, float maxWidth, const ShownTextWidth& width) {
  if (shown.empty() || maxWidth <= 0.0f) return "";
  if (width(shown) <= maxWidth) return shown;
  // The last word stays whole and the others keep their beginnings, so names that differ in any
  // word still differ: a cut end loses just the word ("... Minor", "... Major") that tells them apart.
  std::vector<NameWord> words = SplitName(shown);
  std::string fitted = shown;
  while (true) {
    NameWord* widest = nullptr;
    float widestWidth = -1.0f;
    for (size_t k = 0; k + 1 < words.size(); ++k) {
      if (words[k].taken >= words[k].cuts.size()) continue;
      const float w = width(words[k].shown);
      if (w > widestWidth) widest = &words[k], widestWidth = w;
    }
    if (!widest) break;
    widest->shown = widest->text.substr(0, widest->cuts[widest->taken++]) + ".";
    fitted = JoinName(words);
    if (width(fitted) <= maxWidth) return fitted;
  }
  return CutShownText(fitted, maxWidth, width);
}

std::string FitWordsToWidth(UiFont font, const std::string& shown, float size, float maxWidth) {
  ScopedTrSuppress asShown;
  return FitWordsToWidth(shown, maxWidth, [&](const std::string& t) { return MeasureText(font, t, size); });
}

bool BreakInTwoLines(const std::string& shown, float maxWidth, const ShownTextWidth& width, std::string* line1,
                     std::string* line2) {
  // Blanks and hyphens first: a word of Japanese, Chinese or Korean is broken only where they do not
  // give two lines that fit ("G ミクソ" over "リディアン", not the note alone over a name too wide).
  for (bool eastAsian : {false, true}) {
    // From the end: the first break whose line 1 fits leaves line 2 as short as this pass can.
    for (size_t at = shown.size(); at-- > 1;) {
      size_t end = 0, start = 0;
      if (!BreakAt(shown, at, eastAsian, &end, &start)) continue;
      const std::string a = TrimBlanks(shown.substr(0, end)), b = TrimBlanks(shown.substr(start));
      if (a.empty() || b.empty() || width(a) > maxWidth) continue;
      if (width(b) > maxWidth) break;
      *line1 = a;
      *line2 = b;
      return true;
    }
  }
  return false;
}

bool HyphenateInTwoLines(const std::string& shown, float maxWidth, const ShownTextWidth& width, std::string* line1,
                         std::string* line2) {
  for (size_t at = SyllableBreakBefore(shown, shown.size()); at > 0; at = SyllableBreakBefore(shown, at - 1)) {
    const std::string a = shown.substr(0, at) + "-";
    if (width(a) > maxWidth) continue;
    if (width(shown.substr(at)) > maxWidth) return false;
    *line1 = a;
    *line2 = shown.substr(at);
    return true;
  }
  return false;
}

bool BreakInTwoLines(UiFont font, const std::string& shown, float size, float maxWidth, std::string* line1,
                     std::string* line2) {
  ScopedTrSuppress asShown;
  return BreakInTwoLines(shown, maxWidth, [&](const std::string& t) { return MeasureText(font, t, size); }, line1,
                         line2);
}

bool HyphenateInTwoLines(UiFont font, const std::string& shown, float size, float maxWidth, std::string* line1,
                         std::string* line2) {
  ScopedTrSuppress asShown;
  return HyphenateInTwoLines(shown, maxWidth, [&](const std::string& t) { return MeasureText(font, t, size); },
                             line1, line2);
}
