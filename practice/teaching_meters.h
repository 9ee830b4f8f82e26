// practice/teaching_meters: the Challenge score, the four meters (A rhythm, B accuracy, C pace,
// D flow) and the overall figure of the teaching record, and the per-frame teaching update.
//
// Every value is recomputed from scratch from the record's statistics; a practice run's scores
// may stand in for them while they are shown.
#pragma once
#include "practice/teaching_state.h"

// Recomputes challenge, meterA..meterD and overall from the record.
void ComputeTeachingMeters(TeachingState& s);
// Expected seconds for one step of the plan on that cell.
double ExpectedStepSeconds(const TeachingState& s, int cellCode);
// Per frame on gTeachingState: clock, beat grid, click flash, meters (dt clamped to 0..0.1 s).
void UpdateTeachingMeters(double dt);
// While the run scores are shown, they replace the meters.
void ApplyRunScoresToMeters(TeachingState& s);
// Forgets a run's scores (the Challenge values stay).
void ClearTeachingRunResults(TeachingState& s);
