// app/pending: functions the frame already calls whose bodies come with later work.
#include "app/ring_key_drag.h"

// Filled in later with the circle's key drag.
void CancelRingKeyDrag() {}
