// board/note_fall_lane: the note-fall lane over the 88-key keyboard at the bottom of the board:
// its button, the lane with the falling notes and the keyboard. The board view calls the three
// drawers in this order each frame with its frame record.
#pragma once

#include "board/board_frame.h"

// The strip's backdrop and the NOTE FALL button (laying out its click rectangle; board/note_fall_button).
void DrawNoteFallButton(const BoardViewFrame& frame);
// The lane in its clip box: the falling notes, the particles and the hit line (board/lane_draw).
void DrawNoteFallLane(const BoardViewFrame& frame);
// The 88-key keyboard under the lane with its play-along marks (board/lane_draw).
void DrawLaneKeyboard(const BoardViewFrame& frame);
