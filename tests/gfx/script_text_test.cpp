// Script classes, UTF-8 reading with its code-page fallback, Arabic shaping and visual order,
// and the Devanagari vowel sign I moved before its cluster.
#include <gtest/gtest.h>

#include <mutex>

#include "gfx/script_text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"

namespace {

void SetUiTag(const std::string& tag) {
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = tag;
}

TEST(ScriptClassOf, ClassesByRangeAndHanByLanguage) {
  const struct { uint16_t unit; const char* language; int expected; } cases[] = {
      {'A', "en-US", kScriptDefault},      {0x052F, "en-US", kScriptDefault},   // below U+0530
      {0x0416, "ru-RU", kScriptDefault},   {0x05D0, "en-US", kScriptDefault},   // Cyrillic, Hebrew
      {0x0627, "en-US", kScriptArabic},    {0xFB50, "en-US", kScriptArabic},
      {0xFEFF, "en-US", kScriptArabic},
      {0x0900, "en-US", kScriptDevanagari}, {0x097F, "en-US", kScriptDevanagari},
      {0x0980, "en-US", kScriptDefault},   {0x0E01, "th-TH", kScriptDefault},   // Bengali, Thai
      {0x3042, "zh-CN", kScriptJapanese},  {0x31F0, "en-US", kScriptJapanese},
      {0x1100, "en-US", kScriptKorean},    {0xD7AF, "ja-JP", kScriptKorean},
      {0x4E2D, "ja-JP", kScriptJapanese},
      {0x4E2D, "ko-KR", kScriptKorean},    {0x4E2D, "zh-CN", kScriptChinese},
      {0x4E2D, "en-US", kScriptChinese},   {0x3400, "ja_JP", kScriptJapanese},
      {0xF900, "de-DE", kScriptChinese},   {0x9FFF, "ko", kScriptKorean},
  };
  for (const auto& c : cases) {
    SetUiTag(c.language);
    EXPECT_EQ(ScriptClassOf(c.unit), c.expected) << std::hex << c.unit << " in " << c.language;
  }
}

TEST(IsCombiningMark, MarksAndNonMarks) {
  for (uint16_t u : std::initializer_list<uint16_t>{0x0301, 0x0483, 0x05B0, 0x0610, 0x064E, 0x0670, 0x0901, 0x093C, 0x094D, 0x0962,
                     0x200D, 0xFE0F, 0xDC00})
    EXPECT_TRUE(IsCombiningMark(u)) << std::hex << u;
  for (uint16_t u : std::initializer_list<uint16_t>{'a', 0x0627, 0x0915, 0x0950, 0x0958, 0xD800, 0x05D0})
    EXPECT_FALSE(IsCombiningMark(u)) << std::hex << u;
}

TEST(Utf8ToWideText, StrictUtf8ElseCodePage) {
  const struct { const char* name; std::string bytes; std::u16string expected; } cases[] = {
      {"empty", "", u""},
      {"two and three bytes", "\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},
      {"outside the basic plane", "\xF0\x9D\x84\x9E", u"\U0001D11E"},
      {"latin-1 bytes are read in the code page", "\xE9t\xE9", u"\u00E9t\u00E9"},
      {"cp1252 high bytes", "\x80\x99", u"\u20AC\u2122"},
      {"overlong form refused", "\xC0\xAF", u"\u00C0\u00AF"},
      {"encoded surrogate refused", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},
      {"truncated sequence refused", "a\xE2\x82", u"a\u00E2\u201A"},
      {"past U+10FFFF refused", "\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToWideText(c.bytes), c.expected) << c.name;
}

TEST(ShapeArabic, FormsLigaturesAndVisualOrder) {
  // Expected texts in visual (left-to-right drawing) order.
  const struct { const char* name; std::u16string input, expected; } cases[] = {
      {"no Arabic: unchanged, mixed scripts too", u"Hi \u041F\u0440 \u65E5", u"Hi \u041F\u0440 \u65E5"},
      {"lam alef alone", u"\u0644\u0627", u"\uFEFB"},
      {"lam alef after a dual-joining letter", u"\u0628\u0644\u0627", u"\uFEFC\uFE91"},
      {"lam with madda alef after beh", u"\u0628\u0644\u0622", u"\uFEF6\uFE91"},
      {"teh marbuta after beh", u"\u0628\u0629", u"\uFE94\uFE91"},
      {"medial between two", u"\u0628\u0628\u0628", u"\uFE90\uFE92\uFE91"},
      {"right-joining letter breaks the word", u"\u0628\u0627\u0628", u"\uFE8F\uFE8E\uFE91"},
      {"marks are skipped for joining", u"\u0628\u064E\u0628\u0650\u0628",
       u"\uFE90\u0650\uFE92\u064E\uFE91"},
      {"hamza never joins", u"\u0628\u0621\u0628", u"\uFE8F\uFE80\uFE8F"},
      {"letter without a row joins nothing", u"\u0628\u067E", u"\u067E\uFE8F"},
      {"digits keep their order", u"\u0631\u0642\u0645 120", u"120 \uFEE2\uFED7\uFEAD"},
      {"latin word keeps its order, blank between becomes R", u"\u0628 abc", u"abc \uFE8F"},
      {"latin words around a neutral keep L", u"\u0628 ab cd", u"ab cd \uFE8F"},
      {"trailing punctuation goes to the left", u"\u0628!", u"!\uFE8F"},
      // Read right to left, an opening bracket stands on the word's right and faces it.
      {"brackets around Arabic face the word", u"\u0628 (\u0628)", u"(\uFE8F) \uFE8F"},
      {"a latin word in brackets keeps them as drawn", u"\u0628 (ab)", u"(ab) \uFE8F"},
      {"square brackets and angle quotes too", u"\u0628[\u00AB\u0628\u00BB]", u"[\u00AB\uFE8F\u00BB]\uFE8F"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShapeArabic(c.input), c.expected) << c.name;
}

TEST(PrepareGlyphText, DevanagariVowelSignIMovesBeforeCluster) {
  const struct { const char* name; std::string utf8; std::u16string expected; } cases[] = {
      {"after one consonant", "\u0915\u093F", u"\u093F\u0915"},
      {"three-consonant conjunct", "\u0938\u094D\u0924\u094D\u0930\u093F",
       u"\u093F\u0938\u094D\u0924\u094D\u0930"},
      {"after a nukta", "\u0915\u093C\u093F", u"\u093F\u0915\u093C"},
      {"inside a word", "\u0939\u093F\u0928\u094D\u0926\u0940", u"\u093F\u0939\u0928\u094D\u0926\u0940"},
      {"after a vowel letter stays", "\u0905\u093F", u"\u0905\u093F"},
      {"at the start stays", "\u093F\u0915", u"\u093F\u0915"},
      {"two signs in one text", "\u0915\u093F\u0916\u093F", u"\u093F\u0915\u093F\u0916"},
      {"Arabic is shaped on the way", "\u0644\u0627", u"\uFEFB"},
  };
  for (const auto& c : cases) EXPECT_EQ(PrepareGlyphText(c.utf8), c.expected) << c.name;
}

}  // namespace
