// Fitting the learning screens' texts: byte cuts, width cuts, two-line titles and figure lines, in
// English, under a German translation file, and with Japanese titles.
#include <mutex>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning_ui/card_text.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

const float kSize = 9.0f;

float Shown(const std::string& text) {
  ScopedTrSuppress suppress;
  return MeasureText(0, text, kSize);
}

bool EndsWithDots(const std::string& s) { return s.size() >= 3 && s.compare(s.size() - 3, 3, "...") == 0; }
std::string WithoutDots(const std::string& s) { return EndsWithDots(s) ? s.substr(0, s.size() - 3) : s; }

class CardTextTest : public LearningUiTest {
 protected:
  void TearDown() override { UseLanguage("en-US"); }
  static void UseLanguage(const std::string& tag) {
    {
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = tag;
    }
    ResetTranslationFileForTesting();
  }
};

TEST_F(CardTextTest, ByteCutsNeverSplitACharacter) {
  const std::string ja = "\xE9\x9F\xB3\xE9\x9A\x8E\xE7\xB7\xB4\xE7\xBF\x92";   // four 3-byte characters
  struct Case {
    std::string text;
    size_t max;
    std::string expected;
  };
  const Case cases[] = {
      {"abcdefghij", 8, "abcde..."}, {"abcdefghij", 10, "abcdefghij"}, {"abcdefghij", 3, "abc"},
      {"abcdefghij", 0, ""},         {ja, 8, ja.substr(0, 3) + "..."},  {ja, 2, ""},
      {ja, 10, ja.substr(0, 6) + "..."}, {"ab" + ja, 4, "a..."},
  };
  for (const Case& c : cases) {
    std::string cut = ClipUtf8Bytes(c.text, c.max);
    EXPECT_EQ(cut, c.expected) << c.text << " to " << c.max;
    EXPECT_LE(cut.size(), std::max(c.max, size_t(0)));
  }
}

TEST_F(CardTextTest, FittedTextsFitInEveryLanguage) {
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 "{\n\"Key Patterns\": \"Tonleitermuster in allen Tonarten\",\n"
                 "\"Scales and Arpeggios for Both Hands\": \"Tonleitern und Arpeggien fuer beide Haende\"\n}\n");
  const std::vector<std::string> texts = {
      "Key Patterns", "Scales and Arpeggios for Both Hands", "Supercalifragilisticexpialidocious", "a",
      "\xE3\x81\x8D\xE3\x82\x89\xE3\x81\x8D\xE3\x82\x89\xE6\x98\x9F\xE3\x80\x82\xE5\xA4\x9C\xE7\xA9\xBA\xE3\x81\xAE"
      "\xE6\xAD\x8C\xEF\xBC\x81\xE6\x9C\x88\xE3\x81\xA8\xE9\xA2\xA8\xE3\x80\x81\xE6\xB5\xB7\xE3\x81\xB8"};
  for (const char* tag : {"en-US", "de-DE"}) {
    UseLanguage(tag);
    for (const std::string& text : texts) {
      const std::string shown = Tr(text);
      for (float width = 20.0f; width <= 400.0f; width += 7.0f) {
        SCOPED_TRACE(std::string(tag) + " '" + text + "' in " + std::to_string(width));
        std::string fitted = ElideTextToWidth(0, text, width, kSize);
        // The translation is cut, not the English; at least one character stays.
        EXPECT_EQ(shown.compare(0, WithoutDots(fitted).size(), WithoutDots(fitted)), 0);
        EXPECT_FALSE(WithoutDots(fitted).empty());
        size_t first = 1;
        while (first < shown.size() && (shown[first] & 0xC0) == 0x80) ++first;
        if (fitted != shown.substr(0, first) + "...") EXPECT_LE(Shown(fitted), width);

        std::string line1, line2;
        SplitTwoLines(0, text, width, kSize, &line1, &line2);
        EXPECT_LE(Shown(line1), std::max(width, Shown(WithoutDots(line1).substr(0, 1) + "...")));
        if (!line2.empty()) {
          EXPECT_LE(Shown(line2), std::max(width, Shown(line2.substr(0, 3) + "...")));
          EXPECT_EQ(shown.compare(0, line1.size(), line1), 0);
          for (const char* mark : {"\xE3\x80\x82", "\xE3\x80\x81", "\xEF\xBC\x81", ",", "."})
            EXPECT_NE(line2.rfind(mark, 0), 0u) << "second line starts with a closing mark";
        }
      }
    }
  }
}

