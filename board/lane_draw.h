// board/lane_draw: the GL side of the note-fall lane: one falling note's bar and the hit line. The
// board view's three drawers of the strip (board/note_fall_lane.h) are defined here and in
// board/note_fall_button.
#pragma once

#include "board/lane_notes.h"

// One bar over its key from yTop to yBottom in colour (r, g, b) at alpha; glowBand adds a soft
// band through its middle. Fades under the overlay panel and above the short lane's fade-in.
void DrawFallingNote(const LaneFrame& f, float x, float width, float yTop, float yBottom, float r, float g, float b,
                     float alpha, bool isBlack, bool glowBand);
// The glowing hit line from the left colour to the right one over the keyboard's top edge.
void DrawHitLine(const LaneFrame& f, const float left[3], const float right[3], float alpha);
