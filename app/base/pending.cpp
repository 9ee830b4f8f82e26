// app/base/pending: bodies of the base floor's functions whose real work comes later (declared,
// each with its marker, in app/base/ring_key_drag.h).
#include "app/base/ring_key_drag.h"

void CancelRingKeyDrag() {}
bool RingDragShownAngle(float*) { return false; }
