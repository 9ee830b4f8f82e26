// tests/practice: a fixture for practice runs: a temporary program folder, a 1600 x 900 window
// with the practice strip shown, church-mode view on C Ionian, a fresh run, teaching record and
// run records, recorders in place of the pointer services, and helpers to drag regions and play
// scales straight into the run's input functions.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/pending.h"
#include "app/view_flags.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "practice/achievement_tracking.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/practice_run_input.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"
#include "tests/practice/practice_fixture.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/ring_mode.h"

// What the run asked of the pointer.
inline std::vector<std::string> gPointerCalls;
inline void RecordCapture(bool on) { gPointerCalls.push_back(on ? "capture" : "release"); }
inline void RecordCursor(CursorShape shape) {
  gPointerCalls.push_back(shape == kCursorArrow ? "arrow" : shape == kCursorCross ? "cross" : "other");
}

class PracticeRunTest : public PracticeFilesTest {
 protected:
  void SetUp() override {
    gClientWidth = 1600;
    gClientHeight = 900;
    gLearningOverlay = gPracticeMode = gSongView = gRingMode = gPlaying = gWaitMode = false;
    gSongEvents.clear();
    gPracticeStrip = true;
    gPracticeStripFade = 1.0f;
    gStudentView = false;
    gHighlightPulse = 0.0f;
    gPracticeCellFlashTimer = 0.0f;
    gMouseX = gMouseY = -10000;
    gStatusText.clear();
    ResetScaleSelection();
    gSelectedCells.clear();
    gSelectionAnchorRow = gSelectionAnchorCol = -1;
    gPracticeState = 0;
    ResetPracticeRunData();
    gPracticeRuns.clear();
    gPracticeRunsLoaded = false;
    gTeachingState = TeachingState{};
    gTeachingState.dataFolder = dir_.File("Data");
    gTeachingLevel = 0.5f;
    gPointerCalls.clear();
    SetPracticePointerFunctions(RecordCapture, RecordCursor);
  }
  void TearDown() override {
    WaitForPendingSaves();
    SetPracticePointerFunctions(nullptr, nullptr);
    gPracticeState = 0;
    ResetScaleSelection();
  }

  static void AddActiveStudent(const std::string& name, const std::string& id) {
    gStudents.push_back(MakeStudent(name, id));
    gActiveStudentIndex = (int)gStudents.size() - 1;
  }
  static void CellCentre(int slot, int col, int* x, int* y) {
    BoardLayout b;
    ComputeBoardLayout(&b);
    float frac = ScaleWindowFraction();
    *x = (int)(b.gridX + (float)col * (b.cellW + b.cellGap) + b.cellW / 2.0f);
    *y = (int)(b.gridY + ((float)slot - frac) * (b.cellH + b.cellGap) + b.cellH / 2.0f);
  }
  // Presses the practice-run button.
  static bool ClickRunButton() {
    RectF r = GetPracticeRunButtonRect();
    return OnPracticeMouseDown((int)(r.x + r.w / 2), (int)(r.y + r.h / 2));
  }
  // Drags from one grid cell to another through the move handler.
  static void Drag(int slot0, int col0, int slot1, int col1) {
    int x, y;
    CellCentre(slot0, col0, &x, &y);
    ASSERT_TRUE(OnPracticeMouseDown(x, y));
    CellCentre(slot1, col1, &gMouseX, &gMouseY);
    ASSERT_TRUE(OnPracticeMouseMove());
    ASSERT_TRUE(OnPracticeMouseUp(gMouseX, gMouseY));
  }
  // Chooses a region and arms the run.
  // Arming hands the plan to the teaching record, whose first load sets the level slider from
  // the student's difficulty; the case's own level is put back.
  static void Arm(int slot0, int col0, int slot1, int col1) {
    float level = gTeachingLevel;
    BeginPracticeSelection();
    Drag(slot0, col0, slot1, col1);
    gTeachingLevel = level;
    ASSERT_EQ(gPracticeState, 2);
  }
  // The ascending notes of a scale from the tonic of a ring position up an octave, from base.
  static std::vector<int> UpwardRun(const ScaleRow* scale, int ringPos, int base = 60) {
    int tonic = base + kFifthsOrder[ringPos];
    std::vector<int> notes;
    for (int i = 0; i < scale->count; ++i) notes.push_back(tonic + scale->pcs[i]);
    notes.push_back(tonic + 12);
    return notes;
  }
  // Plays notes straight into the run's input and the achievement tracker, one every gapMs.
  void Play(const std::vector<int>& notes, uint32_t gapMs) {
    for (int note : notes) {
      clock_.Advance(gapMs);
      uint32_t ms = ClockMs32();
      OnPracticeNoteOn(note, 90, ms);
      TrackAchievementNote(note, ms);
    }
  }

  ScopedDrivenClock clock_;
};
