// app/circle_key_drag: choosing a key by dragging the key marker round the circle. The pointer is
// hidden while the marker follows it and comes back at the marker when the button goes up; the
// key is applied a moment after each change, so a fast drag does not select every key it passes.
#pragma once

// The key drag under the pointer: the ring position of (x, y) (softly snapped to its sector) is
// picked and its tonic returned.
int RingAngleToKey(int x, int y);
// A press on the key marker (outside practice mode) starts the drag; true when taken.
bool BeginRingKeyDrag(int x, int y);
// A move during the drag; true when one is on.
bool FollowRingKeyDrag(int x, int y);
// The button went up: the pointer back at the marker, the pending pick timed, and the sweep after a
// drag. wasDragging: a drag was on when the button went up.
void FinishRingKeyDrag(bool wasDragging);
