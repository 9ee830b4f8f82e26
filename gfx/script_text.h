// gfx/script_text: turns UTF-8 text into the UTF-16 units that, drawn left to right one after the
// other, show every script of the program acceptably without a shaping engine: Arabic contextual
// forms and Lam-Alef ligatures in visual order, and the Devanagari vowel sign I before its cluster.
// Also the script class of a unit (which font draws it) and the combining-mark test.
#pragma once
#include <cstdint>
#include <string>

// Script classes: which face a unit is drawn with.
enum : int {
  kScriptDefault = 0,
  kScriptJapanese = 1,
  kScriptKorean = 2,
  kScriptChinese = 3,
  kScriptArabic = 4,
  kScriptDevanagari = 5,
  kScriptClassCount = 6,
};

// The script class of one UTF-16 unit; Han characters follow the UI language (ja, ko, else Chinese).
int ScriptClassOf(uint16_t unit);
// The same with the language code given, for callers that already hold it.
int ScriptClassOfForLanguage(uint16_t unit, const std::string& languageCode);
// Marks drawn over the unit before them (and low surrogates), so a vertical row keeps them.
bool IsCombiningMark(uint16_t unit);

// Bytes read in the Windows-1252 code page, the fallback for text that is not UTF-8; "" for "".
std::u16string AnsiToWide(const std::string& bytes);
// Strict UTF-8 to UTF-16; text that is not valid UTF-8 is read with AnsiToWide instead.
std::u16string Utf8ToWideText(const std::string& utf8);
// True when the bytes are valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsStrictUtf8(const std::string& bytes);
// Arabic presentation forms and right-to-left visual order; text without Arabic comes back unchanged.
std::u16string ShapeArabic(const std::u16string& text);
// Utf8ToWideText, ShapeArabic, then the vowel sign I moved before its consonant cluster.
std::u16string PrepareGlyphText(const std::string& utf8);
