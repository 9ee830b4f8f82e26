// The frame's steps that read and write the program's state: decays by song state, fades that
// must land exactly on their targets, and the placement-quiz arming.
#include <cmath>
#include <gtest/gtest.h>

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
