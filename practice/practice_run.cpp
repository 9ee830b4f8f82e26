// practice/practice_run: the run's states, region drag, steps, focus and per-frame update.
//
// The region is dragged on the grid in state 1; releasing the button builds the steps and arms
// the run (state 2); the first note or key starts it (state 3, practice_run_input); after the
// last step the complete state (4) holds for a while and then leaves by itself.
#include "practice/practice_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/base/pointer.h"
#include "app/base/ring_key_drag.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "midi/play_along.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "practice/achievements.h"
#include "practice/practice_run_input.h"
#include "practice/students.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"
#include "theory/scale_selection.h"

// ---- constants ----
static const float kDefaultStudentColour[3] = {0.18f, 0.84f, 0.26f};

// ---- state ----
int gPracticeState = kPracticeOff;               // one of the kPractice... states
PracticeRunData gPracticeRunData;                // the one run
PracticeStudent gPracticeStudent = {-1, "", 0.18f, 0.84f, 0.26f};
static PracticeCaptureFunction gCaptureFn = nullptr;   // null: the platform's
static PracticeCursorFunction gCursorFn = nullptr;

// ---- internal helpers ----
static void CaptureThroughHook(bool on) {
  if (gCaptureFn)
    gCaptureFn(on);
  else
    CaptureMouse(on);
}

void SetPracticeCursor(CursorShape shape) {
  if (gCursorFn)
    gCursorFn(shape);
  else
    SetCursorShape(shape);
}

// The grid row and column of a grid point; false off the cells and on a slot without a scale.
static bool RowAndColumnAt(const PracticeGridPoint& p, int* row, int* col) {
  if (!p.onCell) return false;
  int r = PracticeRowOfSlot(p.slot);
  if (r < 0) return false;
  *row = r;
  *col = p.col;
  return true;
}

// Clicks in the shown strip are swallowed while a run is armed, running or complete.
static bool StripTakesPoint(const PracticeGridPoint& p) { return IsPracticeStripShown() && p.inStrip; }

// ---- public functions ----
void SetPracticePointerFunctions(PracticeCaptureFunction capture, PracticeCursorFunction cursor) {
  gCaptureFn = capture;
  gCursorFn = cursor;
}

void ResetPracticeRunData() {
  PracticeRunData& d = gPracticeRunData;
  d.regionValid = d.dragging = 0;
  d.anchorRow = d.anchorCol = d.cursorRow = d.cursorCol = -1;
  d.rowFirst = d.rowLast = d.colFirst = d.colLast = -1;
  d.steps.clear();
  d.stepStats.clear();
  d.currentStep = 0;
  d.runStartMs = d.runEndMs = d.completedMs = 0;
  d.holdSeconds = d.fadeSeconds = 0.0f;
  d.regionListView = 0;
}

bool IsPracticeRunActive() { return gPracticeState >= kPracticeChoosing && gPracticeState <= kPracticeComplete; }

bool IsRegionSelectable() { return gPracticeState == kPracticeChoosing && IsPracticeStripShown(); }

CursorShape GetRegionCursor() { return kCursorCross; }

int PracticeRowOfSlot(int slot) {
  if (slot < 0 || slot > 6) return -1;
  if (!gScaleListMode) return slot;
  if (VisibleScaleCount() < 1) return -1;
  int step = std::max((int)std::floor(ScaleWindowPosition() + 0.0001f), 0);
  return VisibleScaleAt(step + slot);
}

void RefreshPracticeStudent() {
  PracticeStudent& p = gPracticeStudent;
  p.index = -1;
  p.name.clear();
  p.r = kDefaultStudentColour[0];
  p.g = kDefaultStudentColour[1];
  p.b = kDefaultStudentColour[2];
  if (gActiveStudentIndex < 0 || gActiveStudentIndex >= (int)gStudents.size()) return;
  const Student& s = gStudents[(size_t)gActiveStudentIndex];
  p.index = gActiveStudentIndex;
  p.name = s.name;
  p.r = std::clamp(s.r, 0.0f, 1.0f);
  p.g = std::clamp(s.g, 0.0f, 1.0f);
  p.b = std::clamp(s.b, 0.0f, 1.0f);
}

std::string GetActiveStudentId() {
  if (gActiveStudentIndex < 0 || gActiveStudentIndex >= (int)gStudents.size()) return std::string();
  return gStudents[(size_t)gActiveStudentIndex].id;
}

