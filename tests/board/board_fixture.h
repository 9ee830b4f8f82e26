// tests/board: a fixture that puts the window size, the view flags, the scale selection, the
// achievement matrix and the grid's selection back to a known start for every case.
#pragma once
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/pending.h"
#include "app/view_flags.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "midi/play_along.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "tests/support/test_support.h"
#include "theory/scale_selection.h"
#include "visual/ring_mode.h"

class BoardTest : public ::testing::Test {
 protected:
  BoardTest() : exe_(dir_.path()) {}
  void SetUp() override {
    gClientWidth = 1600;
    gClientHeight = 900;
    gLearningOverlay = gPracticeMode = gSongView = gRingMode = false;
    gPracticeState = 0;
    gPracticeStrip = true;
    gPracticeStripFade = 1.0f;
    gStudentView = false;
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStatusText.clear();
    ResetScaleSelection();
    gAchvDone.clear();
    gAchvTime.clear();
    gAchvFlash.clear();
    gAchvGlow.clear();
    gAchvSheen.clear();
    gAchvEarnedAt.clear();
    gAchvUpTracks.clear();
    gAchvDownTracks.clear();
    SyncAchievementRows();
    gSelectedCells.clear();
    gSelectionAnchorRow = gSelectionAnchorCol = -1;
    ResetGridClickMemory();
  }
  void TearDown() override {
    gPracticeState = 0;
    ResetScaleSelection();
  }

  static BoardLayout Layout() {
    BoardLayout b;
    ComputeBoardLayout(&b);
    return b;
  }
  // The centre of a cell of the unscrolled grid, in whole pixels.
  static void CellCentre(int row, int col, int* x, int* y) {
    BoardLayout b = Layout();
    *x = (int)(b.gridX + (float)col * (b.cellW + b.cellGap) + b.cellW / 2.0f);
    *y = (int)(b.gridY + (float)row * (b.cellH + b.cellGap) + b.cellH / 2.0f);
  }
  // Marks a cell earned at a wall-clock time.
  static void Earn(int row, int col) {
    gAchvDone[row][col] = 1;
    gAchvTime[row][col] = 1700000000;
    gAchvFlash[row][col] = 0.5f;
    gAchvGlow[row][col] = 20.0f;
    gAchvSheen[row][col] = 2.2f;
    gAchvUpTracks[row][col].lastCompleteMs = 77;
  }

  TempDir dir_;
  ScopedExeDir exe_;
  ScopedDrivenClock clock_;
};
