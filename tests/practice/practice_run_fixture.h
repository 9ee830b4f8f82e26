// tests/practice: practice runs on the board: a fresh run, teaching record and run records,
// recorders in place of the pointer services, and helpers to drag regions over grid cells and play
// scales straight into the run's input functions.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/view_modes.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/practice_run_input.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"
#include "tests/practice/practice_fixture.h"
#include "theory/circle_theory.h"

// What the run asked of the pointer.
inline std::vector<std::string> gPointerCalls;
inline void RecordCapture(bool on) { gPointerCalls.push_back(on ? "capture" : "release"); }
inline void RecordCursor(CursorShape shape) {
  gPointerCalls.push_back(shape == kCursorArrow ? "arrow" : shape == kCursorCross ? "cross" : "other");
}

class PracticeRunTest : public PracticeViewTest {
 protected:
  void SetUp() override {
    PracticeViewTest::SetUp();
    gPlaying = false;
    ResetPracticeRecords();
    gSongEvents.clear();
    gHighlightPulse = gPracticeCellFlashTimer = 0.0f;
    ResetPracticeRunData();
    ResetTeachingRecord();
    ResetFailedTeachingSaves();
    gTeachingState.dataFolder = dir_.File("Data");
    gTeachingLevel = 0.5f;
    gPointerCalls.clear();
    SetPracticePointerFunctions(RecordCapture, RecordCursor);
  }
  void TearDown() override {
    WaitForPendingSaves();
    SetPracticePointerFunctions(nullptr, nullptr);
    PracticeViewTest::TearDown();
  }

  static void AddActiveStudent(const std::string& name, const std::string& id) {
    gStudents.push_back(MakeStudent(name, id));
    gActiveStudentIndex = (int)gStudents.size() - 1;
  }
  // The grid point of a cell of the board (outside the strip's other parts).
  static PracticeGridPoint Cell(int slot, int col) { return PracticeGridPoint{true, slot, col, true}; }
  // Drags from one grid cell to another through the move handler.
  static void Drag(int slot0, int col0, int slot1, int col1) {
    ASSERT_TRUE(OnPracticeGridDown(Cell(slot0, col0)));
    ASSERT_TRUE(OnPracticeGridMove(Cell(slot1, col1)));
    ASSERT_TRUE(OnPracticeGridUp(Cell(slot1, col1)));
  }
  // Chooses a region and arms the run. Arming loads the teaching record, which sets the level
  // slider from the student's difficulty: the case's own level is put back.
  static void Arm(int slot0, int col0, int slot1, int col1) {
    float level = gTeachingLevel;
    BeginPracticeSelection();
    Drag(slot0, col0, slot1, col1);
    gTeachingLevel = level;
    ASSERT_EQ(gPracticeState, kPracticeArmed);
  }
  // A scale from the tonic of a ring position up an octave, from base.
  static std::vector<int> UpwardRun(const ScaleRow* scale, int ringPos, int base = 60) {
    int tonic = base + kFifthsOrder[ringPos];
    std::vector<int> notes;
    for (int i = 0; i < scale->count; ++i) notes.push_back(tonic + scale->pcs[i]);
    notes.push_back(tonic + 12);
    return notes;
  }
};
