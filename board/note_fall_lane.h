// board/note_fall_lane: the note-fall lane over the 88-key keyboard at the bottom of the board:
// its button, the lane with the falling notes and the keyboard. The board view calls the three
// drawers in this order each frame with its frame record.
#pragma once

#include "board/board_frame.h"

// PENDING: the note-fall lane; draws the NOTE FALL button (and lays out its click rectangle).
void DrawNoteFallButton(const BoardViewFrame& frame);
// PENDING: the note-fall lane; draws the lane, its falling notes and the hit line.
void DrawNoteFallLane(const BoardViewFrame& frame);
// PENDING: the note-fall lane; draws the 88-key keyboard under the lane.
void DrawLaneKeyboard(const BoardViewFrame& frame);
