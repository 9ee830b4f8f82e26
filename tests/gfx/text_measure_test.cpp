// Text measuring without fonts: the width estimate, font sizes for the UI scale, the rows of
// vertical text, and text broken over lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/text.h"

namespace {

TEST(EstimateTextWidth, FactorsPerCharacterAndTheFallbackWithoutFonts) {
  const std::tuple<float, const char*, float> cases[] = {
      {20, "Wi", 25.8f}, {10, "ilI1|!.,:;`'", 40.8f}, {10, "MW@%#&QO0", 85.5f},
      {10, "\xC3\xA9", 12.4f},  // each byte of a non-ASCII character counts 0.62
      {10, "", 0.0f},
  };
  for (const auto& [size, text, expected] : cases) EXPECT_NEAR(EstimateTextWidth(size, text), expected, 1e-3) << text;
  EXPECT_NEAR(MeasureText(0, "Wi", 20), 25.8f, 1e-3);
  EXPECT_EQ(MeasureTextHeight(0, "Wi", 17), 17.0f);
  EXPECT_EQ(FitTextToWidth(0, "Wi", 20, 30), "Wi");
  FontSizes small = ComputeFontSizes(0.1f), large = ComputeFontSizes(2.0f);  // clamped per font
  EXPECT_EQ(small.main, 20);
  EXPECT_EQ(small.small, 12);
  EXPECT_EQ(large.large, 42);
  EXPECT_EQ(large.medium, 32);
}

TEST(SplitVerticalRows, ClustersAndGaps) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"AB C", {"A", "B", "", "C"}},
      {"e\u0301x", {"e\u0301", "x"}},                    // combining accent stays with its letter
      {"\U0001D11E!", {"\U0001D11E", "!"}},               // surrogate pair is one row
      {"\u0915\u094D\u0937", {"\u0915\u094D", "\u0937"}},  // virama joins the consonant before it
      {"a\tb", {"a", "", "b"}},
      {"", {}},
  };
  for (const auto& [text, rows] : cases) EXPECT_EQ(SplitVerticalRows(text), rows) << text;
}

}  // namespace

namespace {

// Broken at spaces into lines that fit; a word wider than a line and the last line with text left
// over end in "...".
TEST(WrapTextToWidth, LinesFitAndNothingIsLostWhileThereIsRoom) {
  const std::string message = "Your request could not reach the supplier. Please write to help@example.org.";
  const float width = 300.0f;
  std::vector<std::string> lines = WrapTextToWidth(0, message, 12, width, 3);
  ASSERT_GE(lines.size(), 2u);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(MeasureText(0, line, 12), width) << line;
    EXPECT_NE(line.front(), ' ');
    joined += (joined.empty() ? "" : " ") + line;
  }
  EXPECT_EQ(joined, message);
  std::vector<std::string> one = WrapTextToWidth(0, message, 12, width, 1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].substr(one[0].size() - 3), "...");
  std::vector<std::string> longWord = WrapTextToWidth(0, std::string(80, 'w') + " end", 12, width, 3);
  ASSERT_EQ(longWord.size(), 2u);
  EXPECT_EQ(longWord[0].substr(longWord[0].size() - 3), "...");
  EXPECT_EQ(longWord[1], "end");
  EXPECT_TRUE(WrapTextToWidth(0, "   ", 12, width, 3).empty());
  EXPECT_TRUE(WrapTextToWidth(0, message, 12, width, 0).empty());
}

}  // namespace
