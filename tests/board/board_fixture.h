// tests/board: the practice view's fixture with the board's grid selection reset, and the board's
// rectangles and cell centres as shown.
#pragma once
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "tests/practice/practice_fixture.h"

// The board's layout for the current client size and view state.
inline BoardLayout BoardLayoutNow() {
  BoardLayout b;
  ComputeBoardLayout(&b);
  return b;
}

// The centre of a cell of the grid as shown (a scrolled list moves it by the window fraction).
inline void BoardCellCentre(int slot, int col, int* x, int* y) {
  BoardLayout b = BoardLayoutNow();
  *x = (int)(b.gridX + (float)col * (b.cellW + b.cellGap) + b.cellW / 2.0f);
  *y = (int)(b.gridY + ((float)slot - ScaleWindowFraction()) * (b.cellH + b.cellGap) + b.cellH / 2.0f);
}

class BoardTest : public PracticeViewTest {
 protected:
  void SetUp() override {
    PracticeViewTest::SetUp();
    gSelectedCells.clear();
    gSelectionAnchorRow = gSelectionAnchorCol = -1;
    ResetGridClickMemory();
  }

  static BoardLayout Layout() { return BoardLayoutNow(); }
  static void CellCentre(int slot, int col, int* x, int* y) { BoardCellCentre(slot, col, x, y); }
};
