// board/pending: practice-board services the frame already calls whose bodies come later.
#pragma once
#include "board/grid_interaction.h"

// Draws the board view and the toolbar for this frame.
void DrawBoardView();
void DrawToolbar();
// Lowers every positive value of the board's 12 timers by dt.
void LowerBoardTimers(float dt);
