// The small utilities' exact rules.
#include <gtest/gtest.h>

#include "app/utilities.h"
#include "tests/support/test_support.h"

TEST(Utilities, MonotonicMsUnwrapsTheLow32BitsAgainstThe64BitCount) {
  ScopedDrivenClock clock;
  struct Case {
    uint64_t tick64;
    uint32_t ms32;
    uint64_t expected;
  } cases[] = {
      {0x100000010ull, 0x00000012u, 0x100000012ull},  // agree: low bits replaced
      {0x100000010ull, 0xFFFFFFF0u, 0x0FFFFFFF0ull},  // 32-bit clock just before the wrap
      {0x1FFFFFFF0ull, 0x00000005u, 0x200000005ull},  // 32-bit clock just after the wrap
      {0x000000010ull, 0xFFFFFFF0u, 0x0FFFFFFF0ull},  // below 2^32 nothing is subtracted
      {0x280000000ull, 0x80000000u, 0x280000000ull},
  };
  for (const Case& c : cases) {
    ClockDriveSetRaw(c.tick64, c.ms32);
    EXPECT_EQ(GetMonotonicMs(), c.expected) << std::hex << c.tick64 << " " << c.ms32;
  }
}

TEST(Utilities, MonotonicMsFollowsTheClockAcrossThe32BitWrap) {
  ScopedDrivenClock clock(0xFFFFFF00ull);
  uint64_t before = GetMonotonicMs();
  clock.Advance(0x200);
  EXPECT_EQ(GetMonotonicMs() - before, 0x200u);
}

TEST(Utilities, RealClockStartsFarFromZero) {
  EXPECT_GT(ClockMs32(), 100000000u);
  EXPECT_GT(GetMonotonicMs(), 100000000u);
}

TEST(Utilities, AppSecondsCountFromTheFirstCall) {
  float first = GetAppSeconds();
  EXPECT_GE(first, 0.0f);
  EXPECT_GE(GetAppSeconds(), first);
}

TEST(Utilities, TrimKeepsHighBytes) {
  EXPECT_EQ(TrimWhitespace(" \t\r\n a b \v\f"), "a b");
  EXPECT_EQ(TrimWhitespace("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");
  EXPECT_EQ(TrimWhitespace("   "), "");
}

TEST(Utilities, IsoDates) {
  EXPECT_TRUE(IsValidIsoDate("2024-12-31"));
  EXPECT_TRUE(IsValidIsoDate("2025-02-31"));
  EXPECT_FALSE(IsValidIsoDate("2024-13-01"));
  EXPECT_FALSE(IsValidIsoDate("2024-00-10"));
  EXPECT_FALSE(IsValidIsoDate("2024-1-01"));
  EXPECT_FALSE(IsValidIsoDate("2024/12/31"));
  EXPECT_FALSE(IsValidIsoDate("2024-12-32"));
  EXPECT_FALSE(IsValidIsoDate("2024-12-3a"));
}

TEST(Utilities, TruncateUtf8NeverExceedsMaxBytesNorSplitsACharacter) {
  const std::string text = "h\xC3\xA9llo w\xC3\xB6rld";  // 13 bytes
  EXPECT_EQ(TruncateUtf8(text, 0), "");
  EXPECT_EQ(TruncateUtf8(text, 3), "h\xC3\xA9");
  EXPECT_EQ(TruncateUtf8(text, 20), text);
  EXPECT_EQ(TruncateUtf8(text, 13), text);
  for (int max = 4; max < 13; ++max) {
    std::string cut = TruncateUtf8(text, max);
    EXPECT_LE(cut.size(), (size_t)max);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    std::string kept = cut.substr(0, cut.size() - 3);
    EXPECT_EQ(text.compare(0, kept.size(), kept), 0);
    // The kept part never ends inside the two-byte characters.
    EXPECT_NE((unsigned char)kept.back(), 0xC3u) << max;
  }
  EXPECT_EQ(TruncateUtf8(text, 8), "h\xC3\xA9ll...");
  EXPECT_EQ(TruncateUtf8(text, 5), "h...");
}

TEST(Utilities, PointInRectIncludesEdges) {
  RectF zero{10, 10, 0, 0};
  EXPECT_TRUE(PointInRect(zero, 10, 10));
  EXPECT_FALSE(PointInRect(zero, 11, 10));
  RectF r{0, 0, 5, 5};
  EXPECT_TRUE(PointInRect(r, 5, 5));
  EXPECT_FALSE(PointInRect(r, -1, 2));
  EXPECT_FALSE(PointInRect(kHiddenRect, 0, 0));
}

TEST(Utilities, HsvToRgb) {
  struct Case {
    float h, s, v, r, g, b;
  } cases[] = {
      {0, 1, 1, 1, 0, 0},      {1.0f / 3, 1, 1, 0, 1, 0}, {1.5f, 0, 0.4f, 0.4f, 0.4f, 0.4f},
      {-1.0f / 3, 1, 1, 0, 0, 1}, {0.5f, 2, 3, 0, 1, 1},
  };
  for (const Case& c : cases) {
    float r, g, b;
    HsvToRgb(c.h, c.s, c.v, &r, &g, &b);
    EXPECT_NEAR(r, c.r, 1e-4) << c.h;
    EXPECT_NEAR(g, c.g, 1e-4) << c.h;
    EXPECT_NEAR(b, c.b, 1e-4) << c.h;
  }
}

TEST(Utilities, Utf16ToUtf8) {
  EXPECT_EQ(Utf16ToUtf8(u""), "");
  EXPECT_EQ(Utf16ToUtf8(u"h\u00e9"), "h\xC3\xA9");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B9"), "\xF0\x9F\x8E\xB9");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, (char16_t)0xD800)), "\xEF\xBF\xBD");
}

TEST(Utilities, JoinPathAndPlatformNames) {
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
  EXPECT_EQ(JoinPath("/data", "a.txt"), "/data/a.txt");
  EXPECT_EQ(JoinPath("/data/", "a.txt"), "/data/a.txt");
  EXPECT_EQ(JoinPath("D:\\Data\\", "a.txt"), "D:\\Data\\a.txt");
  EXPECT_EQ(NormalizePlatform(" Win32 "), "windows");
  EXPECT_EQ(NormalizePlatform("Darwin"), "mac");
  EXPECT_EQ(NormalizePlatform("Linux"), "linux");
  EXPECT_EQ(NormalizePlatform("  "), "unknown");
  EXPECT_EQ(NormalizePlatform("UNKNOWN"), "unknown");
}

TEST(Utilities, BuildIdNamesThePlatformAndTheBuildDate) {
  EXPECT_EQ(FormatBuildId("linux", "Mar  7 2026"), "linux-20260307");
  EXPECT_EQ(FormatBuildId("linux", "Dec 24 2025"), "linux-20251224");
  EXPECT_EQ(FormatBuildId("linux", "Xyz 01 2025"), "linux-20250101");
  std::string id = GetBuildId();
  ASSERT_EQ(id.size(), 14u);
  EXPECT_EQ(id.substr(0, 6), "linux-");
}
