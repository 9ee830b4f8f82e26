// The NOTE FALL switch both ways: what entering turns on and remembers, what leaving gives back (a
// loaded song keeps a view on) and the run it ends.
#include <gtest/gtest.h>

#include "board/note_fall_mode.h"
#include "tests/board/lane_fixture.h"

namespace {

using NoteFallSwitch = LaneTest;

TEST_F(NoteFallSwitch, EnteringAndLeavingGiveTheViewsBack) {
  struct Case {
    bool songView, overlay, song;
    bool songViewAfter, overlayAfter;
  } cases[] = {
      {false, false, false, false, false},
      {true, false, false, true, false},
      {false, true, false, false, true},
      {false, false, true, true, false},  // a loaded song keeps the song view on
  };
  static bool sightScore = true;
  static int rearmed = 0, left = 0;
  gSightScoreHasNotesHook = [] { return sightScore; };
  gNoteFallSongViewHook = [](bool l) { ++rearmed, left += l ? 1 : 0; };
  for (const Case& c : cases) {
    gPracticeMode = false;
    gSongView = c.songView;
    gLearningOverlay = c.overlay;
    gWaitMode = false;
    if (c.song) gSongEvents = {LaneNoteOn(500, 60), LaneNoteOff(900, 60)};
    rearmed = left = 0;
    ToggleNoteFallMode();
    EXPECT_TRUE(gPracticeMode && gSongView && gWaitMode);
    EXPECT_FALSE(gLearningOverlay);
    EXPECT_TRUE(gSightReadingView);
    if (c.song) {
      SetPlayAlongRun(true, false);
      EXPECT_TRUE(gPlayAlongRun);
    }
    ToggleNoteFallMode();
    EXPECT_FALSE(gPracticeMode);
    EXPECT_FALSE(gPlayAlongRun);
    EXPECT_EQ(gSongView, c.songViewAfter);
    EXPECT_EQ(gLearningOverlay, c.overlayAfter);
    EXPECT_EQ(gWaitMode, gSongView);
    EXPECT_EQ(rearmed, 2);
    EXPECT_EQ(left, 1);
    gSongEvents.clear();
  }
  gSightScoreHasNotesHook = nullptr;
  gNoteFallSongViewHook = nullptr;
}

}  // namespace
