// practice/practice_run: the timed practice run over a region of the board's scale grid: its
// states, the region chosen by dragging, the steps (the region's cells row by row), the focus on
// the current step, the per-frame update and leaving the run.
//
// Times are note-clock milliseconds (ClockMs32, the clock of device note time stamps).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/input.h"
#include "practice/practice_run_state.h"
#include "theory/scale_rows.h"

// One cell of the region.
struct PracticeStep {
  int32_t column;          // 0..11, a ring position
  int32_t achvRow;         // the scale's catalogue position (its achievement row)
  const ScaleRow* scale;
  int32_t ringPos;         // the key as a ring position (the column)
};

// What was played in one step, and its scores.
struct PracticeStepStats {
  uint32_t startMs;        // when the step became current, 0 = none
  uint32_t doneMs;         // the note that completed it
  uint32_t lastNoteMs;     // latest note of the step
  uint32_t longestGapMs;   // longest gap between two notes of the step
  int32_t notes;           // notes played
  int32_t inScaleNotes;    // of them in the step's scale and key
  int32_t gridNotes;       // notes judged against the beat grid
  int32_t onBeatNotes;     // of them inside the on-beat window
  double offsetMeanMs;     // running mean of |offset from the nearest beat|
  double offsetM2;         // its running sum of squared deviations
  int32_t gaps;            // gaps measured
  double gapMeanMs;        // running mean of the gaps
  double gapM2;            // its running sum of squared deviations
  int32_t hesitations;     // gaps above the hesitation threshold
  uint8_t hit;             // the step was completed
  float score, rhythm, accuracy, flow, pace;   // 0..1
};

// The one run.
struct PracticeRunData {
  uint8_t regionValid;     // a region has been chosen
  uint8_t dragging;        // a region drag is under way
  int32_t anchorRow, anchorCol;   // where the drag began, -1 none
  int32_t cursorRow, cursorCol;   // the cell under the mouse during the drag, -1 none
  int32_t rowFirst, rowLast, colFirst, colLast;   // the region, first <= last; -1 none
  std::vector<PracticeStep> steps;
  std::vector<PracticeStepStats> stepStats;       // one per step
  int32_t currentStep;
  uint32_t runStartMs;     // the input that started the run, 0 = not started
  uint32_t runEndMs;       // the note that completed the last step
  uint32_t completedMs;    // the same, for the complete state's hold; 0 = none
  float holdSeconds, fadeSeconds;   // how long the complete state stays
  uint8_t regionListView;  // the region's rows were chosen in list view (catalogue indices)
};

// The run's student and colour.
struct PracticeStudent {
  int index;               // the active student, -1 none
  std::string name;
  float r, g, b;
};

extern PracticeRunData gPracticeRunData;
extern PracticeStudent gPracticeStudent;

// The record's reset value (both flags 0, region -1, vectors empty, numbers 0).
void ResetPracticeRunData();
// Enters state 1: a region may be dragged on the grid.
void BeginPracticeSelection();
// Leaves the run from any state (state 0, arrow cursor, run data reset).
void ExitPracticeRun();
// A run under way, or one finished and still shown, goes back to its first step, armed (state 2):
// a run is recorded for whoever is active when it ends, so another student taking over must start
// it afresh.
void RearmPracticeRun();
// State 1 while the practice strip is shown: the cursor becomes GetRegionCursor().
bool IsRegionSelectable();
// The cursor over a selectable region.
CursorShape GetRegionCursor();
// The grid row of a window slot: the slot in church-mode view, the catalogue index in list view;
// -1 for none.
int PracticeRowOfSlot(int slot);

// Where a point lies on the board, as the board's hit test found it (board/practice_run_mouse).
struct PracticeGridPoint {
  bool onCell = false;    // the point lies on a cell of the grid
  int slot = -1;          // that cell's window slot 0..6
  int col = -1;           // and its column 0..11
  bool inStrip = false;   // the point lies in the practice strip
};

// The practice-run button was pressed: leaves an active run, else begins choosing a region.
void TogglePracticeRun();
// Left button down away from the button; true when taken.
bool OnPracticeGridDown(const PracticeGridPoint& p);
// Mouse move; true when taken (only during the region drag).
bool OnPracticeGridMove(const PracticeGridPoint& p);
// Left button up, called on every release; true when taken.
bool OnPracticeGridUp(const PracticeGridPoint& p);
// A region is being dragged on the grid (state 1 with the button held).
bool IsPracticeRegionDragging();
// A command key while the window procedure has nothing else for it: an armed run starts on any
// key but R, the modifiers and Caps Lock. True when the key was used here.
bool OnPracticeCommandKey(int virtualKey);
// Once per frame with GetAppSeconds() and the pointer's grid point (read only during the region
// drag): the drag follows the pointer, the complete state ends after its hold.
void UpdatePracticeFrame(double nowSeconds, const PracticeGridPoint& pointer);

// Fills the steps and their statistics from the region; true when at least one step exists.
bool BuildPracticeSteps();
// Shows the current step's scale and key.
void FocusPracticeStep();
// Hands the steps to the teaching state as its practice plan.
void SyncTeachingPracticeScales();
// The run's student from the active student (a green default without one).
void RefreshPracticeStudent();
// A copy of the active student's id, "" when none.
std::string GetActiveStudentId();

// "ss.hh" below a minute, else "m:ss.hh".
std::string FormatRunTime(uint32_t ms);

// The pointer services the run uses; null restores the platform's. Tests put recorders in.
using PracticeCaptureFunction = void (*)(bool on);
using PracticeCursorFunction = void (*)(CursorShape shape);
void SetPracticePointerFunctions(PracticeCaptureFunction capture, PracticeCursorFunction cursor);
// Sets the pointer shape through those services.
void SetPracticeCursor(CursorShape shape);
