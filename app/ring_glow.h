// app/ring_glow: the light of the circle per ring position, raised by notes and chords and decayed
// by the frame; the circle and the orb read it (the orb also drains the key array).
#pragma once

extern float gRingGlowMajor[12];  // major ring, nominally 0..1
extern float gRingGlowMinor[12];  // relative-minor ring, nominally 0..1
extern float gRingGlowKey[12];    // combined key light with a quarter bled to both neighbours
extern float gHarmonyGlowClock;   // GetAppSeconds of the previous chord-glow update
