// practice/pending: student and practice services the frame already calls whose bodies come later.
#pragma once
#include <cstdint>

#include "platform/input.h"
#include "practice/achievements.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"

extern bool gStudentNameEntryActive;      // the new-student entry has the keyboard focus

// Start-up loader of the practice runs.
void LoadPracticeRuns();
// Per-frame work of the practice subsystems.
void UpdatePracticeFrame(float now);
// The practice run's region cursor.
bool IsRegionSelectable();
CursorShape GetRegionCursor();
// A practice run is active (states 1..4).
bool IsPracticeRunActive();