TEST_F(CardTextTest, TitlesWrapAtBlanksOrElide) {
  std::string line1, line2;
  const float width = Shown("Alpha Beta") + 1.0f;
  SplitTwoLines(0, "Alpha Beta Gamma", width, kSize, &line1, &line2);
  EXPECT_EQ(line1, "Alpha Beta");
  EXPECT_EQ(line2, "Gamma");
  SplitTwoLines(0, "Alpha Beta Gamma Delta Epsilon", width, kSize, &line1, &line2);
  EXPECT_EQ(line1, "Alpha Beta");
  EXPECT_EQ(line2.rfind("Gamma", 0), 0u);
  EXPECT_TRUE(EndsWithDots(line2));
  SplitTwoLines(0, "Alpha Beta", width, kSize, &line1, &line2);
  EXPECT_EQ(line1, "Alpha Beta");
  EXPECT_EQ(line2, "");
  // No blank fits: one elided line.
  SplitTwoLines(0, "Quintessentially Alpha", Shown("Quint") + 0.5f, kSize, &line1, &line2);
  EXPECT_TRUE(EndsWithDots(line1));
  EXPECT_EQ(line2, "");
  // East-Asian text breaks between characters but never before a full stop.
  const std::string ja = "\xE6\x98\x9F\xE5\xA4\x9C\xE3\x80\x82\xE6\xB5\xB7\xE9\xA2\xA8";   // 星夜。海風
  SplitTwoLines(0, ja, Shown(ja.substr(0, 6)) + 0.5f, kSize, &line1, &line2);
  EXPECT_EQ(line1, ja.substr(0, 3));
  EXPECT_EQ(line2.substr(0, 3), ja.substr(3, 3));
  // Nor before a small kana: "ミクソリデ / ィアン" would split one sound.
  const std::string mode = "\u30df\u30af\u30bd\u30ea\u30c7\u30a3\u30a2\u30f3";   // ミクソリディアン
  SplitTwoLines(0, mode, Shown(mode.substr(0, 15)) + 0.5f, kSize, &line1, &line2);
  EXPECT_EQ(line1, mode.substr(0, 12));
  EXPECT_EQ(line2, mode.substr(12));
}

// A line of figures breaks at its widest gap that lets the first line fit, never inside a part,
// and a dash between parts does not start or end a line.
TEST_F(CardTextTest, FigureLinesBreakBetweenTheirParts) {
  struct Case {
    const char* text;
    const char* fitting;   // the room is this text's width
    const char* line1;
    const char* line2;
  };
  const Case cases[] = {
      {"Mastery 40%   -   1/2 days + today   -   80 / 96 bpm (yours / target)", "Mastery 40%   -   1/2 days + today",
       "Mastery 40%   -   1/2 days + today", "80 / 96 bpm (yours / target)"},
      {"Mastery 40%   -   1/2 days + today   -   80 / 96 bpm (yours / target)", "Mastery 40%   -   1/2 da",
       "Mastery 40%", "1/2 days + today   -   80 / 96 bpm (yours / target)"},
      // Narrower gaps inside a part stay: the three-blank gap parts "Best accuracy  90%" whole.
      {"Best accuracy  90%   Best timing  80%", "Best accuracy  90%   Best timing", "Best accuracy  90%",
       "Best timing  80%"},
      {"\xD0\x9E\xD1\x81\xD0\xB2 40%  \xE2\x80\x94  \xD1\x82\xD0\xB5\xD0\xBC\xD0\xBF 80", "\xD0\x9E\xD1\x81\xD0\xB2 40%  ",
       "\xD0\x9E\xD1\x81\xD0\xB2 40%", "\xD1\x82\xD0\xB5\xD0\xBC\xD0\xBF 80"},   // em dash between two blanks
      {"One line that fits", "One line that fits", "One line that fits", ""},
      {"Words with single blanks only here", "Words with single", "Words with single", "blanks only here"},
      // Without gaps a comma parts the figures, so none is parted from its word.
      {"Best: notes 90%, accuracy 80%", "Best: notes 90%, accuracy", "Best: notes 90%,", "accuracy 80%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string line1, line2;
    SplitTwoLinesAtGaps(0, c.text, Shown(c.fitting) + 0.5f, kSize, &line1, &line2);
    EXPECT_EQ(line1, c.line1);
    if (EndsWithDots(line2))
      EXPECT_EQ(std::string(c.line2).rfind(WithoutDots(line2), 0), 0u) << line2;
    else
      EXPECT_EQ(line2, c.line2);
  }
}

}  // namespace