void BeginPracticeSelection() {
  RefreshPracticeStudent();
  ClearTeachingRunResults(gTeachingState);
  ResetPracticeRunData();
  gPracticeState = kPracticeChoosing;
}

void ExitPracticeRun() {
  gPracticeState = kPracticeOff;
  gPracticeRunData.dragging = 0;
  SetPracticeCursor(kCursorArrow);
  ResetPracticeRunData();
}

void RearmPracticeRun() {
  // A finished run still on show would put the last student's time beside the new one's record.
  if (gPracticeState != kPracticeRunning && gPracticeState != kPracticeComplete) return;
  if (!BuildPracticeSteps()) {
    ExitPracticeRun();
    return;
  }
  gPracticeState = kPracticeArmed;
  FocusPracticeStep();
}

void TogglePracticeRun() {
  RelayoutAll();
  if (IsPracticeRunActive())
    ExitPracticeRun();
  else
    BeginPracticeSelection();
}

bool OnPracticeGridDown(const PracticeGridPoint& p) {
  if (gPracticeState == kPracticeOff) return false;
  if (gPracticeState != kPracticeChoosing) return StripTakesPoint(p);

  if (!p.onCell) return StripTakesPoint(p);
  int row = PracticeRowOfSlot(p.slot);
  if (row < 0) return true;   // taken, but nothing starts on a slot without a scale
  PracticeRunData& d = gPracticeRunData;
  d.anchorRow = d.cursorRow = row;
  d.anchorCol = d.cursorCol = p.col;
  d.regionValid = 0;
  d.dragging = 1;
  CaptureThroughHook(true);
  return true;
}

bool IsPracticeRegionDragging() { return gPracticeState == kPracticeChoosing && gPracticeRunData.dragging; }

bool OnPracticeGridMove(const PracticeGridPoint& p) {
  PracticeRunData& d = gPracticeRunData;
  if (!IsPracticeRegionDragging()) return false;
  int row = -1, col = -1;
  if (RowAndColumnAt(p, &row, &col)) {
    d.cursorRow = row;
    d.cursorCol = col;
  }
  return true;
}

bool OnPracticeGridUp(const PracticeGridPoint& p) {
  PracticeRunData& d = gPracticeRunData;
  if (!IsPracticeRegionDragging()) return IsPracticeRunActive() ? StripTakesPoint(p) : false;

  d.dragging = 0;
  int row = -1, col = -1;
  if (RowAndColumnAt(p, &row, &col)) {
    d.cursorRow = row;
    d.cursorCol = col;
  }
  if (d.anchorRow < 0 || d.anchorCol < 0 || d.cursorRow < 0 || d.cursorCol < 0) return true;

  d.regionValid = 1;
  d.regionListView = gScaleListMode ? 1 : 0;
  d.rowFirst = std::min(d.anchorRow, d.cursorRow);
  d.rowLast = std::max(d.anchorRow, d.cursorRow);
  d.colFirst = std::min(d.anchorCol, d.cursorCol);
  d.colLast = std::max(d.anchorCol, d.cursorCol);
  if (!BuildPracticeSteps()) {
    d.regionValid = 0;
    return true;
  }
  gPracticeState = kPracticeArmed;
  SetPracticeCursor(kCursorArrow);
  FocusPracticeStep();
  return true;
}

bool OnPracticeCommandKey(int virtualKey) {
  if (gPracticeState != kPracticeArmed) return false;
  // A run held by a song does not start, so the key keeps its own command (Space plays the song).
  if (PracticeRunHeldBySong()) return false;
  // R keeps its own command; the modifiers (either side) and Caps Lock are no command at all.
  if (virtualKey == 'R' || virtualKey == kKeyCapital) return false;
  if ((virtualKey >= kKeyShift && virtualKey <= kKeyMenu) || (virtualKey >= kKeyLShift && virtualKey <= kKeyRMenu))
    return false;
  OnPracticeNoteOn(-1, 0, ClockMs32());
  return true;
}

