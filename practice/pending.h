// practice/pending: student and practice services the frame already calls whose bodies come later.
#pragma once
#include <cstdint>

#include "platform/input.h"
#include "practice/achievements.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"

struct TeachingState;
extern TeachingState gTeachingState;      // the active student's teaching settings
extern int gPendingSaves;                 // background saves in flight
extern bool gStudentNameEntryActive;      // the new-student entry has the keyboard focus

// Start-up loader of the practice runs.
void LoadPracticeRuns();
// Per-frame work of the practice subsystems.
void UpdatePracticeFrame(float now);
void SyncTeachingSelection();
void UpdateTeachingMeters(TeachingState* state, double dt);
void UpdateTeachingTimeline(TeachingState* state, double dt);
void TickNoteScheduler(uint32_t frameStartMs);
// The practice run's region cursor.
bool IsRegionSelectable();
CursorShape GetRegionCursor();
// A practice run is active (states 1..4).
bool IsPracticeRunActive();
