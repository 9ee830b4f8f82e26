// app/base/ring_key_drag: the key drag on the circle, which whoever selects a scale itself cancels.
// The drag follows the pointer round the circle (app/circle_key_drag); the key marker reads the
// angle it shows, which is softly pulled towards the middle of the sector under the pointer.
#pragma once

// ---- state ----
extern bool gRingDragging;          // a key drag on the circle is under way
extern int gRingDragPos;            // its current ring position 0..11, -1 none
extern bool gRingDragCursorHidden;  // the drag hid the pointer; button-up shows it at the marker

// Ends any key drag on the circle (no drag in progress afterwards). The pointer stays hidden and
// captured until its button goes up, since the button is still held.
void CancelRingKeyDrag();
// The drag's shown angle, radians in window pixels (position 0 straight up is -pi/2).
void SetRingDragShownAngle(float angle);
// The angle the drag shows; false while no drag has reported one.
bool RingDragShownAngle(float* angle);
// No drag, nothing hidden, no shown angle.
void ResetRingKeyDrag();
