// app/base/pointer: the pointer's and the small widgets' storage.
#include "app/base/pointer.h"

// ---- state ----
int gMouseX = 0, gMouseY = 0;          // set by the mouse routing on every mouse message
int gSeekDragMode = kSeekDragNone;     // set while the seek bar is dragged
bool gSpeedDragging = false;           // set while the speed slider is dragged
bool gFileMenuOpen = false;            // set while the file menu is shown

// ---- public functions ----
void ResetPointer() {
  gMouseX = gMouseY = 0;
  gSeekDragMode = kSeekDragNone;
  gSpeedDragging = false;
  gFileMenuOpen = false;
}
