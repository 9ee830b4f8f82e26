// A name fitted to a one-line row: names of one family that share their long first word must still
// read apart, so the earlier words are abbreviated before the end is cut. Measured here with a
// fixed width per character, so no font is needed.
#include <gtest/gtest.h>

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

}  // namespace