void UpdatePracticeFrame(double nowSeconds, const PracticeGridPoint& pointer) {
  (void)nowSeconds;
  PracticeRunData& d = gPracticeRunData;
  if (IsPracticeRegionDragging()) {
    int row = -1, col = -1;
    if (RowAndColumnAt(pointer, &row, &col)) {
      d.cursorRow = row;
      d.cursorCol = col;
    }
    return;
  }
  if (gPracticeState == kPracticeComplete && d.completedMs != 0) {
    // A signed difference: a completion stamped a little ahead of the clock is not "long ago".
    int64_t sinceMs = (int32_t)(ClockMs32() - d.completedMs);
    double elapsed = std::max((double)sinceMs * 0.001, 0.0);
    if (elapsed > std::max((double)d.holdSeconds + (double)d.fadeSeconds, 0.2)) ExitPracticeRun();
  }
}

bool BuildPracticeSteps() {
  PracticeRunData& d = gPracticeRunData;
  d.steps.clear();
  d.stepStats.clear();
  if (!d.regionValid) return false;

  GetScaleCatalogue();
  bool listView = d.regionListView != 0;
  int highest = listView ? std::max((int)gScaleCatalogue.size() - 1, 0) : 6;
  d.rowFirst = std::clamp(d.rowFirst, 0, highest);
  d.rowLast = std::clamp(d.rowLast, 0, highest);
  d.colFirst = std::clamp(d.colFirst, 0, 11);
  d.colLast = std::clamp(d.colLast, 0, 11);

  for (int r = d.rowFirst; r <= d.rowLast; ++r) {
    const ScaleRow* scale = nullptr;
    if (listView) {
      if (r < 0 || r >= (int)gScaleCatalogue.size()) continue;
      scale = gScaleCatalogue[(size_t)r];
    } else {
      if (r > 6) continue;
      int index = CatalogueIndexOf(kChurchModes[r]);
      if (index < 0 || index >= (int)gScaleCatalogue.size()) continue;
      scale = gScaleCatalogue[(size_t)index];
    }
    if (!scale) continue;
    SyncAchievementRows();
    auto it = std::find(gScaleCatalogue.begin(), gScaleCatalogue.end(), scale);
    if (it == gScaleCatalogue.end()) continue;
    int achvRow = (int)(it - gScaleCatalogue.begin());
    if (achvRow >= (int)gAchvDone.size()) continue;
    for (int c = d.colFirst; c <= d.colLast; ++c) d.steps.push_back({c, achvRow, scale, c});
  }

  d.stepStats.assign(d.steps.size(), PracticeStepStats{});
  d.currentStep = 0;
  d.runStartMs = d.runEndMs = d.completedMs = 0;
  if (d.steps.empty()) return false;
  SyncTeachingPracticeScales();
  return true;
}

void FocusPracticeStep() {
  PracticeRunData& d = gPracticeRunData;
  if (d.currentStep < 0 || d.currentStep >= (int)d.steps.size()) return;
  const PracticeStep& step = d.steps[(size_t)d.currentStep];
  if (!step.scale) return;
  // A key picked on the circle a moment ago must not override the step's key.
  gRingPickActive = false;
  gRingPickPos = -1;
  gRingPickModeIndex = -1;
  gRingPickScale = nullptr;
  gRingPickTime = 0.0;
  CancelRingKeyDrag();
  SelectScale(step.scale, step.ringPos, true);
  if (gScaleListMode) {
    int position = VisibleIndexOf(step.achvRow);
    RebuildVisibleScales();
    if (position >= 0 && VisibleScaleCount() > 0) SetScaleListScroll((float)position, false, false);
  }
}

void SyncTeachingPracticeScales() {
  SyncTeachingSelection();
  TeachingState& t = gTeachingState;
  t.practiceScales.clear();
  t.practiceScales.reserve(gPracticeRunData.steps.size());
  for (const PracticeStep& step : gPracticeRunData.steps)
    if (step.scale && step.achvRow >= 0 && step.ringPos >= 0 && step.ringPos < 12)
      t.practiceScales.push_back((step.achvRow << 4) | step.ringPos);
  t.stepIndex = 0;
  t.sessionRunning = 0;
  t.sessionComplete = 0;
  t.stepHasHit = 0;
}


std::string FormatRunTime(uint32_t ms) {
  unsigned long minutes = (unsigned long)(ms / 60000u);
  unsigned long seconds = (unsigned long)(ms / 1000u % 60u);
  unsigned long hundredths = (unsigned long)(ms % 1000u / 10u);
  char text[48];
  if (ms < 60000u)
    std::snprintf(text, sizeof text, "%02lu.%02lu", seconds, hundredths);
  else
    std::snprintf(text, sizeof text, "%lu:%02lu.%02lu", minutes, seconds, hundredths);
  return text;
}
