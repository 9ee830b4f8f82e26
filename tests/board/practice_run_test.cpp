// The practice run's states and region selection: the button, dragging in either direction,
// drags that end outside the grid or on empty slots, the order of the steps, arming, the keys
// that start an armed run, and the time shown for a run.
#include <gtest/gtest.h>
#include <tuple>

#include "tests/board/practice_run_mouse_fixture.h"

namespace {

using RunStates = PracticeRunMouseTest;

TEST_F(RunStates, ButtonEntersAndLeavesTheRun) {
  ASSERT_TRUE(ClickRunButton());
  EXPECT_EQ(gPracticeState, 1);
  EXPECT_TRUE(IsPracticeRunActive());
  EXPECT_TRUE(IsRegionSelectable());
  EXPECT_EQ(GetRegionCursor(), kCursorCross);
  ASSERT_TRUE(ClickRunButton());
  EXPECT_EQ(gPracticeState, 0);
  EXPECT_EQ(gPointerCalls, std::vector<std::string>{"arrow"});
  // While the strip is hidden the button does nothing and clicks pass on.
  gPracticeStrip = false;
  EXPECT_FALSE(ClickRunButton());
  EXPECT_EQ(gPracticeState, 0);
}

TEST_F(RunStates, DragAnyWayGivesTheSameRegion) {
  const struct { int s0, c0, s1, c1; } drags[] = {{0, 2, 1, 3}, {1, 2, 0, 3}};   // up-left: the scripted run
  for (const auto& d : drags) {
    SCOPED_TRACE(testing::Message() << d.s0 << "," << d.c0 << " to " << d.s1 << "," << d.c1);
    gPointerCalls.clear();
    Arm(d.s0, d.c0, d.s1, d.c1);
    const PracticeRunData& r = gPracticeRunData;
    EXPECT_EQ(BuildRegionKey(), "L:r0-1:c2-3");
    std::string steps;   // row by row, left to right
    for (const PracticeStep& st : r.steps)
      steps += std::to_string(st.achvRow) + std::to_string(st.ringPos) + (st.scale == kChurchModes[st.achvRow] ? " " : "? ");
    EXPECT_EQ(steps, "02 03 12 13 ");
    // Armed: the first step is shown on the circle, and the plan went to the teaching state.
    EXPECT_EQ(gCurrentScale, &gScaleRows[kRowIonian]);
    EXPECT_EQ(gKeyRoot, 2);
    EXPECT_EQ(gTeachingState.practiceScales, (std::vector<int32_t>{2, 3, 16 + 2, 16 + 3}));
    EXPECT_EQ(gPointerCalls, (std::vector<std::string>{"capture", "arrow"}));
    ExitPracticeRun();
  }
}

TEST_F(RunStates, ReleaseOutsideTheGridEndsAtTheLastCell) {
  BeginPracticeSelection();
  int x, y;
  CellCentre(2, 5, &x, &y);
  ASSERT_TRUE(OnPracticeMouseDown(x, y));
  CellCentre(3, 7, &gMouseX, &gMouseY);
  UpdatePracticeRunFrame(0.0f);       // the frame follows the captured mouse too
  EXPECT_EQ(gPracticeRunData.cursorRow, 3);
  EXPECT_EQ(gPracticeRunData.cursorCol, 7);
  gMouseX = 5;                     // far outside: the cursor cell stays
  EXPECT_TRUE(OnPracticeMouseMove());
  ASSERT_TRUE(OnPracticeMouseUp(5, 5));
  EXPECT_EQ(gPracticeState, 2);
  EXPECT_EQ(gPracticeRunData.steps.size(), 6u);   // rows 2..3 x columns 5..7
}

TEST_F(RunStates, ListViewRowsAreCatalogueIndices) {
  gScaleListMode = true;
  gScaleFilter = 1;                // one visible row: the melodic minor
  RebuildVisibleScales();
  BeginPracticeSelection();
  int x, y;
  CellCentre(3, 0, &x, &y);        // an empty slot: taken, but no drag starts
  EXPECT_TRUE(OnPracticeMouseDown(x, y));
  EXPECT_EQ(gPracticeRunData.dragging, 0);
  Drag(0, 0, 0, 1);
  ASSERT_EQ(gPracticeState, 2);
  int melodic = CatalogueIndexOf(&gScaleRows[kRowMelodicMinor]);
  EXPECT_EQ(gPracticeRunData.rowFirst, melodic);
  ASSERT_EQ(gPracticeRunData.steps.size(), 2u);
  EXPECT_EQ(gPracticeRunData.steps[1].achvRow, melodic);
  EXPECT_EQ(BuildRegionKey(), "U:r7-7:c0-1");
}

TEST_F(RunStates, CommandKeysWhileArmed) {
  // Modifiers, caps lock and the restart key do not start the run; other keys do.
  const struct { int key; bool starts; } keys[] = {{0x10, false}, {0xA5, false}, {0x14, false}, {'R', false},
                                                  {0x20, true}, {'A', true}, {0x1B, true}};
  for (const auto& k : keys) {
    SCOPED_TRACE(k.key);
    Arm(0, 0, 0, 0);
    EXPECT_EQ(OnPracticeCommandKey(k.key), k.starts);
    EXPECT_EQ(gPracticeState, k.starts ? 3 : 2);
    if (k.starts) {
      const PracticeRunData& r = gPracticeRunData;
      EXPECT_EQ(std::make_tuple(r.runStartMs, r.stepStats[0].startMs, r.stepStats[0].notes),
                std::make_tuple(ClockMs32(), ClockMs32(), 0));   // a key is no note
    }
    ExitPracticeRun();
  }
  EXPECT_FALSE(OnPracticeCommandKey(0x20));   // not armed
}

TEST_F(RunStates, CompletionStampedAheadOfTheClockDoesNotEndAtOnce) {
  Arm(0, 0, 0, 0);
  gPracticeState = 4;
  gPracticeRunData.completedMs = ClockMs32() + 5000;   // a device stamp slightly in the future
  gPracticeRunData.holdSeconds = 6.0f;
  gPracticeRunData.fadeSeconds = 1.0f;
  UpdatePracticeRunFrame(0.0f);
  EXPECT_EQ(gPracticeState, 4);
}

TEST_F(RunStates, FormatRunTime) {
  const struct { uint32_t ms; const char* text; } cases[] = {
      {59999, "59.99"}, {60000, "1:00.00"}, {3600000, "60:00.00"}, {4294967295u, "71582:47.29"}};
  for (const auto& c : cases) EXPECT_EQ(FormatRunTime(c.ms), c.text);
}

}  // namespace
