// app/base/pointer: the pointer's and the small widgets' storage.
#include "app/base/pointer.h"

// ---- state ----
int gMouseX = -10000, gMouseY = -10000;  // set by the mouse routing on every mouse move
int gSeekDragMode = kSeekDragNone;     // set while the seek bar is dragged
bool gSpeedDragging = false;           // set while the speed slider is dragged
bool gFileMenuOpen = false;            // set while the file menu is shown

// ---- public functions ----
void ResetPointer() {
  gMouseX = gMouseY = -10000;
  gSeekDragMode = kSeekDragNone;
  gSpeedDragging = false;
  gFileMenuOpen = false;
}
