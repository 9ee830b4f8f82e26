// The frame's arithmetic at its edges: the clamped step, pacing and the MIDI rescan across the
// clock's wrap, and decays that stay inside their bounds.
#include <gtest/gtest.h>

#include "app/base/frame_math.h"

TEST(FrameMath, StepPacingAndRescanAcrossTheWrap) {
  // The last row: one frame after 25 days of running is still a frame.
  const struct { double last, now; float dt; } steps[] = {
      {0.0, 12.0, 0.0f}, {10.0, 10.017, 0.017f}, {10.0, 12.0, 0.05f}, {10.0, 9.0, 0.0f}, {2160000.0, 2160000.017, 0.017f}};
  for (const auto& c : steps) {
    double last = c.last;
    EXPECT_NEAR(TakeFrameStep(&last, c.now), c.dt, 1e-4f) << c.last << " -> " << c.now;
    EXPECT_EQ(last, c.now);
  }
  const struct { uint32_t start, now, sleep; } pacing[] = {
      {1000, 1000, 17}, {1000, 1016, 1}, {1000, 1030, 0}, {0xFFFFFFF8u, 2, 7}, {0xFFFFFFF0u, 0x10, 0}};
  for (const auto& c : pacing) EXPECT_EQ(FramePacingSleepMs(c.start, c.now), c.sleep) << c.start << " " << c.now;
  // The part a key may cut short never brings the next pass closer than half a frame.
  const struct { uint32_t start, now, fixed, wakeable; } split[] = {
      {1000, 1000, 8, 9}, {1000, 1005, 3, 9}, {1000, 1008, 0, 9}, {1000, 1016, 0, 1},
      {1000, 1030, 0, 0}, {0xFFFFFFF8u, 2, 0, 7}, {0xFFFFFFFEu, 1, 5, 9}};
  for (const auto& c : split) {
    FramePacing p = SplitFramePacing(c.start, c.now);
    EXPECT_EQ(p.fixedMs, c.fixed) << c.start << " " << c.now;
    EXPECT_EQ(p.wakeableMs, c.wakeable) << c.start << " " << c.now;
    EXPECT_EQ(p.fixedMs + p.wakeableMs, FramePacingSleepMs(c.start, c.now));
  }
  const struct { uint32_t last, t; bool due; } rescan[] = {
      {1000, 2500, false}, {1000, 2501, true}, {0xFFFFFF00u, 0x500, true}, {0xFFFFFF00u, 0x400, false},
      {5000, 4000, false}};  // the last: a time stamp behind the last scan
  for (const auto& c : rescan) {
    uint32_t last = c.last;
    EXPECT_EQ(MidiRescanDue(&last, c.t), c.due) << c.last << " -> " << c.t;
    EXPECT_EQ(last, c.due ? c.t : c.last);
  }
}

TEST(FrameMath, LevelsDecayClamped) {
  float v[3] = {5.0f, -1.0f, 0.0f};
  DecayLevels(v, 3, 9.5f, 0.05f, 2.4f);
  EXPECT_EQ(v[0], 2.4f);  // above the ceiling even after decay
  EXPECT_EQ(v[1], 0.0f);
  float timers[2] = {0.03f, -0.5f};
  LowerPositiveTimers(timers, 2, 0.05f);
  EXPECT_EQ(timers[0], 0.0f);
  EXPECT_EQ(timers[1], -0.5f);  // only positive values are touched
}
