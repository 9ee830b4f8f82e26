// tests/board: the practice run driven through the board's pixels: the run button and cells hit
// at their centres on screen.
#pragma once
#include "app/base/pointer.h"
#include "board/practice_run_mouse.h"
#include "tests/board/board_fixture.h"
#include "tests/practice/practice_run_fixture.h"

class PracticeRunMouseTest : public PracticeRunTest {
 protected:
  void SetUp() override {
    PracticeRunTest::SetUp();
    gMouseX = gMouseY = -10000;
  }

  static void CellCentre(int slot, int col, int* x, int* y) { BoardCellCentre(slot, col, x, y); }
  static bool ClickRunButton() {
    RectF r = GetPracticeRunButtonRect();
    return OnPracticeMouseDown((int)(r.x + r.w / 2), (int)(r.y + r.h / 2));
  }
};
