// visual/ring_mode: the ring-mode view of the circle: its flag and the two fades the frame eases.
#pragma once

extern bool gRingMode;            // the ring-mode view is chosen
extern float gRingModeFade;       // eased towards gRingMode at 9.6 per second
extern float gRingModeFadeSlow;   // eased towards gRingMode at 4.4 per second
