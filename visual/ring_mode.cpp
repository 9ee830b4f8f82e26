// visual/ring_mode: the ring-mode view's state; the program entry clears it, the frame eases it.
#include "visual/ring_mode.h"

bool gRingMode = false;
float gRingModeFade = 0.0f;
float gRingModeFadeSlow = 0.0f;
