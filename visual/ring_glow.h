// visual/ring_glow: the light of the circle per ring position, which the circle and the orb read
// (the orb also drains the key array). The shell's glow feed and chord recogniser raise it and
// the frame decays it (app/ring_glow).
#pragma once

extern float gRingGlowMajor[12];  // major ring, nominally 0..1
extern float gRingGlowMinor[12];  // relative-minor ring, nominally 0..1
extern float gRingGlowKey[12];    // combined key light with a quarter bled to both neighbours
