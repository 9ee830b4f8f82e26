// board/pending: bodies of the board's functions whose real work comes later (declared, each with
// its marker, in board/note_fall_lane.h).
#include "board/note_fall_lane.h"

void DrawNoteFallButton(const BoardViewFrame&) {}
void DrawNoteFallLane(const BoardViewFrame&) {}
void DrawLaneKeyboard(const BoardViewFrame&) {}
