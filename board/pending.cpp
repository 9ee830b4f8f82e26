// board/pending: bodies of the board's functions whose real work comes later (declared, each with
// its marker, in board/note_fall_lane.h, note_fall_button.h and toolbar.h).
#include "board/note_fall_button.h"
#include "board/note_fall_lane.h"
#include "board/toolbar.h"

void DrawToolbar() {}
void DrawNoteFallButton(const BoardViewFrame&) {}
void DrawNoteFallLane(const BoardViewFrame&) {}
void DrawLaneKeyboard(const BoardViewFrame&) {}
void ToggleNoteFallMode() {}
