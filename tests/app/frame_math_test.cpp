// The frame's arithmetic at its edges: the clamped step, pacing and the MIDI rescan across the
// clock's wrap, decays by song state, and fades that must land exactly on their targets.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.h"
#include "app/frame_math.h"
#include "app/main_loop.h"
#include "app/pending.h"
#include "midi/pending.h"
#include "midi/play_along.h"
#include "practice/pending.h"
#include "tests/support/test_support.h"
#include "theory/pending.h"
#include "visual/pending.h"

TEST(FrameMath, StepPacingAndRescanAcrossTheWrap) {
  const struct { float last, now, dt; } steps[] = {
      {0.0f, 12.0f, 0.0f}, {10.0f, 10.017f, 0.017f}, {10.0f, 12.0f, 0.05f}, {10.0f, 9.0f, 0.0f}};
  for (const auto& c : steps) {
    float last = c.last;
    EXPECT_NEAR(TakeFrameStep(&last, c.now), c.dt, 1e-4f) << c.last << " -> " << c.now;
    EXPECT_EQ(last, c.now);
  }
  const struct { uint32_t start, now, sleep; } pacing[] = {
      {1000, 1000, 17}, {1000, 1016, 1}, {1000, 1030, 0}, {0xFFFFFFF8u, 2, 7}, {0xFFFFFFF0u, 0x10, 0}};
  for (const auto& c : pacing) EXPECT_EQ(FramePacingSleepMs(c.start, c.now), c.sleep) << c.start << " " << c.now;
  const struct { uint32_t last, t; bool due; } rescan[] = {
      {1000, 2500, false}, {1000, 2501, true}, {0xFFFFFF00u, 0x500, true}, {0xFFFFFF00u, 0x400, false},
      {5000, 4000, false}};  // the last: a time stamp behind the last scan
  for (const auto& c : rescan) {
    uint32_t last = c.last;
    EXPECT_EQ(MidiRescanDue(&last, c.t), c.due) << c.last << " -> " << c.t;
    EXPECT_EQ(last, c.due ? c.t : c.last);
  }
}

TEST(FrameMath, LevelsDecayClampedAndFasterWhileASongPlays) {
  float v[3] = {5.0f, -1.0f, 0.0f};
  DecayLevels(v, 3, 9.5f, 0.05f, 2.4f);
  EXPECT_EQ(v[0], 2.4f);  // above the ceiling even after decay
  EXPECT_EQ(v[1], 0.0f);
  float timers[2] = {0.03f, -0.5f};
  LowerPositiveTimers(timers, 2, 0.05f);
  EXPECT_EQ(timers[0], 0.0f);
  EXPECT_EQ(timers[1], -0.5f);  // only positive values are touched
  for (bool playing : {false, true}) {
    gNoteGlow[60] = 1.0f;
    gPlaying = playing;
    DecayFrameLevels(0.05f);
    EXPECT_NEAR(gNoteGlow[60], std::exp(-(playing ? 14.5f : 9.5f) * 0.05f), 1e-5f) << playing;
  }
  gPlaying = false;
}

TEST(FrameMath, FadesStopAtTheirTargetsExactly) {
  gSongView = gPracticeMode = gRingMode = true;
  gSongViewFade = gPracticeModeFade = 0.0f;
  AdvanceViewFades(0.0f);  // the first pass has no step: nothing moves
  EXPECT_EQ(gSongViewFade, 0.0f);
  for (int i = 0; i < 40; ++i) AdvanceViewFades(0.05f);
  EXPECT_EQ(gSongViewFade, 1.0f);
  EXPECT_LE(gPracticeModeFade, 1.0f);
  gSongView = gPracticeMode = gRingMode = false;

  gFilterPanelOpen = gScaleListDragging = true;
  gFilterPanelFade = gFilterOpenFade = 1.0f;
  AdvanceScaleListFades(0.05f);
  EXPECT_FALSE(gFilterPanelOpen);  // no panel to be open on
  EXPECT_EQ(ScaleListScrollRate(), 20.0f);
  gScaleListDragging = false;
  for (int i = 0; i < 40; ++i) AdvanceScaleListFades(0.05f);
  EXPECT_EQ(gFilterOpenFade, 0.0f);   // snapped, not left creeping
  EXPECT_GT(gFilterPanelFade, 0.0f);  // the others creep towards 0 ...
  AdvanceScaleListFades(1.0f);        // ... unless a long step covers the whole way, never beyond
  EXPECT_EQ(gFilterPanelFade, 0.0f);
  EXPECT_EQ(gListHoldFade, 0.0f);
}

TEST(PlacementQuiz, WithoutAStudentTheNameEntryOpensOnce) {
  gPlacementQuizRequest = true;
  gStudentNameEntryActive = gStudentListOpen = gPlacementPromptOpen = false;
  ArmPlacementQuiz();
  EXPECT_FALSE(gPlacementQuizRequest);
  EXPECT_FALSE(gPlacementPromptOpen);
  EXPECT_TRUE(gStudentNameEntryActive && gStudentListOpen);
  EXPECT_EQ(gStatusText, "Add a student first - the placement quiz saves to their profile");
  gStatusText.clear();
  ArmPlacementQuiz();
  EXPECT_TRUE(gStatusText.empty());
  gStudentNameEntryActive = gStudentListOpen = false;
}
