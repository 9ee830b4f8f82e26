// The loop's rest rule through its edges: awake for the quiet time after the last thing that
// happened, then a held drawing every interval and nothing between, and awake again at once.
#include <gtest/gtest.h>

#include "app/base/frame_rest.h"

TEST(FrameRest, QuietTimeThenHeldDrawingsUntilSomethingHappens) {
  FrameRest rest;
  const float step = 0.017f;
  EXPECT_EQ(ChooseFramePass(&rest, 100.0f, false), FramePass::kDraw);  // the first pass always draws
  float t = 100.0f;
  int drawn = 0;
  for (; t < 100.0f + kRestAfterSeconds - step; t += step) drawn += ChooseFramePass(&rest, t, false) == FramePass::kDraw;
  EXPECT_EQ(drawn, (int)((kRestAfterSeconds - step) / step) + 1) << "every pass of the quiet time draws";

  // Resting: over ten seconds, one held drawing each interval and nothing else.
  t = 100.0f + kRestAfterSeconds;
  int held = 0, none = 0;
  for (int i = 0; i < 600; ++i, t += step) {
    FramePass p = ChooseFramePass(&rest, t, false);
    EXPECT_NE(p, FramePass::kDraw) << t;
    held += p == FramePass::kHeldDraw;
    none += p == FramePass::kNoDraw;
  }
  EXPECT_NEAR(held, (int)(600 * step / kRestRedrawSeconds), 1);
  EXPECT_EQ(held + none, 600);

  // Something happens: that pass draws, and so does every pass of a new quiet time.
  EXPECT_EQ(ChooseFramePass(&rest, t, true), FramePass::kDraw);
  EXPECT_EQ(ChooseFramePass(&rest, t + kRestAfterSeconds - 0.1f, false), FramePass::kDraw);
  EXPECT_NE(ChooseFramePass(&rest, t + kRestAfterSeconds + 0.1f, false), FramePass::kDraw);
}

TEST(FrameRest, AClockThatRunsBackWakesTheLoop) {
  FrameRest rest;
  ChooseFramePass(&rest, 50.0f, true);
  EXPECT_EQ(ChooseFramePass(&rest, 70.0f, false), FramePass::kHeldDraw);
  EXPECT_EQ(ChooseFramePass(&rest, 70.1f, false), FramePass::kNoDraw);
  // A clock started again (or set back) must not leave the loop asleep for the time it ran back.
  EXPECT_EQ(ChooseFramePass(&rest, 3.0f, false), FramePass::kDraw);
  EXPECT_EQ(ChooseFramePass(&rest, 3.1f, false), FramePass::kDraw);
}

// A picture still on its way to rest (the orb relaxing after the last note) is drawn on past the
// quiet time, but never longer than the settling limit.
TEST(FrameRest, ASettlingPictureIsDrawnOnUpToTheLimit) {
  FrameRest rest;
  ChooseFramePass(&rest, 10.0f, true);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + kRestAfterSeconds + 1.0f, false, true), FramePass::kDraw);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + kSettleLimitSeconds - 0.1f, false, true), FramePass::kDraw);
  EXPECT_NE(ChooseFramePass(&rest, 10.0f + kSettleLimitSeconds + 0.1f, false, true), FramePass::kDraw);
  // Settled: it rests at once, however short the quiet was.
  ChooseFramePass(&rest, 100.0f, true);
  EXPECT_EQ(ChooseFramePass(&rest, 100.0f + kRestAfterSeconds + 0.1f, false, true), FramePass::kDraw);
  EXPECT_NE(ChooseFramePass(&rest, 100.0f + kRestAfterSeconds + 0.2f, false, false), FramePass::kDraw);
}
