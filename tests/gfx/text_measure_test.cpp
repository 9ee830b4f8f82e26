// Text measuring without fonts: the width estimate, font sizes for the UI scale, and the rows of
// vertical text.
#include <gtest/gtest.h>

#include "gfx/text.h"

namespace {

TEST(EstimateTextWidth, FactorsPerCharacter) {
  const std::tuple<float, const char*, float> cases[] = {
      {20, "Wi", 25.8f},          // 19 + 6.8
      {10, " ", 4.0f},
      {10, "ilI1|!.,:;`'", 40.8f},
      {10, "MW@%#&QO0", 85.5f},
      {10, "AZ", 14.8f},
      {10, "29", 13.2f},
      {10, "ax~", 18.6f},
      {10, "\xC3\xA9", 12.4f},    // each byte of a non-ASCII character counts 0.62
      {10, "", 0.0f},
  };
  for (const auto& [size, text, expected] : cases) EXPECT_NEAR(EstimateTextWidth(size, text), expected, 1e-3) << text;
}

TEST(MeasureText, WithoutFontsFallsBackToTheEstimate) {
  EXPECT_NEAR(MeasureText(0, "Wi", 20), 25.8f, 1e-3);
  EXPECT_EQ(MeasureTextHeight(0, "Wi", 17), 17.0f);
  EXPECT_EQ(FitTextToWidth(0, "Wi", 20, 30), "Wi");
}

TEST(ComputeFontSizes, ClampedPerFont) {
  const std::tuple<float, FontSizes> cases[] = {
      {1.0f, {26, 40, 17, 30}},
      {0.78f, {20, 31, 13, 24}},
      {2.0f, {28, 42, 18, 32}},
      {0.1f, {20, 30, 12, 24}},
  };
  for (const auto& [scale, expected] : cases) {
    FontSizes got = ComputeFontSizes(scale);
    EXPECT_EQ(got.main, expected.main) << scale;
    EXPECT_EQ(got.large, expected.large) << scale;
    EXPECT_EQ(got.small, expected.small) << scale;
    EXPECT_EQ(got.medium, expected.medium) << scale;
  }
}

TEST(SplitVerticalRows, ClustersAndGaps) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"AB C", {"A", "B", "", "C"}},
      {"e\u0301x", {"e\u0301", "x"}},                       // combining accent stays with its letter
      {"\U0001D11E!", {"\U0001D11E", "!"}},                  // surrogate pair is one row
      {"\u0915\u094D\u0937", {"\u0915\u094D", "\u0937"}},     // virama joins the consonant before it
      {"a\tb", {"a", "", "b"}},
      {"", {}},
  };
  for (const auto& [text, rows] : cases) EXPECT_EQ(SplitVerticalRows(text), rows) << text;
}

}  // namespace

