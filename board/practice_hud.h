// board/practice_hud: the practice run on the board: its button (unless the toolbar hosts it),
// the status and record lines with the timer pill under the grid, and the region overlay of
// tinted cells on the grid, all in the run's student colour.
#pragma once
#include <cstdint>
#include <string>

#include "board/board_layout.h"
#include "practice/practice_run.h"

// The status line of a run state (translated); "" for the off state. An armed or running run held
// by a loaded song says how to go on instead.
std::string PracticeHudStatusText(int state, int currentStep, int stepCount, bool heldBySong);
// The record line of the current region for the active student; false when it is not shown
// (no region, records not loaded, or no region key).
bool PracticeRecordLine(std::string* out);
// Milliseconds the timer pill shows at note-clock time nowMs in a run state.
uint32_t PracticeRunElapsedMs(int state, const PracticeRunData& run, uint32_t nowMs);

// The HUD; lays out the run button's rectangle and hover for the frame.
void DrawPracticeHud(double time, const BoardLayout& layout, float scrollFraction, float rowPitch);
// The region overlay on the grid rows.
void DrawPracticeRegion(double time, const BoardLayout& layout, float scrollFraction, float rowPitch);
// A filled quad and a one-pixel outline inset by 0.5 px, each skipped when its alpha is 0.001 or less.
void DrawRegionCell(float x, float y, float w, float h, float r, float g, float b, float fillAlpha,
                    float outlineAlpha);
