// practice/practice_scoring: the five scores of a completed step and the six end-of-run scores
// that go into the teaching state's meters.
#pragma once
#include "practice/practice_run.h"

// Scores one step (score, rhythm, accuracy, flow, pace, each 0..1) from its statistics.
void ScorePracticeStep(const PracticeStep& step, PracticeStepStats& stats);
// Averages the completed steps into the teaching state's run scores and meters.
void ScorePracticeRun();
