// app/ring_glow: the glow arrays of the ring positions and the clock of the chord glow.
#include "app/ring_glow.h"

// ---- state ----
float gRingGlowMajor[12] = {};   // raised by chords and scale notes
float gRingGlowMinor[12] = {};   // raised by minor and diminished chords
float gRingGlowKey[12] = {};     // raised by tension and off-scale notes
float gHarmonyGlowClock = 0;     // seconds of the previous chord-glow update
