// practice/practice_run_state: what others read of the timed practice run.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

// 0 off, 1 choosing a region, 2 armed, 3 running, 4 complete.
extern int gPracticeState;
// The cells (achievement row, ring position) whose upward run a device note just completed.
void OnPracticeCellPlayed(const std::vector<std::pair<int, int>>& cells, uint32_t ms);
extern float gPracticeCellFlashTimer;   // hit flash of a played practice cell; the frame lowers it
