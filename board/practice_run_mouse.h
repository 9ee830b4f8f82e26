// board/practice_run_mouse: the practice run's mouse input in pixels: the run button and the
// board's hit tests turned into the grid points the run takes (practice/practice_run).
#pragma once

#include "gfx/rect.h"

// Left button down; true when taken (the run button, or the run's grid input).
bool OnPracticeMouseDown(int x, int y);
// Mouse move (reads gMouseX, gMouseY); true when taken.
bool OnPracticeMouseMove();
// Left button up, called on every release; true when taken.
bool OnPracticeMouseUp(int x, int y);
// Once per frame with GetAppSeconds(): the run's frame update with the pointer's grid point.
void UpdatePracticeRunFrame(double nowSeconds);
// Where the practice-run button goes (toolbar, header row, or the board's header line).
RectF GetPracticeRunButtonRect();
