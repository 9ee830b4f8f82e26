// practice/practice_run_state: what others read of the timed practice run.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

// ---- the run's states (gPracticeState) ----
constexpr int kPracticeOff = 0;        // no run
constexpr int kPracticeChoosing = 1;   // a region may be dragged on the grid
constexpr int kPracticeArmed = 2;      // the region is chosen; the first note or key starts the run
constexpr int kPracticeRunning = 3;    // the steps are being played
constexpr int kPracticeComplete = 4;   // the last step was played; held for a while, then off

// One of the kPractice... states.
extern int gPracticeState;
// A run is choosing, armed, running or complete (every state but off).
bool IsPracticeRunActive();
// The cells (achievement row, ring position) whose upward run a device note just completed.
void OnPracticeCellPlayed(const std::vector<std::pair<int, int>>& cells, uint32_t ms);
extern float gPracticeCellFlashTimer;   // hit flash of a played practice cell; the frame lowers it
