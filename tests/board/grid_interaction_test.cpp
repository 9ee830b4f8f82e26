// The grid under the mouse: hit tests in gaps, on edges and in a scrolled list; the Ctrl and
// Shift selection; clearing earned cells by Shift-click, double-click and Backspace with the
// status texts; and double clicks swallowed while a run is on.
#include <cmath>
#include <gtest/gtest.h>

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
  static void Press(int row, int col, bool ctrl, bool shift) {
    int x, y;
    CellCentre(row, col, &x, &y);
    ASSERT_TRUE(OnGridMouseDown(x, y, ctrl, shift));
  }
  static void ListView(int filter) {
    gScaleListMode = true;
    gScaleFilter = filter;
    RebuildVisibleScales();
  }
};

TEST_F(GridTest, HitTestCellsGapsAndEdges) {
  BoardLayout b = Layout();   // 1600 x 900: gap 2, cell 35.37 x 64
  float pitchX = b.cellW + b.cellGap, pitchY = b.cellH + b.cellGap;
  int left0 = (int)std::ceil(b.gridX), midX = (int)(b.gridX + b.cellW / 2), midY = (int)(b.gridY + b.cellH / 2);
  int lastX = (int)std::floor(b.gridX + 11 * pitchX + b.cellW);
  int bottom6 = (int)std::floor(b.gridY + 6 * pitchY + b.cellH);
  const struct { int x, y; const char* want; } cases[] = {
      {left0, midY, "0,0"},                                           // first pixel of the grid
      {left0 - 1, midY, "none"},
      {(int)std::floor(b.gridX + b.cellW), midY, "0,0"},              // last pixel of column 0
      {(int)std::ceil(b.gridX + b.cellW + 0.01f), midY, "none"},      // gap between columns
      {midX, (int)std::ceil(b.gridY + b.cellH + 0.01f), "none"},      // gap between rows
      {midX, (int)std::ceil(b.gridY + pitchY), "1,0"},
      {lastX, midY, "0,11"},
      {lastX + 1, midY, "none"},
      {midX, bottom6, "6,0"},
      {midX, bottom6 + 1, "none"},
      {midX, (int)std::floor(b.gridY) - 1, "none"},
      {(int)(b.gridX + 5 * pitchX + 3), (int)(b.gridY + 3 * pitchY + 3), "3,5"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hit(c.x, c.y), c.want) << c.x << "," << c.y;
}

TEST_F(GridTest, ScrolledListAndSlotsWithoutScale) {
  ListView(7);                          // all 50 scales
  gScaleListScroll = 5.5f;              // window position 2.5: slot 0 is half shown
  ASSERT_NEAR(ScaleWindowFraction(), 0.5f, 1e-6);
  BoardLayout b = Layout();
  int x = (int)(b.gridX + b.cellW / 2);
  float pitch = b.cellH + b.cellGap, top0 = b.gridY - 0.5f * pitch;
  EXPECT_EQ(Hit(x, (int)std::ceil(b.gridY)), "0,0");
  EXPECT_EQ(Hit(x, (int)std::ceil(top0 + b.cellH + 0.01f)), "none");
  EXPECT_EQ(Hit(x, (int)std::ceil(top0 + pitch)), "1,0");
  EXPECT_EQ(Hit(x, (int)std::floor(b.gridY) - 1), "none");

  ListView(1);                          // one row: the melodic minor
  gScaleListScroll = 0.0f;
  int y;
  CellCentre(1, 4, &x, &y);
  EXPECT_EQ(Hit(x, y), "none");
  // A range over empty slots picks only cells with a scale, in catalogue rows.
  ClickScaleCell(0, 2, false);
  ClickScaleCell(5, 3, true);
  int melodic = CatalogueIndexOf(&gScaleRows[kRowMelodicMinor]);
  EXPECT_EQ(gSelectedCells.size(), 2u);
  EXPECT_TRUE(Selected(melodic, 2) && Selected(melodic, 3));
  ClickScaleCell(4, 4, false);          // an empty slot changes nothing, the anchor included
  EXPECT_EQ(gSelectionAnchorRow, 0);
  EXPECT_EQ(gSelectedCells.size(), 2u);
}

TEST_F(GridTest, CtrlAndShiftSelection) {
  Press(2, 3, true, false);
  EXPECT_EQ(gStatusText, "1 picked - double-click or Backspace to clear");
  Press(2, 3, true, false);
  EXPECT_EQ(gStatusText, "Nothing picked");
  EXPECT_EQ(gRingPos, -1);                // a selection click selects no scale
  gSelectionAnchorRow = gSelectionAnchorCol = -1;
  Press(1, 1, true, true);                // no anchor yet: a plain toggle that sets it
  Press(3, 2, true, true);
  EXPECT_EQ(gSelectedCells.size(), 6u);   // rows 1..3 x columns 1..2
  Press(0, 0, true, true);                // a second rectangle from the same anchor
  EXPECT_EQ(gSelectedCells.size(), 9u);
  EXPECT_EQ(gStatusText, "9 picked - double-click or Backspace to clear");
  // A plain click previews the mode and key and keeps the selection.
  Press(1, 2, false, false);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_EQ(gSelectedCells.size(), 9u);
}

TEST_F(GridTest, ShiftClickAndDoubleClickClearOneEarnedCell) {
  Earn(1, 2);
  Earn(4, 4);
  Press(1, 2, false, false);              // a single click keeps it
  clock_.Advance(600);                    // too slow for a double click
  Press(1, 2, false, false);
  EXPECT_EQ(gAchvDone[1][2], 1);
  clock_.Advance(200);
  Press(1, 2, false, false);
  EXPECT_EQ(gAchvDone[1][2], 0);
  EXPECT_EQ(gAchvTime[1][2], 0);
  EXPECT_EQ(gAchvGlow[1][2] + gAchvSheen[1][2] + gAchvFlash[1][2], 0.0f);
  EXPECT_EQ(gAchvUpTracks[1][2].lastCompleteMs, 0u);
  EXPECT_NE(ReadData("achievements.dat").find("ACHV3"), std::string::npos);
  Press(4, 4, false, true);               // Shift-click clears at once
  EXPECT_EQ(gAchvDone[4][4], 0);
}

TEST_F(GridTest, ClearingTheSelectionAndItsTexts) {
  const struct {
    bool backspace;
    int earned;   // of the four selected cells
    const char* status;
  } cases[] = {{false, 1, "Cleared 1"}, {false, 0, "Nothing earned in that pick"},
               {true, 0, "Nothing earned in those 4"}, {true, 2, "Cleared 2"}, {true, 4, "Cleared 4"}};
  const int cells[4][2] = {{2, 2}, {2, 3}, {3, 2}, {3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    SetUp();
    for (int r = 0; r < 7; ++r)
      for (int col = 0; col < 12; ++col) gAchvDone[r][col] = 0;
    for (int i = 0; i < c.earned; ++i) Earn(cells[i][0], cells[i][1]);
    Earn(6, 11);                          // earned, not selected
    ClickScaleCell(2, 2, false);
    ClickScaleCell(3, 3, true);
    int x, y;
    CellCentre(3, 2, &x, &y);
    ASSERT_TRUE(c.backspace ? OnGridBackspace() : OnGridDoubleClick(x, y));
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_TRUE(gSelectedCells.empty());
    EXPECT_EQ(gSelectionAnchorRow, -1);
    for (const auto& cell : cells) EXPECT_EQ(gAchvDone[cell[0]][cell[1]], 0);
    EXPECT_EQ(gAchvDone[6][11], 1);
  }
  EXPECT_FALSE(OnGridBackspace());        // nothing selected: the key is not used

  // A double click outside the selection clears only its own cell and keeps the selection.
  Earn(0, 0);
  Earn(5, 5);
  ClickScaleCell(0, 0, false);
  int x, y;
  CellCentre(5, 5, &x, &y);
  ASSERT_TRUE(OnGridDoubleClick(x, y));
  EXPECT_EQ(gAchvDone[5][5], 0);
  EXPECT_EQ(gAchvDone[0][0], 1);
  EXPECT_TRUE(Selected(0, 0));
}

TEST_F(GridTest, DoubleClickSwallowedWhileARunIsOn) {
  Earn(0, 0);
  int x, y;
  CellCentre(0, 0, &x, &y);
  gPracticeState = 3;
  EXPECT_TRUE(OnGridDoubleClick(x, y));
  EXPECT_EQ(gAchvDone[0][0], 1);
  gPracticeState = 0;
  EXPECT_FALSE(PracticeStripSwallowsDoubleClick(x, y));
}

}  // namespace
