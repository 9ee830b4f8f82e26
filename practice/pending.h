// practice/pending: student and practice services the frame already calls whose bodies come later.
#pragma once
#include <cstdint>

#include "platform/input.h"
#include "practice/achievements.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"

extern bool gStudentNameEntryActive;      // the new-student entry has the keyboard focus

