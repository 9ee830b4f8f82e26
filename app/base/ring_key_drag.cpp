// app/base/ring_key_drag: the circle's key drag's state.
#include "app/base/ring_key_drag.h"

// ---- state ----
bool gRingDragging = false;          // set by the mouse routing while a key is dragged on the circle
int gRingDragPos = -1;               // the dragged ring position
bool gRingDragCursorHidden = false;  // the pointer was hidden by the drag
static bool gShownAngleSet = false;  // the drag has reported an angle since it began
static float gShownAngle = 0.0f;     // that angle

// ---- public functions ----
void CancelRingKeyDrag() {
  gRingDragging = false;
  gRingDragPos = -1;
  gShownAngleSet = false;
}

void SetRingDragShownAngle(float angle) {
  gShownAngle = angle;
  gShownAngleSet = true;
}

bool RingDragShownAngle(float* angle) {
  if (!gRingDragging || !gShownAngleSet) return false;
  *angle = gShownAngle;
  return true;
}

void ResetRingKeyDrag() {
  CancelRingKeyDrag();
  gRingDragCursorHidden = false;
  gShownAngle = 0.0f;
}
