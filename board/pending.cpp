// board/pending: board state and services others already use, whose owner comes with later work.
#include "board/pending.h"


// Filled in later with the board view.
void DrawBoardView() {}
// Filled in later with the toolbar.
void DrawToolbar() {}
// Filled in later with the board view.
void LowerBoardTimers(float) {}
