// app/base/pending: bodies of the base floor's functions whose real work comes later.
#include "app/base/ring_key_drag.h"

// PENDING: the circle's key drag comes with the mouse routing.
void CancelRingKeyDrag() {}
