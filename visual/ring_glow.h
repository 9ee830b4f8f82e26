// visual/ring_glow: the light of the circle's ring positions: the fixed colour of each position
// and the three per-position glow arrays that the chord recogniser and the glow feed raise and
// decay, and that the circle view and the orb read.
//
// Everything here is indexed by ring position 0..11 (position 0 at the top, C / Am).
#pragma once

extern const float kRingPalette[12][3];  // base RGB of each ring position's sector
extern float gRingGlowMajor[12];         // light of the major (outer) ring, nominally 0..1
extern float gRingGlowMinor[12];         // light of the relative-minor (inner) ring
extern float gRingGlowKey[12];           // tension and off-scale light, bled to the neighbours
extern float gHarmonyGlowClock;          // GetAppSeconds of the previous chord-glow update
