// app/base/ring_key_drag: the circle's key drag, which whoever selects a scale itself cancels.
#pragma once

// PENDING: the circle's key drag comes with the mouse routing; ends any key drag on the circle
// (no drag in progress afterwards).
void CancelRingKeyDrag();

// PENDING: the drag's shown angle comes with the mouse routing; the angle in radians the drag
// shows, true when the drag reports one.
bool RingDragShownAngle(float* angle);

extern bool gRingDragging;   // a key drag on the circle is under way
extern int gRingDragPos;     // its current ring position 0..11, -1 none
// No drag.
void ResetRingKeyDrag();
