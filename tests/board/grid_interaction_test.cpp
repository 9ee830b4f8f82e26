// The grid under the mouse: hit tests in gaps, on edges and in a scrolled list; the Ctrl and
// Shift selection; clearing earned cells by Shift-click, double-click and Backspace with the
// status texts; and the practice strip swallowing double clicks while a run is on.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/board/board_fixture.h"

namespace {

class GridTest : public BoardTest {
 protected:
  // Hit test at a point; returns "slot,col" or "none".
  static std::string Hit(int x, int y) {
    int r = -1, c = -1;
    if (!HitTestScaleGrid(x, y, &r, &c)) return "none";
    return std::to_string(r) + "," + std::to_string(c);
  }
  static bool Selected(int achvRow, int col) { return gSelectedCells.count({achvRow, col}) != 0; }
  static void CtrlClick(int row, int col, bool shift = false) {
    int x, y;
    CellCentre(row, col, &x, &y);
    ASSERT_TRUE(OnGridMouseDown(x, y, true, shift));
  }
};

TEST_F(GridTest, HitTestCellsGapsAndEdges) {
  BoardLayout b = Layout();   // 1600 x 900: gap 2, cell 35.37 x 64
  float pitchX = b.cellW + b.cellGap, pitchY = b.cellH + b.cellGap;
  int left0 = (int)std::ceil(b.gridX);
  int right0 = (int)std::floor(b.gridX + b.cellW);
  int gapX = (int)std::ceil(b.gridX + b.cellW + 0.01f);   // inside the gap after column 0
  int top1 = (int)std::ceil(b.gridY + pitchY);
  int gapY = (int)std::ceil(b.gridY + b.cellH + 0.01f);
  int midY = (int)(b.gridY + b.cellH / 2);
  int midX = (int)(b.gridX + b.cellW / 2);
  int lastX = (int)std::floor(b.gridX + 11 * pitchX + b.cellW);
  int bottom6 = (int)std::floor(b.gridY + 6 * pitchY + b.cellH);
  const struct {
    int x, y;
    const char* want;
  } cases[] = {
      {midX, midY, "0,0"},
      {left0, midY, "0,0"},               // first pixel of the grid
      {left0 - 1, midY, "none"},          // left of the grid
      {right0, midY, "0,0"},              // last pixel of column 0
      {gapX, midY, "none"},               // the gap between columns 0 and 1
      {midX, gapY, "none"},               // the gap between rows 0 and 1
      {midX, top1, "1,0"},
      {lastX, midY, "0,11"},
      {lastX + 1, midY, "none"},
      {midX, bottom6, "6,0"},
      {midX, bottom6 + 1, "none"},
      {midX, (int)std::floor(b.gridY) - 1, "none"},   // above the grid
      {(int)(b.gridX + 5 * pitchX + 3), (int)(b.gridY + 3 * pitchY + 3), "3,5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(Hit(c.x, c.y), c.want);
  }
}

TEST_F(GridTest, ScrolledListHitsTheHalfVisibleTopSlot) {
  gScaleListMode = true;
  gScaleFilter = 7;                     // all 50 scales
  RebuildVisibleScales();
  gScaleListScroll = 5.5f;              // window position 2.5
  ASSERT_NEAR(ScaleWindowFraction(), 0.5f, 1e-6);
  BoardLayout b = Layout();
  int x = (int)(b.gridX + b.cellW / 2);
  float pitch = b.cellH + b.cellGap;
  float top0 = b.gridY - 0.5f * pitch;  // slot 0 starts above the grid
  EXPECT_EQ(Hit(x, (int)std::ceil(b.gridY)), "0,0");
  EXPECT_EQ(Hit(x, (int)std::floor(top0 + b.cellH)), "0,0");
  EXPECT_EQ(Hit(x, (int)std::ceil(top0 + b.cellH + 0.01f)), "none");   // gap
  EXPECT_EQ(Hit(x, (int)std::ceil(top0 + pitch)), "1,0");
  EXPECT_EQ(Hit(x, (int)std::floor(b.gridY) - 1), "none");              // above the grid
}

TEST_F(GridTest, ListSlotsWithoutScaleAreNotHit) {
  gScaleListMode = true;
  gScaleFilter = 1;   // one row: the melodic minor
  RebuildVisibleScales();
  int x, y;
  CellCentre(0, 4, &x, &y);
  EXPECT_EQ(Hit(x, y), "0,4");
  CellCentre(1, 4, &x, &y);
  EXPECT_EQ(Hit(x, y), "none");
}

TEST_F(GridTest, CtrlClickTogglesAndSetsTheAnchor) {
  CtrlClick(2, 3);
  EXPECT_TRUE(Selected(2, 3));
  EXPECT_EQ(gSelectionAnchorRow, 2);
  EXPECT_EQ(gSelectionAnchorCol, 3);
  EXPECT_EQ(gStatusText, "1 picked - double-click or Backspace to clear");
  CtrlClick(2, 3);
  EXPECT_FALSE(Selected(2, 3));
  EXPECT_EQ(gStatusText, "Nothing picked");
  // A click that does not touch the selection state does not select a scale either.
  EXPECT_EQ(gRingPos, -1);
}

TEST_F(GridTest, ShiftCtrlAddsRectanglesFromOneAnchor) {
  CtrlClick(1, 1, true);   // no anchor yet: a plain toggle that sets the anchor
  EXPECT_TRUE(Selected(1, 1));
  EXPECT_EQ(gSelectionAnchorRow, 1);
  CtrlClick(3, 2, true);
  EXPECT_EQ(gSelectedCells.size(), 6u);   // rows 1..3 x columns 1..2
  EXPECT_EQ(gSelectionAnchorRow, 1);      // the anchor stays
  EXPECT_EQ(gSelectionAnchorCol, 1);
  CtrlClick(0, 0, true);                  // a second rectangle from the same anchor
  EXPECT_EQ(gSelectedCells.size(), 9u);   // adds (0,0), (0,1), (1,0); (1,1) was there
  EXPECT_TRUE(Selected(0, 0));
  EXPECT_EQ(gStatusText, "9 picked - double-click or Backspace to clear");
}

TEST_F(GridTest, RangeSkipsSlotsWithoutScale) {
  gScaleListMode = true;
  gScaleFilter = 1;
  RebuildVisibleScales();
  ClickScaleCell(0, 2, false);
  ClickScaleCell(5, 3, true);
  int melodic = CatalogueIndexOf(&gScaleRows[kRowMelodicMinor]);
  EXPECT_EQ(gSelectedCells.size(), 2u);
  EXPECT_TRUE(Selected(melodic, 2));
  EXPECT_TRUE(Selected(melodic, 3));
  // A single pick on an empty slot changes nothing, the anchor included.
  ClickScaleCell(4, 4, false);
  EXPECT_EQ(gSelectedCells.size(), 2u);
  EXPECT_EQ(gSelectionAnchorRow, 0);
  ClickScaleCell(7, 0, false);    // outside the window
  ClickScaleCell(0, 12, false);
  EXPECT_EQ(gSelectedCells.size(), 2u);
}

TEST_F(GridTest, SelectionSurvivesScrolling) {
  gScaleListMode = true;
  gScaleFilter = 7;
  RebuildVisibleScales();
  gScaleListScroll = 3.0f;           // window position 0
  ClickScaleCell(6, 0, false);       // catalogue row 6 (Locrian)
  gScaleListScroll = 6.0f;           // window position 3: the same scale now sits in slot 3
  EXPECT_TRUE(Selected(6, 0));
  ClickScaleCell(3, 0, false);       // toggles the same achievement cell off
  EXPECT_TRUE(gSelectedCells.empty());
}

TEST_F(GridTest, PlainClickPreviewsModeAndKey) {
  int x, y;
  CellCentre(1, 2, &x, &y);          // Dorian at ring position 2 (D)
  ASSERT_TRUE(OnGridMouseDown(x, y, false, false));
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_EQ(gRingPos, 2);
}

TEST_F(GridTest, ShiftClickAndDoubleClickClearOneEarnedCell) {
  Earn(1, 2);
  Earn(4, 4);
  int x, y;
  CellCentre(1, 2, &x, &y);
  ASSERT_TRUE(OnGridMouseDown(x, y, false, false));   // a single click keeps it
  EXPECT_EQ(gAchvDone[1][2], 1);
  clock_.Advance(600);                                // too slow for a double click
  ASSERT_TRUE(OnGridMouseDown(x, y, false, false));
  EXPECT_EQ(gAchvDone[1][2], 1);
  clock_.Advance(200);                                // the second press of a double click
  ASSERT_TRUE(OnGridMouseDown(x, y, false, false));
  EXPECT_EQ(gAchvDone[1][2], 0);
  EXPECT_EQ(gAchvTime[1][2], 0);
  EXPECT_EQ(gAchvFlash[1][2], 0.0f);
  EXPECT_EQ(gAchvGlow[1][2], 0.0f);
  EXPECT_EQ(gAchvSheen[1][2], 0.0f);
  EXPECT_EQ(gAchvUpTracks[1][2].lastCompleteMs, 0u);
  EXPECT_NE(ReadFileBytes(dir_.File("Data/achievements.dat")).find("ACHV3"), std::string::npos);

  CellCentre(4, 4, &x, &y);
  ASSERT_TRUE(OnGridMouseDown(x, y, false, true));    // Shift-click clears at once
  EXPECT_EQ(gAchvDone[4][4], 0);
}

TEST_F(GridTest, DoubleClickInsideTheSelectionClearsIt) {
  const struct {
    bool earnFirst;
    const char* status;
  } cases[] = {{true, "Cleared 1"}, {false, "Nothing earned in that pick"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    SetUp();
    if (c.earnFirst) Earn(0, 0);
    ClickScaleCell(0, 0, false);
    ClickScaleCell(1, 1, true);                       // 4 cells
    int x, y;
    CellCentre(1, 0, &x, &y);
    ASSERT_TRUE(OnGridDoubleClick(x, y));
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_TRUE(gSelectedCells.empty());
    EXPECT_EQ(gSelectionAnchorRow, -1);
    EXPECT_EQ(gSelectionAnchorCol, -1);
    EXPECT_EQ(gAchvDone[0][0], 0);
  }
}

TEST_F(GridTest, DoubleClickOutsideTheSelectionClearsOnlyThatCell) {
  Earn(0, 0);
  Earn(5, 5);
  ClickScaleCell(0, 0, false);
  int x, y;
  CellCentre(5, 5, &x, &y);
  ASSERT_TRUE(OnGridDoubleClick(x, y));
  EXPECT_EQ(gAchvDone[5][5], 0);
  EXPECT_EQ(gAchvDone[0][0], 1);          // selected but not clicked: kept
  EXPECT_TRUE(Selected(0, 0));            // the selection stays
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowAeolian]);
}

TEST_F(GridTest, BackspaceClearsTheSelection) {
  const struct {
    int earned;
    const char* status;
  } cases[] = {{0, "Nothing earned in those 4"}, {2, "Cleared 2"}, {4, "Cleared 4"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    SetUp();
    const int cells[4][2] = {{2, 2}, {2, 3}, {3, 2}, {3, 3}};
    for (int i = 0; i < c.earned; ++i) Earn(cells[i][0], cells[i][1]);
    Earn(6, 11);                          // earned, not selected
    ClickScaleCell(2, 2, false);
    ClickScaleCell(3, 3, true);
    ASSERT_TRUE(OnGridBackspace());
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_TRUE(gSelectedCells.empty());
    EXPECT_EQ(gSelectionAnchorRow, -1);
    for (const auto& cell : cells) EXPECT_EQ(gAchvDone[cell[0]][cell[1]], 0);
    EXPECT_EQ(gAchvDone[6][11], 1);
  }
  EXPECT_FALSE(OnGridBackspace());        // nothing selected: the key is not used
}

TEST_F(GridTest, ClearSelectedGoldCellsCountsAndKeepsTheSet) {
  Earn(0, 1);
  ClickScaleCell(0, 1, false);
  ClickScaleCell(0, 2, false);
  EXPECT_EQ(ClearSelectedGoldCells(), 1);
  EXPECT_EQ(gSelectedCells.size(), 2u);
  EXPECT_EQ(ClearSelectedGoldCells(), 0);
  EXPECT_FALSE(FileExists(dir_.File("Data/achievements.dat.tmp")));
}

TEST_F(GridTest, StripVisibilityAndDoubleClickSwallowing) {
  BoardLayout b = Layout();
  int inX = (int)(b.stripX + 3), inY = (int)(b.stripY + 3);   // strip corner, not a cell
  EXPECT_TRUE(IsPointInPracticeStrip(inX, inY));
  EXPECT_FALSE(IsPointInPracticeStrip((int)b.stripX - 1, inY));

  const struct {
    bool strip;
    float fade;
    bool practiceMode;
    bool learning;
    bool shown;
  } cases[] = {{true, 1.0f, false, false, true},  {true, 0.12f, false, false, false},
               {false, 1.0f, false, false, false}, {true, 1.0f, true, false, false},
               {true, 1.0f, false, true, false}};
  for (const auto& c : cases) {
    gPracticeStrip = c.strip;
    gPracticeStripFade = c.fade;
    gPracticeMode = c.practiceMode;
    gLearningOverlay = c.learning;
    EXPECT_EQ(IsPracticeStripShown(), c.shown);
  }
  gPracticeStrip = true;
  gPracticeStripFade = 1.0f;
  gPracticeMode = gLearningOverlay = false;

  Earn(0, 0);
  int x, y;
  CellCentre(0, 0, &x, &y);
  gPracticeState = 3;
  EXPECT_TRUE(OnGridDoubleClick(x, y));   // swallowed: nothing is cleared
  EXPECT_EQ(gAchvDone[0][0], 1);
  gPracticeState = 0;
  EXPECT_FALSE(PracticeStripSwallowsDoubleClick(x, y));
}

}  // namespace
