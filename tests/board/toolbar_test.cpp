// The toolbar flag's wag after each change of the practice-run state, restarted by a second change.
#include <gtest/gtest.h>

#include <cmath>

#include "board/toolbar.h"
#include "tests/board/board_fixture.h"

namespace {

using ToolbarFlag = BoardTest;

TEST_F(ToolbarFlag, FlagWagsAfterEachChangeAndRestarts) {
  ResetToolbar();
  EXPECT_FLOAT_EQ(ToolbarFlagAngle(5.0f), -38.0f);
  NoteToolbarPracticeState(kPracticeOff, 5.0f);  // no change, no wag
  EXPECT_FLOAT_EQ(ToolbarFlagAngle(5.05f), -38.0f);
  NoteToolbarPracticeState(kPracticeChoosing, 10.0f);
  float early = ToolbarFlagAngle(10.05f);
  EXPECT_GT(std::fabs(early + 38.0f), 5.0f);
  EXPECT_FLOAT_EQ(ToolbarFlagAngle(10.8f), -38.0f);
  NoteToolbarPracticeState(kPracticeArmed, 10.5f);  // a second change within 0.8 s starts over
  EXPECT_NEAR(ToolbarFlagAngle(10.55f), early, 1e-3f);
  EXPECT_FLOAT_EQ(ToolbarFlagAngle(11.3f), -38.0f);
  ResetToolbar();
}

}  // namespace
