// visual/orb_colour: the colour arithmetic of the orb's drawing: how ink (unbounded, possibly
// negative amounts of red, green and blue) becomes a display colour, the pull toward the ring
// palette, the warm flash tint, the body's hue and rim tints, and the consonance of two pitch
// classes that the harmony voices use. Pure functions; no GL.
#pragma once

struct OrbRgb {
  float r = 0, g = 0, b = 0;
};

// 0.2126 r + 0.7152 g + 0.0722 b.
float Luminance709(float r, float g, float b);
inline float Luminance709(const OrbRgb& c) { return Luminance709(c.r, c.g, c.b); }
// a + (b - a) * clamp(t, 0, 1).
float LerpClamped(float a, float b, float t);
// x^2 (3 - 2x), for x already in 0..1.
inline float OrbSmoothstep(float x) { return x * x * (3.0f - 2.0f * x); }
// Spreads the channels 1.62x about the luminance and lifts dark colours a little.
OrbRgb BoostSaturation(const OrbRgb& c);
// Toward a warm white by f (nothing for f <= 0.00001 or a negative f).
OrbRgb FlashTint(float f, const OrbRgb& c);
// A blend of the two nearest palette colours, nearer weighing more; *confidence (0..1) says how
// close the nearest one is. Ties keep the lower ring position.
OrbRgb SnapToPalette(const OrbRgb& c, float* confidence);
// Ink to display colour with a base brightness a; orbFlash (0..1) warms the result.
OrbRgb InkToDisplayColour(float a, const OrbRgb& ink, float orbFlash);
// How consonant an interval of `interval` semitones sounds, 0..1 (any integer; reduced mod 12).
float PitchClassConsonance(int interval);
// Ring point of sample k of `samples` spread over `points` ring points; k = samples closes the loop.
int RingSampleIndex(int k, int samples, int points);
// 0 below 1 - w, rising to 1 at t = 1.
float EdgeRamp(float t, float w);
// The body's rotating rainbow at band fraction t and ring-unit position (x, y) about the origin.
OrbRgb HueRingTint(const OrbRgb& c, float t, float x, float y, float amount, float time);
// The body's pulsing green rim glow at band fraction t.
OrbRgb RimGlowTint(const OrbRgb& c, float t, float amount, float time);
