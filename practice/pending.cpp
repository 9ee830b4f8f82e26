// practice/pending: functions of the practice records that others build in parallel.
#include "practice/pending.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "practice/practice_run_input.h"
#include "practice/practice_run_state.h"

int gPracticeState = 0;
bool gStudentNameEntryActive = false;

// Filled in later with the practice runs.
void LoadPracticeRuns() {}
// Filled in later with the practice runs.
void UpdatePracticeFrame(float) {}
// Filled in later with the practice runs.
bool IsRegionSelectable() { return false; }
// Filled in later with the practice runs.
CursorShape GetRegionCursor() { return kCursorNone; }
// Filled in later with the practice runs.
bool IsPracticeRunActive() { return false; }
// Filled in later with the practice run.
void OnPracticeCellPlayed(const std::vector<std::pair<int, int>>&, uint32_t) {}
// Filled in later with the practice run's note input.
void OnPracticeNoteOn(int, int, uint32_t) {}
// Filled in later with the practice run's note input.
void RecordPracticeStepTiming(int, uint32_t) {}
// Filled in later with the practice run.
float gPracticeCellFlashTimer = 0;
