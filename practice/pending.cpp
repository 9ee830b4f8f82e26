// practice/pending: functions of the practice records that others build in parallel.
#include "practice/pending.h"

#include "practice/practice_run_state.h"

bool gStudentNameEntryActive = false;

// Filled in later with the practice run.
float gPracticeCellFlashTimer = 0;
