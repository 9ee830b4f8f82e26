// board/pending: board state and services others already use, whose owner comes with later work.
#include "board/board_message.h"
#include "board/pending.h"

std::string gBoardMessage;
float gBoardMessageTime = 0.0f;
// Filled in later with the board view, which reads and clears it.
bool gClearBoardHits = false;

// Filled in later with the board view.
void DrawBoardView() {}
// Filled in later with the toolbar.
void DrawToolbar() {}
// Filled in later with the board view.
void LowerBoardTimers(float) {}
