// The frame's arithmetic: the clamped step, decays, fades, pacing and the MIDI rescan timing.
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

TEST(FrameMath, StepIsClampedToZeroToFiftyMilliseconds) {
  const struct {
    const char* name;
    float last, now, dt;
  } cases[] = {
      {"first pass", 0.0f, 12.0f, 0.0f},
      {"normal frame", 10.0f, 10.017f, 0.017f},
      {"two-second stall", 10.0f, 12.0f, 0.05f},
      {"clock went back", 10.0f, 9.0f, 0.0f},
      {"exactly the limit", 10.0f, 10.05f, 0.05f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    float last = c.last;
    EXPECT_NEAR(TakeFrameStep(&last, c.now), c.dt, 1e-4f);
    EXPECT_EQ(last, c.now);
  }
}

TEST(FrameMath, DecaysAndCountdownsClampTheirRanges) {
  float v[4] = {2.0f, 5.0f, -1.0f, 0.0f};
  DecayLevels(v, 4, 9.5f, 0.05f, 2.4f);
  EXPECT_NEAR(v[0], 2.0f * std::exp(-0.475f), 1e-5f);
  EXPECT_EQ(v[1], 2.4f);  // above the ceiling even after decay
  EXPECT_EQ(v[2], 0.0f);
  EXPECT_EQ(v[3], 0.0f);
  EXPECT_NEAR(LowerTimer(1.0f, 2.8f, 0.05f), 0.86f, 1e-6f);
  EXPECT_EQ(LowerTimer(0.1f, 2.8f, 0.05f), 0.0f);
  float timers[3] = {0.03f, 0.0f, -0.5f};
  LowerPositiveTimers(timers, 3, 0.05f);
  EXPECT_EQ(timers[0], 0.0f);
  EXPECT_EQ(timers[2], -0.5f);  // only positive values are touched
}

TEST(FrameMath, NoteGlowDecaysFasterWhileASongPlays) {
  const struct {
    bool playing;
    float k;
  } cases[] = {{false, 9.5f}, {true, 14.5f}};
  for (const auto& c : cases) {
    for (float& g : gNoteGlow) g = 0.0f;
    gNoteGlow[60] = 1.0f;
    gKeyHitGlow[60] = 1.0f;
    gKeyMissFlash[60] = 1.0f;
    gScoreFlash = 1.0f;
    gPatternFlashTimer = 1.0f;
    gPracticeCellFlashTimer = 1.0f;
    gPlaying = c.playing;
    DecayFrameLevels(0.05f);
    EXPECT_NEAR(gNoteGlow[60], std::exp(-c.k * 0.05f), 1e-5f);
    EXPECT_NEAR(gKeyHitGlow[60], std::exp(-8.8f * 0.05f), 1e-5f);
    EXPECT_NEAR(gKeyMissFlash[60], std::exp(-7.0f * 0.05f), 1e-5f);
    EXPECT_NEAR(gScoreFlash, 1.0f - 2.8f * 0.05f, 1e-5f);
    EXPECT_NEAR(gPatternFlashTimer, 1.0f - 0.38f * 0.05f, 1e-5f);
    EXPECT_NEAR(gPracticeCellFlashTimer, 1.0f - 0.18f * 0.05f, 1e-5f);
  }
  gPlaying = false;
}

TEST(FrameMath, FadesEaseAndTheSongViewMovesLinearly) {
  gSongView = true;
  gPracticeMode = true;
  gRingMode = true;
  gSongViewFade = gPracticeModeFade = gRingModeFade = gRingModeFadeSlow = 0.0f;
  AdvanceViewFades(0.0f);  // the first pass has no step: nothing moves
  EXPECT_EQ(gSongViewFade, 0.0f);
  EXPECT_EQ(gPracticeModeFade, 0.0f);
  AdvanceViewFades(0.045f);
  EXPECT_NEAR(gSongViewFade, 0.05f, 1e-6f);
  EXPECT_NEAR(gPracticeModeFade, 1.0f - std::exp(-9.6f * 0.045f), 1e-6f);
  EXPECT_NEAR(gRingModeFade, 1.0f - std::exp(-9.6f * 0.045f), 1e-6f);
  EXPECT_NEAR(gRingModeFadeSlow, 1.0f - std::exp(-4.4f * 0.045f), 1e-6f);
  for (int i = 0; i < 40; ++i) AdvanceViewFades(0.05f);
  EXPECT_EQ(gSongViewFade, 1.0f);  // never past the target
  EXPECT_LE(gPracticeModeFade, 1.0f);
  gSongView = gPracticeMode = gRingMode = false;
}

TEST(FrameMath, PacingSleepsTheRestOf17Milliseconds) {
  const struct {
    uint32_t start, now, sleep;
  } cases[] = {
      {1000, 1000, 17}, {1000, 1016, 1}, {1000, 1017, 0},
      {1000, 1030, 0},                      // a slow frame only yields
      {0xFFFFFFF8u, 0x00000002u, 7},        // across the clock's wrap: 10 ms elapsed
      {0xFFFFFFF0u, 0x00000010u, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FramePacingSleepMs(c.start, c.now), c.sleep) << c.start << " " << c.now;
}

TEST(FrameMath, BackgroundColourFollowsTheTint) {
  float r, g, b;
  BackgroundClearColour(0.0f, &r, &g, &b);
  EXPECT_FLOAT_EQ(r, 0.065f);
  EXPECT_FLOAT_EQ(g, 0.07f);
  EXPECT_FLOAT_EQ(b, 0.082f);
  BackgroundClearColour(1.0f, &r, &g, &b);
  EXPECT_FLOAT_EQ(r, 0.26f);
  EXPECT_FLOAT_EQ(g, 0.37f);
  EXPECT_FLOAT_EQ(b, 0.58f);
}

TEST(MidiRescan, RunsOnlyAfterMoreThan1500Milliseconds) {
  const struct {
    uint32_t last, t;
    bool due;
  } cases[] = {
      {1000, 2500, false}, {1000, 2501, true}, {1000, 1000, false},
      {0xFFFFFF00u, 0x00000500u, true},     // 1536 ms across the wrap
      {0xFFFFFF00u, 0x00000400u, false},    // 1280 ms across the wrap
      {5000, 4000, false},                  // a time stamp behind the last scan
  };
  for (const auto& c : cases) {
    uint32_t last = c.last;
    EXPECT_EQ(MidiRescanDue(&last, c.t), c.due) << c.last << " -> " << c.t;
    EXPECT_EQ(last, c.due ? c.t : c.last);
  }
}

TEST(PlacementQuiz, WithoutAStudentTheNameEntryOpens) {
  gPlacementQuizRequest = true;
  gStudentNameEntryActive = gStudentListOpen = gPlacementPromptOpen = false;
  ArmPlacementQuiz();
  EXPECT_FALSE(gPlacementQuizRequest);
  EXPECT_FALSE(gPlacementPromptOpen);
  EXPECT_TRUE(gStudentNameEntryActive);
  EXPECT_TRUE(gStudentListOpen);
  EXPECT_EQ(gStatusText, "Add a student first - the placement quiz saves to their profile");
  gStatusText.clear();
  ArmPlacementQuiz();  // acted on once
  EXPECT_TRUE(gStatusText.empty());
  gStudentNameEntryActive = gStudentListOpen = false;
}

TEST(ScaleListFades, UnavailablePanelClosesAndItsFadesFallToExactlyZero) {
  gFilterPanelOpen = true;
  gFilterPanelFade = gFilterOpenFade = 1.0f;
  gListHoldFade = 0.0f;
  gScaleListDragging = true;
  AdvanceScaleListFades(0.05f);
  EXPECT_FALSE(gFilterPanelOpen);  // no panel to be open on
  EXPECT_NEAR(gFilterPanelFade, 1.0f - 6.8f * 0.05f, 1e-5f);
  EXPECT_NEAR(gListHoldFade, 9.2f * 0.05f, 1e-5f);
  EXPECT_NEAR(gFilterOpenFade, std::exp(-14.0f * 0.05f), 1e-5f);
  EXPECT_EQ(ScaleListScrollRate(), 20.0f);
  gScaleListDragging = false;
  EXPECT_EQ(ScaleListScrollRate(), 15.0f);
  for (int i = 0; i < 40; ++i) AdvanceScaleListFades(0.05f);
  EXPECT_EQ(gFilterOpenFade, 0.0f);  // snapped, not left creeping
  EXPECT_GT(gFilterPanelFade, 0.0f);  // the other two only creep towards 0 ...
  EXPECT_LT(gFilterPanelFade, 1e-6f);
  AdvanceScaleListFades(1.0f);        // ... unless a long step covers the whole way, never beyond
  EXPECT_EQ(gFilterPanelFade, 0.0f);
  EXPECT_EQ(gListHoldFade, 0.0f);
}

TEST(PracticeMode, HoldsTheSongViewAndClosesTheOverlayAndPanel) {
  gPracticeMode = true;
  gSongView = gWaitMode = false;
  gLearningOverlay = gFilterPanelOpen = gScaleListDragging = true;
  gFilterOpenFade = 0.7f;
  HoldPracticeModeViews();
  EXPECT_TRUE(gSongView);
  EXPECT_TRUE(gWaitMode);
  EXPECT_FALSE(gLearningOverlay);
  EXPECT_FALSE(gFilterPanelOpen);
  EXPECT_EQ(gFilterOpenFade, 0.0f);
  EXPECT_FALSE(gScaleListDragging);
  gPracticeMode = gSongView = gWaitMode = false;
}
