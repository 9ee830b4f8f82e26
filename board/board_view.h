// board/board_view: the practice board as drawn each frame, and its timers.
#pragma once

// PENDING: drawn with the board view.
void DrawBoardView();
// PENDING: the board's 12 timers come with the board view; lowers every positive one by dt.
void LowerBoardTimers(float dt);
