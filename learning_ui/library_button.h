// learning_ui/library_button: the square button with three gold bars that opens and closes the
// learning screen; shown only in practice mode outside ring mode.
#pragma once

#include "gfx/rect.h"

// Where the button goes: right of the header box when that is laid out, else in the top-left
// corner at a margin that grows with the window.
RectF ComputeLibraryButtonRect();
// Shows, hides or closes the screen with the view modes (practice mode off closes it, ring mode
// hides it); true while the button is shown.
bool SyncLibraryButton();
// The button toggles the screen: opening stamps the opening fade, closing ends a day preview.
void ToggleLibraryScreen();
