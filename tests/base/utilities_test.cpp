// The small utilities' rules at their edges: the clock across the 32-bit wrap, UTF-8 cuts, dates.
#include <cmath>
#include <gtest/gtest.h>

#include "app/base/app_clock.h"
#include "app/base/build_id.h"
#include "app/base/folders.h"
#include "app/base/maths.h"
#include "app/base/strings.h"
#include "gfx/rect.h"
#include "tests/support/test_support.h"

TEST(Utilities, MonotonicMsUnwrapsTheLow32BitsAgainstThe64BitCount) {
  ScopedDrivenClock clock;
  const struct { uint64_t tick64; uint32_t ms32; uint64_t expected; } cases[] = {
      {0x100000010ull, 0x00000012u, 0x100000012ull},  // agree: low bits replaced
      {0x100000010ull, 0xFFFFFFF0u, 0x0FFFFFFF0ull},  // 32-bit clock just before the wrap
      {0x1FFFFFFF0ull, 0x00000005u, 0x200000005ull},  // 32-bit clock just after the wrap
      {0x000000010ull, 0xFFFFFFF0u, 0x0FFFFFFF0ull},  // below 2^32 nothing is subtracted
  };
  for (const auto& c : cases) {
    ClockDriveSetRaw(c.tick64, c.ms32);
    EXPECT_EQ(GetMonotonicMs(), c.expected) << std::hex << c.tick64 << " " << c.ms32;
  }
  ScopedDrivenClock wrap(0xFFFFFF00ull);
  uint64_t before = GetMonotonicMs();
  wrap.Advance(0x200);
  EXPECT_EQ(GetMonotonicMs() - before, 0x200u);
}

TEST(Utilities, RealClockStartsFarFromZero) {
  EXPECT_GT(ClockMs32(), 100000000u);
  EXPECT_GT(GetMonotonicMs(), 100000000u);
}

// The orb's float clock after weeks of running: each of its rates still finds the phase that the
// unfolded run time gives, to the millisecond (a float of the run time is 125 ms off by then).
TEST(Utilities, PhaseClockKeepsThePhasesOfTheRunTime) {
  for (double t : {30.0, 5.0 * 3600.0 + 0.37, 6.0 * 86400.0 + 0.01, 25.0 * 86400.0 + 0.5, 60.0 * 86400.0 + 0.123})
    for (double k : {0.09, 0.17, 0.73, 2.4, 6.2, 34.0}) {
      const double truth = std::sin(k * t), got = std::sin(k * PhaseSeconds(t));
      EXPECT_NEAR(got, truth, 1e-3 * k + 1e-4) << "k " << k << " at " << t << " s";
    }
}

TEST(Utilities, TextRules) {
  EXPECT_EQ(TrimWhitespace(" \t\r\n a b \v\f"), "a b");
  EXPECT_EQ(TrimWhitespace("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // high bytes are no blanks
  for (const char* ok : {"2024-12-31", "2025-02-31"}) EXPECT_TRUE(IsValidIsoDate(ok)) << ok;
  for (const char* bad : {"2024-13-01", "2024-00-10", "2024-1-01", "2024/12/31", "2024-12-32", "2024-12-3a"})
    EXPECT_FALSE(IsValidIsoDate(bad)) << bad;
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B9"), "\xF0\x9F\x8E\xB9");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, (char16_t)0xD800)), "\xEF\xBF\xBD");  // a lone surrogate
  EXPECT_EQ(FormatBuildId("linux", "Mar  7 2026"), "linux-20260307");
  EXPECT_EQ(FormatBuildId("linux", "Xyz 01 2025"), "linux-20250101");
  EXPECT_EQ(NormalizePlatform(" Win32 "), "windows");
  EXPECT_EQ(NormalizePlatform("  "), "unknown");
  EXPECT_EQ(JoinPath("/data/", "a.txt"), "/data/a.txt");
  EXPECT_EQ(JoinPath("D:\\Data\\", "a.txt"), "D:\\Data\\a.txt");
}

TEST(Utilities, AppendUtf8AtEachLengthBoundaryAndWithoutAForm) {
  const std::pair<uint32_t, std::string> cases[] = {
      {0x41, "A"}, {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      // No UTF-8 form: the replacement character.
      {0xD800, "\xEF\xBF\xBD"}, {0xDFFF, "\xEF\xBF\xBD"}, {0x110000, "\xEF\xBF\xBD"}, {0xFFFFFFFF, "\xEF\xBF\xBD"}};
  for (const auto& c : cases) {
    std::string out = "x";
    AppendUtf8(out, c.first);
    EXPECT_EQ(out, "x" + c.second) << std::hex << c.first;
  }
  const std::string digits = "09afAF";
  const int values[] = {0, 9, 10, 15, 10, 15};
  for (size_t i = 0; i < digits.size(); ++i) EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
  for (char c : std::string("gG/:@` -"))
    EXPECT_EQ(HexDigitValue(c), -1) << (int)c;
}

TEST(Utilities, TruncateUtf8NeverExceedsMaxBytesNorSplitsACharacter) {
  const std::string text = "h\xC3\xA9llo w\xC3\xB6rld";  // 13 bytes
  EXPECT_EQ(TruncateUtf8(text, 0), "");
  EXPECT_EQ(TruncateUtf8(text, 3), "h\xC3\xA9");
  EXPECT_EQ(TruncateUtf8(text, 13), text);
  for (int max = 4; max < 13; ++max) {
    std::string cut = TruncateUtf8(text, max);
    EXPECT_LE(cut.size(), (size_t)max);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    std::string kept = cut.substr(0, cut.size() - 3);
    EXPECT_EQ(text.compare(0, kept.size(), kept), 0);
    EXPECT_NE((unsigned char)kept.back(), 0xC3u) << max;  // never ends inside a character
  }
  EXPECT_EQ(TruncateUtf8(text, 5), "h...");
}

TEST(Utilities, PointInRectAndHsv) {
  EXPECT_TRUE(PointInRect(RectF{10, 10, 0, 0}, 10, 10));  // edges count
  EXPECT_TRUE(PointInRect(RectF{0, 0, 5, 5}, 5, 5));
  EXPECT_FALSE(PointInRect(kHiddenRect, 0, 0));
  const struct { float h, s, v, r, g, b; } cases[] = {
      {1.0f / 3, 1, 1, 0, 1, 0}, {-1.0f / 3, 1, 1, 0, 0, 1}, {0.5f, 2, 3, 0, 1, 1}};  // wrapped, clamped
  for (const auto& c : cases) {
    float r, g, b;
    HsvToRgb(c.h, c.s, c.v, &r, &g, &b);
    EXPECT_NEAR(r, c.r, 1e-4) << c.h;
    EXPECT_NEAR(g, c.g, 1e-4) << c.h;
    EXPECT_NEAR(b, c.b, 1e-4) << c.h;
  }
}
