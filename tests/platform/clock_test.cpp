// The driven clock that every timing test relies on, and the real clock's agreement with it.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "tests/support/test_support.h"

TEST(Clock, DrivenClockWrapsThe32BitClockAndSleepsNotAtAll) {
  ScopedDrivenClock clock(0xFFFFFFFEull);
  clock.Advance(5);
  EXPECT_EQ(ClockMs32(), 3u);
  EXPECT_EQ(ClockTickMs64(), 0x100000003ull);
  EXPECT_EQ((int32_t)(ClockMs32() - 0xFFFFFFFEu), 5) << "signed differences measure across the wrap";
  ClockDriveSetLocal(LocalDateTime{2026, 12, 6, 21, 30, 0, 0, 0}, 1796592600);
  EXPECT_EQ(ClockLocalNow().year, 2026);
  EXPECT_EQ(ClockWallSeconds(), 1796592600);
  ClockSleepMs(100000);  // returns at once while driven
}

TEST(Clock, RealClockMovesForwardAndAgreesInItsLowBits) {
  ASSERT_FALSE(ClockIsDriven());
  uint64_t a = ClockTickMs64();
  ClockSleepMs(2);
  uint64_t b = ClockTickMs64();
  EXPECT_GE(b - a, 2u);
  EXPECT_LE((uint32_t)(ClockMs32() - (uint32_t)b), 1000u);
  EXPECT_GE(ClockLocalNow().year, 2024);
  EXPECT_GT(ClockWallSeconds(), 1700000000);
}
