// A name fitted to a one-line row: names of one family that share their long first word must still
// read apart, so the earlier words are abbreviated before the end is cut. A name given two lines
// breaks where a reader of its script expects. Measured here with a fixed width per character, so
// no font is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gfx/label_fit.h"

namespace {

// 11 pixels a letter, 4 a blank, 3 a period: about the small font's widths for Cyrillic.
float FixedWidth(const std::string& text) {
  float width = 0.0f;
  for (char c : text) {
    if (((unsigned char)c & 0xC0) == 0x80) continue;
    width += c == ' ' ? 4.0f : c == '.' ? 3.0f : 11.0f;
  }
  return width;
}

TEST(FitWordsToWidth, EarlierWordsAreAbbreviatedBeforeTheEndIsCut) {
  const struct {
    const char* name;
    float room;
    const char* shown;
  } rows[] = {
      // The pair that read alike when cut at the end: the word that tells them apart stays.
      {"Гармонический минор", 160, "Гармонич. минор"},
      {"Гармонический мажор", 160, "Гармонич. мажор"},
      // Narrower: abbreviated further, always after a consonant that a vowel follows.
      {"Гармонический минор", 130, "Гармон. минор"},
      {"Гармонический минор", 110, "Гарм. минор"},
      // Too narrow even then: the abbreviated name is cut at its end, and still differs.
      {"Гармонический минор", 90, "Гарм. ми..."},
      {"Гармонический мажор", 90, "Гарм. ма..."},
      // Every word before the last, at a hyphen too, the widest first.
      {"Испанско-цыганская гамма", 160, "Исп.-цыг. гамма"},
      {"Испанско-цыганская гамма", 235, "Испанск.-цыганск. гамма"},
      // A name that fits stays whole; an English one is not touched.
      {"Гармонический минор", 210, "Гармонический минор"},
      {"Harmonic Minor", 160, "Harmonic Minor"},
      // One word has nothing before it to shorten: it is cut at its end.
      {"Миксолидийский", 100, "Миксолид..."},
      // Words of a script without such abbreviations are only cut at the end.
      {"\u30a8\u30cb\u30b0\u30de \u30e1\u30b8\u30e3\u30fc", 55, "\u30a8\u30cb\u30b0\u30de..."},
      {"", 100, ""},
      {"Ионийский", 0, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.name << " in " << row.room);
    const std::string shown = FitWordsToWidth(row.name, row.room, FixedWidth);
    EXPECT_EQ(shown, row.shown);
    EXPECT_LE(FixedWidth(shown), row.room);
  }
}

// Two lines, the first as long as the room allows: between words first, inside a Japanese or
// Chinese word only where no word break fits, between syllables with a hyphen only when asked.
TEST(BreakInTwoLines, BreaksWhereTheScriptAllows) {
  const struct {
    const char* text;
    float room;
    bool syllables;
    const char *line1, *line2;   // null: no two lines fit
  } rows[] = {
      {"C Harmonic Minor", 120, false, "C Harmonic", "Minor"},
      {"A Dur-Pentatonik", 120, false, "A Dur-", "Pentatonik"},
      // The note alone above a name too wide is no break; the name's syllables are.
      {"G Миксолидийский", 100, false, nullptr, nullptr},
      {"G Миксолидийский", 110, true, "G Миксоли-", "дийский"},
      {"G Миксолидийский", 100, true, "G Миксо-", "лидийский"},
      {"Dziewięciodźwiękowa", 100, true, nullptr, nullptr},
      // Not before a small kana ("ィアン"), and after the middle dot between the words of a name.
      {"G \u30df\u30af\u30bd\u30ea\u30c7\u30a3\u30a2\u30f3", 80, false,
       "G \u30df\u30af\u30bd\u30ea", "\u30c7\u30a3\u30a2\u30f3"},
      {"A \u30ea\u30c7\u30a3\u30a2\u30f3\u30fb\u30c9\u30df\u30ca\u30f3\u30c8", 90, false,
       "A \u30ea\u30c7\u30a3\u30a2\u30f3\u30fb", "\u30c9\u30df\u30ca\u30f3\u30c8"},
      // An opening bracket stays with what it opens.
      {"C \u5370\u5ea6\u97f3\u9636\uff08\u4e0a\u884c\uff09", 70, false, "C \u5370\u5ea6\u97f3",
       "\u9636\uff08\u4e0a\u884c\uff09"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.text << " in " << row.room);
    std::string line1 = "kept", line2 = "kept";
    const bool broken = row.syllables ? HyphenateInTwoLines(row.text, row.room, FixedWidth, &line1, &line2)
                                      : BreakInTwoLines(row.text, row.room, FixedWidth, &line1, &line2);
    ASSERT_EQ(broken, row.line1 != nullptr);
    EXPECT_EQ(line1, row.line1 ? row.line1 : "kept");
    EXPECT_EQ(line2, row.line2 ? row.line2 : "kept");
    if (broken) EXPECT_LE(std::max(FixedWidth(line1), FixedWidth(line2)), row.room);
  }
}

}  // namespace
