// Fixtures shared by the board and practice tests: a temporary program folder with empty student
// and achievement records, and on top of it the board at 1600 x 900 with its view flags, scale
// selection and grid selection back at a known start.
#pragma once
#include <gtest/gtest.h>

#include <string>

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

class PracticeFilesTest : public ::testing::Test {
 protected:
  PracticeFilesTest() : exe_(dir_.path()) {
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStudentsLoaded = false;
    gAchvDone.clear();
    gAchvTime.clear();
    for (auto* t : {&gAchvFlash, &gAchvGlow, &gAchvSheen, &gAchvEarnedAt}) t->clear();
    gAchvUpTracks.clear();
    gAchvDownTracks.clear();
    SyncAchievementRows();
  }
  std::string Data(const std::string& name) const { return dir_.File("Data/" + name); }
  std::string Exe(const std::string& name) const { return dir_.File(name); }
  void WriteData(const std::string& name, const std::string& bytes) { WriteFileBytes(Data(name), bytes); }
  std::string ReadData(const std::string& name) const { return ReadFileBytes(Data(name)); }
  bool DataExists(const std::string& name) const { return FileExists(Data(name)); }

  TempDir dir_;
  ScopedExeDir exe_;
};

// A student with the default colour.
inline Student MakeStudent(const std::string& name, const std::string& id) {
  Student s;
  s.name = name;
  s.id = id;
  return s;
}

class BoardTest : public PracticeFilesTest {
 protected:
  void SetUp() override {
    gClientWidth = 1600;
    gClientHeight = 900;
    gLearningOverlay = gPracticeMode = gSongView = gRingMode = false;
    gPracticeState = 0;
    gPracticeStrip = true;
    gPracticeStripFade = 1.0f;
    gStudentView = false;
    gStatusText.clear();
    ResetScaleSelection();
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
  // The centre of a cell of the grid as shown (a scrolled list moves it by the window fraction).
  static void CellCentre(int slot, int col, int* x, int* y) {
    BoardLayout b = Layout();
    *x = (int)(b.gridX + (float)col * (b.cellW + b.cellGap) + b.cellW / 2.0f);
    *y = (int)(b.gridY + ((float)slot - ScaleWindowFraction()) * (b.cellH + b.cellGap) + b.cellH / 2.0f);
  }
  // Marks a cell earned, with its timers running.
  static void Earn(int row, int col) {
    gAchvDone[row][col] = 1;
    gAchvTime[row][col] = 1700000000;
    gAchvFlash[row][col] = 0.5f;
    gAchvGlow[row][col] = 20.0f;
    gAchvSheen[row][col] = 2.2f;
    gAchvUpTracks[row][col].lastCompleteMs = 77;
  }

  ScopedDrivenClock clock_;
};
