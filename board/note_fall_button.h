// board/note_fall_button: the NOTE FALL button at the left of the lane's keyboard, which switches
// note-fall mode on and off.
#pragma once
#include "gfx/rect.h"

// ---- state ----
extern RectF gNoteFallButtonRect;   // hidden in every frame that does not draw the button

// PENDING: the note-fall lane; a click on the button switches note-fall mode (gPracticeMode) with
// everything that goes with it.
void ToggleNoteFallMode();
// The button hidden (start state).
void ResetNoteFallButton();
