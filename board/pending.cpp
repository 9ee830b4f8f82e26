// board/pending: bodies of the board's functions whose real work comes later (declared, each with
// its marker, in board/board_view.h and board/toolbar.h).
#include "board/board_view.h"
#include "board/toolbar.h"

void DrawBoardView() {}
void DrawToolbar() {}
void LowerBoardTimers(float) {}
