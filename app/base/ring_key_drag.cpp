// app/base/ring_key_drag: the circle's key drag's state.
#include "app/base/ring_key_drag.h"

// ---- state ----
bool gRingDragging = false;   // set by the mouse routing while a key is dragged on the circle
int gRingDragPos = -1;        // the dragged ring position

// ---- public functions ----
void ResetRingKeyDrag() {
  gRingDragging = false;
  gRingDragPos = -1;
}
