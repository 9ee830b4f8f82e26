// visual/ring_glow: the circle's light's storage.
#include "visual/ring_glow.h"

// ---- state ----
float gRingGlowMajor[12] = {};   // raised by chords and scale notes
float gRingGlowMinor[12] = {};   // raised by minor and diminished chords
float gRingGlowKey[12] = {};     // raised by tension and off-scale notes
