// board/note_fall_button: the NOTE FALL button at the left of the lane keyboard, which switches
// note-fall mode on and off (board/note_fall_mode). Its drawer, with the strip's backdrop, is the
// first of the lane's three (board/note_fall_lane.h).
#pragma once
#include "gfx/rect.h"

extern RectF gNoteFallButtonRect;   // laid out and drawn each frame with the strip; hidden otherwise

// The rectangle hidden.
void ResetNoteFallButton();
