// board/note_fall_button: the NOTE FALL button at the left of the lane keyboard, which switches
// note-fall mode (the lane over the keyboard) on and off. Its drawer, with the strip's backdrop,
// is the first of the lane's three (board/note_fall_lane.h).
#pragma once
#include "gfx/rect.h"

extern RectF gNoteFallButtonRect;   // laid out and drawn each frame with the strip; hidden otherwise

// Hooks the shell connects: whether a sight-reading score with notes is loaded, and the song
// view's keep-alive after a switch (left: note-fall mode was just left).
extern bool (*gSightScoreHasNotesHook)();
extern void (*gNoteFallSongViewHook)(bool left);

// Switches note-fall mode. Entering remembers the song view and the learning overlay and turns on
// the song view and wait mode; leaving ends a play-along run and gives both back (the song view
// stays on while a song is loaded). Both ways reset the play-along marks, silence the output,
// re-arm the song view and lay everything out again.
void ToggleNoteFallMode();
// Not in note-fall mode's memory: nothing remembered, the rectangle hidden.
void ResetNoteFallButton();
