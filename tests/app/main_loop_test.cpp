// The frame's steps that read and write the program's state: decays by song state, fades that
// must land exactly on their targets, frames after weeks of running, and the placement-quiz arming.
#include <cmath>
#include <gtest/gtest.h>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/main_loop.h"
#include "board/grid_interaction.h"
#include "learning_ui/placement_prompt.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "tests/support/test_support.h"
#include "theory/filter_tabs.h"
#include "theory/scale_selection.h"

TEST(FrameSteps, LevelsDecayFasterWhileASongPlays) {
  for (bool playing : {false, true}) {
    gNoteGlow[60] = 1.0f;
    gPlaying = playing;
    DecayFrameLevels(0.05f);
    EXPECT_NEAR(gNoteGlow[60], std::exp(-(playing ? 14.5f : 9.5f) * 0.05f), 1e-5f) << playing;
  }
  gPlaying = false;
}

TEST(FrameSteps, FadesStopAtTheirTargetsExactly) {
  gSongView = gPracticeMode = gRingMode = true;
  gSongViewFade = gPracticeModeFade = 0.0f;
  AdvanceViewFades(0.0f);  // the first pass has no step: nothing moves
  EXPECT_EQ(gSongViewFade, 0.0f);
  for (int i = 0; i < 40; ++i) AdvanceViewFades(0.05f);
  EXPECT_EQ(gSongViewFade, 1.0f);
  EXPECT_EQ(gPracticeModeFade, 1.0f);
  gSongView = gPracticeMode = gRingMode = false;
  for (int i = 0; i < 40; ++i) AdvanceViewFades(0.05f);
  EXPECT_EQ(gPracticeModeFade, 0.0f) << "the regions' last layout is the one of note-fall mode off";

  gScaleListDragging = true;
  gListHoldFade = 0.0f;
  AdvanceScaleListFades(0.05f);
  EXPECT_GT(gListHoldFade, 0.0f);  // a drag holds the list
  EXPECT_EQ(ScaleListScrollRate(), 20.0f);
  gScaleListDragging = false;
  gFilterPanelOpen = false;
  gFilterOpenFade = 0.01f;
  for (int i = 0; i < 40; ++i) AdvanceScaleListFades(0.05f);
  EXPECT_EQ(gFilterOpenFade, 0.0f);  // snapped, not left creeping
  gFilterPanelFade = 0.5f;
  AdvanceScaleListFades(1.0f);       // a long step covers the whole way, never beyond
  EXPECT_EQ(gFilterPanelFade, IsFilterPanelAvailable() ? 1.0f : 0.0f);
}

// A school's machine may never be switched off: half a second of frames after 25 days of running
// steps and fades as it did in the first minute.
TEST(FrameSteps, AfterWeeksOfRunningFramesStepAsInTheFirstMinute) {
  ScopedDrivenClock clock;
  const uint64_t origin = ClockTickMs64() - (uint64_t)std::llround(GetAppSeconds() * 1000.0);
  struct HalfSecond {
    float stepped;
    int moved;
    float fade;
  };
  auto halfSecondAt = [origin](uint64_t runMs) {
    ClockDriveSet(origin + runMs);
    AdvanceFrameClock(GetAppSeconds());  // the pass before: its step is not this half second's
    ResetViewModes();
    gSongView = true;
    HalfSecond h{0.0f, 0, 0.0f};
    for (int frame = 1; frame <= 30; ++frame) {
      ClockDriveSet(origin + runMs + (uint64_t)(frame * 50 / 3));  // 60 frames a second
      const float dt = AdvanceFrameClock(GetAppSeconds());
      h.stepped += dt;
      h.moved += dt > 0.0f ? 1 : 0;
      AdvanceViewFades(dt);
    }
    h.fade = gSongViewFade;
    return h;
  };
  const HalfSecond early = halfSecondAt(30000), late = halfSecondAt(25ull * 86400000ull);
  for (const HalfSecond& h : {early, late}) {
    EXPECT_EQ(h.moved, 30);
    EXPECT_NEAR(h.stepped, 0.5f, 1e-3f);
  }
  EXPECT_NEAR(late.fade, early.fade, 1e-4f) << "the song view's fade";
  ResetViewModes();
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
