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

// A minimised window: every pass that would have drawn does its work without drawing, the moving
// ones with their time moving, the resting ones at the same interval with it held, so a song, a
// judged run or the metronome keeps its pace unseen. Shown again, the first pass draws the whole
// window, with nothing going on as well.
TEST(FrameRest, AMinimisedWindowWorksUnseenAndIsDrawnAtOnceWhenShownAgain) {
  const float step = 0.017f;
  struct Case {
    const char* name;
    bool lively;
  } cases[] = {{"a song playing", true}, {"nothing going on", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrameRest rest;
    float t = 10.0f;
    ASSERT_EQ(ChooseFramePass(&rest, t, true), FramePass::kDraw);
    int moving = 0, heldWork = 0, none = 0;
    const int passes = (int)((kRestAfterSeconds + 10.0f) / step);
    for (int i = 0; i < passes; ++i) {
      t += step;
      FramePass p = ChooseFramePass(&rest, t, c.lively, false, true);
      EXPECT_FALSE(FramePassDraws(p)) << t;
      moving += p == FramePass::kUnseen;
      heldWork += p == FramePass::kHeldUnseen;
      none += p == FramePass::kNoDraw;
      EXPECT_EQ(FramePassHoldsTime(p), p == FramePass::kHeldUnseen);
    }
    if (c.lively) {
      EXPECT_EQ(moving, passes) << "every pass does the whole work while something goes on";
    } else {
      EXPECT_NEAR(moving, (int)(kRestAfterSeconds / step), 2) << "the quiet time as on screen";
      EXPECT_NEAR(heldWork, (int)(10.0f / kRestRedrawSeconds), 1) << "then the resting interval";
      EXPECT_EQ(moving + heldWork + none, passes);
    }
    // Shown again: drawn at once with time moving, and awake for a new quiet time.
    t += step;
    EXPECT_EQ(ChooseFramePass(&rest, t, false), FramePass::kDraw);
    EXPECT_EQ(ChooseFramePass(&rest, t + kRestAfterSeconds - 0.1f, false), FramePass::kDraw);
    EXPECT_NE(ChooseFramePass(&rest, t + kRestAfterSeconds + 0.1f, false), FramePass::kDraw);
  }
}

// An orb relaxing when the window is minimised keeps nothing awake: nobody sees it settle, and it
// settles on once the window shows again.
TEST(FrameRest, AMinimisedWindowHasNoPictureToSettle) {
  FrameRest rest;
  ChooseFramePass(&rest, 10.0f, true);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + kRestAfterSeconds + 1.0f, false, true, true), FramePass::kHeldUnseen);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + kRestAfterSeconds + 1.1f, false, true, true), FramePass::kNoDraw);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + kRestAfterSeconds + 1.2f, false, true, false), FramePass::kDraw);
  EXPECT_EQ(ChooseFramePass(&rest, 10.0f + 2 * kRestAfterSeconds + 2.0f, false, true, false), FramePass::kDraw);
}
