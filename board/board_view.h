// board/board_view: the practice board as drawn each frame, and its timers.
#pragma once

// Draws the whole board once per frame: the grid (or its cover while the lane is up), the scale
// preview under it, the note-fall lane and the practice run's HUD.
void DrawBoardView();
// Lowers every positive scale-run glow by dt, never below 0 (achievement tracking raises them).
void LowerBoardTimers(float dt);
// Forgets the board view's frame-to-frame memory (previous frame time, flashes).
void ResetBoardView();
