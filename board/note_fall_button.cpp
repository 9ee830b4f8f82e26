// board/note_fall_button: the button's rectangle, which the lane lays out each frame it draws it.
#include "board/note_fall_button.h"

// ---- state ----
RectF gNoteFallButtonRect = kHiddenRect;   // written by the lane's drawing, hit-tested by the routing

// ---- public functions ----
void ResetNoteFallButton() { gNoteFallButtonRect = kHiddenRect; }
