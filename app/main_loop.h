// app/main_loop: the frame loop: drain, step, animate, draw, present and pace, while gAppRunning.
#pragma once
#include <cstdint>

extern double gLastFrameSeconds;    // GetAppSeconds of the previous pass; 0 before the first
extern bool gPracticeRunShown;      // IsPracticeRunActive at the last re-layout
extern bool gSongViewShown;         // gSongView at the last re-layout
extern bool gPlacementQuizRequest;  // arm the placement quiz once

// Takes window events into the queue and handles every queued message (they count as something
// happening for the loop's rest rule, a device's raw message only when the input acts on it).
void DrainMessages();
// The frame's work that needs no GL, steps 3 to 5 and 9: returns the clamped step.
float AdvanceFrameClock(double now);
void DecayFrameLevels(float dt);
void AdvanceViewFades(float dt);
// Practice mode holds the song view and wait mode and closes the overlay and the filter panel.
void HoldPracticeModeViews();
// The scale-list and filter-panel fades for this step.
void AdvanceScaleListFades(float dt);
// Rows per second the scale list's scroll eases at (held 20, filter panel available 13, else 15).
float ScaleListScrollRate();
// The placement-quiz arming.
void ArmPlacementQuiz();
// One pass without presenting and pacing: drain, step, animate and draw; false when the start
// screen stood in front of the views. With holdTime the pass draws at the previous pass's time
// with a step of 0, so nothing that moves by itself moves (a resting loop's drawing). Without draw
// (a minimised window) the same work runs with no drawing and no GL call at all.
bool RunFrameWork(uint32_t frameStartMs, bool holdTime = false, bool draw = true);
// The start screen's first frame, drawn and presented ahead of the loop so that it shows before
// the loaders it does not need: the background and the start screen as the first pass draws them,
// with no input handled and no time gone. False, with nothing presented, when no start screen
// shows (its images are missing); the first pass then draws the first frame.
bool PresentStartScreenFrame();
// One whole pass of the loop (drain to pacing), always drawn.
void RunFramePass();
// One pass of the running program: drawn, drawn with its time held, or only drained and paced, as
// the rest rule (app/base/frame_rest) says; while the window is minimised, worked without drawing.
void RunLoopPass();
// Runs passes until gAppRunning is cleared.
void RunMainLoop();
