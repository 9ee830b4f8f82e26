// gfx/label_fit: how a label is fitted into its box in any language: at its size when it fits with
// a margin on both sides, else a little smaller, else on two lines where the box is tall enough,
// and only then cut with "...". A name in a one-line row is shortened word by word before its end
// is cut; a name with room for two lines is broken where a reader expects. Works on the translated
// text; needs the fonts (a GL context) to measure, but draws nothing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/text.h"

// The smallest scale a label is shrunk to before it wraps or is cut: smaller stops being legible.
inline constexpr float kMinLabelScale = 0.78f;

struct LabelFit {
  float scale = 1.0f;              // of the font's size
  std::vector<std::string> lines;  // translated: draw with translation suppressed
  float widest = 0.0f;             // widest line at that scale, in pixels
};

// A mark that may not begin a line of East-Asian text starts at byte `at` of text: a closing
// mark, the prolonged-sound mark, a small kana, or a closing ASCII sign.
bool StartsWithNoLineStartMark(const std::string& text, size_t at);
// The margin left on each side of a label in a box of that width (UI-scaled).
float LabelMargin(float uiScale);
// Fits the (English) label into room x roomHeight pixels for a font of that size.
LabelFit FitLabel(UiFont font, const std::string& text, float size, float room, float roomHeight);

// ---- names in one line ----
// What a letter of the scripts that hyphenate and abbreviate (Latin, Greek, Cyrillic) is to a
// syllable; the short i and the hard and soft signs, which stay with the letter before them, and
// every other character are kLetterOther.
inline constexpr int kLetterOther = 0;
inline constexpr int kLetterVowel = 1;
inline constexpr int kLetterConsonant = 2;
int SyllableLetterKind(uint32_t letter);
// The letter at byte i of a UTF-8 text and, in *next, where the one after it starts; two-byte
// letters and ASCII only, 0 for a longer sequence.
uint32_t TwoByteLetterAt(const std::string& text, size_t i, size_t* next);
// The last place at or before byte `limit` where a word of a hyphenating script breaks between
// syllables: after a vowel, before a consonant and the vowel it opens ("Миксоли-дийский", not
// "Миксолид-ийский"), with two letters at least on either side. 0 for none.
size_t SyllableBreakBefore(const std::string& text, size_t limit);
// A name as it is shown, fitted to maxWidth on one line so that names differing in any word stay
// apart: whole when it fits; else the words before the last (split at blanks and hyphens) are
// abbreviated to their beginning and a period, "Гарм. минор", cut after a consonant that a vowel
// follows, the widest word first and each no further than it must; only when even that is too wide
// is the end cut with "...". Words of other scripts are not abbreviated.
std::string FitWordsToWidth(const std::string& shown, float maxWidth, const ShownTextWidth& width);
// The same measured in that font at that size (the text is already translated).
std::string FitWordsToWidth(UiFont font, const std::string& shown, float size, float maxWidth);

// ---- names in two lines ----
// A text as it is shown broken into two lines no wider than maxWidth, the first as long as it can
// be: at a blank, after a hyphen or a Japanese middle dot, or, where none serves, between two
// East-Asian characters (not before a mark that may not begin a line, nor after an opening
// bracket). False, the lines untouched, when no break gives two such lines.
bool BreakInTwoLines(const std::string& shown, float maxWidth, const ShownTextWidth& width, std::string* line1,
                     std::string* line2);
// A text whose words are too long for that broken inside a word of a script that hyphenates, the
// first line as long as it can be and ending in a hyphen ("G Миксоли-" over "дийский"); false, the
// lines untouched, when no break gives two lines no wider than maxWidth.
bool HyphenateInTwoLines(const std::string& shown, float maxWidth, const ShownTextWidth& width, std::string* line1,
                         std::string* line2);
// The same two measured in that font at that size (the text is already translated).
bool BreakInTwoLines(UiFont font, const std::string& shown, float size, float maxWidth, std::string* line1,
                     std::string* line2);
bool HyphenateInTwoLines(UiFont font, const std::string& shown, float size, float maxWidth, std::string* line1,
                         std::string* line2);
