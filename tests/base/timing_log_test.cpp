// The timing lines: start-up logged once at the first swap with its steps in order, keys timed to
// the first frame that drew them (and dropped behind the start screen), the millisecond clock's
// wrap, and silence when the switch is off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/timing_log.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

struct TimingLogTest : ::testing::Test {
  void SetUp() override {
    ResetTimingLog();
    SetTimingLogOnForTesting(true);
  }
  void TearDown() override { ResetTimingLog(); }
};

}  // namespace

TEST_F(TimingLogTest, FirstSwapLogsStartUpOnceWithItsStepsInOrder) {
  DebugCapture capture;
  MarkProgramEntry();
  MarkStartupStep("window");
  MarkStartupStep("fonts");
  MarkFirstFrameDrawn();
  NoteFrameSwapped(ClockMicros64(), false);
  MarkFirstFrameDrawn();  // later frames mark nothing
  MarkStartupStep("late");  // a loader after the first frame: its line goes out at once
  NoteFrameSwapped(ClockMicros64(), true);
  std::vector<std::string> lines = Lines(capture.Text());
  ASSERT_EQ(lines.size(), 6u) << capture.Text();
  EXPECT_EQ(lines[0].rfind("[timing] first frame ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(" ms after process start ("), std::string::npos) << lines[0];
  const char* steps[] = {"main", "window", "fonts", "drawn", "late"};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(lines[i + 1].rfind(std::string("[timing] step ") + steps[i] + " done ", 0), 0u) << lines[i + 1];
}

TEST_F(TimingLogTest, KeysAreTimedToTheFirstFrameThatDrewThemAndDroppedBehindTheStartScreen) {
  NoteFrameSwapped(ClockMicros64(), false);  // the start-up lines go first
  DebugCapture capture;
  ScopedDrivenClock clock;
  ClockDriveSetMicros(1002000);
  NoteKeyHandled(60, 1000);
  NoteFrameSwapped(1005000, false);  // the start screen: never shown at its time
  ClockDriveSetMicros(2004500);
  NoteKeyHandled(62, 2000);
  NoteKeyHandled(64, 2003);
  NoteKeyHandled(65, 0);  // no stamp: nothing to time it from
  NoteFrameSwapped(2016400, true);
  NoteFrameSwapped(2033000, true);  // nothing waits any more
  EXPECT_EQ(capture.Text(),
            "[timing] key 62 callback 2000 ms handled 2004500 us swap 2016400 us latency 16 ms\n"
            "[timing] key 64 callback 2003 ms handled 2004500 us swap 2016400 us latency 13 ms\n");
}

TEST_F(TimingLogTest, LatencyHoldsAcrossTheMillisecondClocksWrap) {
  // The stamp is the 32-bit clock just before it wraps; the swap's 64-bit time is just after.
  int64_t swapMicros = (int64_t)0x100000000ll * 1000 + 7000;
  EXPECT_EQ(FormatKeyLine(40, 0xFFFFFFFBu, swapMicros - 9000, swapMicros),
            "[timing] key 40 callback 4294967291 ms handled 4294967294000 us swap 4294967303000 us latency 12 ms\n");
}

TEST_F(TimingLogTest, SwitchedOffNothingIsLoggedOrKept) {
  SetTimingLogOnForTesting(false);
  DebugCapture capture;
  MarkProgramEntry();
  MarkStartupStep("window");
  NoteKeyHandled(60, 1000);
  NoteFrameSwapped(1010000, true);
  SetTimingLogOnForTesting(true);
  NoteFrameSwapped(1020000, true);  // the key handled while off is not waiting
  std::string text = capture.Text();
  EXPECT_EQ(text.find("[timing] key"), std::string::npos) << text;
  EXPECT_EQ(text.find("step window"), std::string::npos) << text;
}

TEST(ProcessStart, LiesBeforeNowAndAfterThisTestProgramBegan) {
  static int64_t firstSeen = ClockMicros64();  // this test program is at least this old
  int64_t start = ProcessStartMicros();
  ASSERT_GE(start, 0);
  // The kernel counts in ticks of up to 10 ms.
  EXPECT_LE(start, firstSeen + 10000);
  EXPECT_GT(start, firstSeen - 24ll * 3600 * 1000000);
}

TEST(TimingSwitch, OnlyANonEmptyValueOtherThanZeroTurnsItOn) {
  const struct {
    const char* value;  // nullptr: unset
    bool on;
  } cases[] = {{nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", true}};
  for (const auto& c : cases) {
    if (c.value) setenv("TONVARRA_TIMING_LOG", c.value, 1);
    else unsetenv("TONVARRA_TIMING_LOG");
    ResetTimingLog();
    EXPECT_EQ(TimingLogOn(), c.on) << (c.value ? c.value : "(unset)");
  }
  unsetenv("TONVARRA_TIMING_LOG");
  ResetTimingLog();
}
