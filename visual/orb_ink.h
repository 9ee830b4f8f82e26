// visual/orb_ink: the colour arithmetic of the orb's ink: palette saturation, deposits of the three
// kinds (major, minor, key) and linear sampling round a ring of values.
#pragma once
#include <vector>

// Each channel clamped to 0..1, then pushed 1.3x away from the channel mean (+0.02), within 0..1.
void SaturatePaletteColour(const float rgb[3], float out[3]);
// Adds ink of one kind (1 major, 2 minor, other key) of the colour rgb to the channels r, g, b.
void DepositInk(float& r, float& g, float& b, int type, float amount, const float rgb[3]);
// Value at fractional index u round a ring of a.size() entries (u wraps by whole turns); 0 if empty.
float SampleRingLinear(const std::vector<float>& a, float u);

// A colour made ready for many deposits: its saturated form and its minor-ink tint.
struct OrbInkColour {
  float sat[3];    // SaturatePaletteColour of the colour
  float minor[3];  // the violet-leaning tint that minor ink adds
};
// Prepares rgb for DepositPreparedInk.
OrbInkColour PrepareInkColour(const float rgb[3]);
// DepositInk with a prepared colour.
void DepositPreparedInk(float& r, float& g, float& b, int type, float amount, const OrbInkColour& c);
