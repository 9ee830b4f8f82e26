// app/pending: functions the frame already calls whose bodies come with later work.
#include "app/ring_key_drag.h"

// Filled in later with the circle's key drag.
void CancelRingKeyDrag() {}
// Filled in later with the mouse routing.
bool gRingDragging = false;
// Filled in later with the mouse routing.
int gRingDragPos = -1;
