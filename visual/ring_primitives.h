// visual/ring_primitives: the small pieces the circle of fifths is drawn with: a screen-blend
// accumulator for per-position light, the faded sector colour, and the annulus shapes (filled
// sector, soft edge highlight, arc, bands and outline) round the circle's centre.
//
// The shapes read the frame's captured values (centre, pass opacity, light-style blend, size
// reference and the ring-mode fade) from gRingFrame, which the circle pass sets before the first
// call. They draw in window pixels with whatever blend function is current, change the current
// colour and nothing else. Every arc runs 48 equal steps (49 points) from a0 to a1.
#pragma once

// ---- constants ----
constexpr int kRingArcSteps = 48;                 // steps per sector arc
constexpr float kRingSectorAngle = 0.5235988f;    // 30 degrees per ring position

// The values the primitives capture from the frame.
struct RingFrame {
  float centreX = 0, centreY = 0;  // circle centre in pixels
  float opacity = 1;               // the pass opacity A (the circle view's alpha)
  float lightBlend = 0;            // m: 0 dark style, 1 light style
  float sizeRef = 900;             // S: the window's shorter side, for feathering
  float ringModeFade = 0;          // every shape's alpha is scaled by 1 - this
};

// ---- state ----
extern RingFrame gRingFrame;  // set by the circle pass each frame

// ---- geometry ----
// Start angle of ring position p (position 0 centred straight up, clockwise); the end is + 30 degrees.
float RingSectorStart(int p);
// The middle angle of ring position p, where the key marker rests.
float RingSectorMiddle(int p);

// ---- light accumulation (no GL) ----
// g[index mod 12] := 1 - (1 - clamp(x, 0, 1)) (1 - g[...]); a negative index does nothing.
void AccumulatePcGlow(float* g, int index, float x);
// The same into level, and peak[slot] := max(peak[slot], clamp(peakValue, 0, 1)).
void AccumulatePcGlowMax(float* level, float* peak, int index, float x, float peakValue);
// Colour unchanged; alpha = clamp((1 - t') 0.82 m + t', 0, 1) A with t' = clamp(t, 0, 1).
void SetFadedColour(float r, float g, float b, float t, float* outR, float* outG, float* outB,
                    float* outA);
// A 12-entry table by ring position, interpolated (wrapping) at a fractional position, times
// gain; 0 unless gRingFrame.ringModeFade is above 0.001.
float RingGainAt(const float* table, float pos, float gain);

// ---- shapes (GL) ----
// One colour over the annulus sector between two radii.
void DrawSectorFill(float a0, float a1, float rIn, float rOut, float r, float g, float b, float a);
// Soft white glow inward from the four edges of an annulus sector, strength k1 k2 A.
void DrawSegmentHighlight(float a0, float a1, float rIn, float rOut, float k1, float k2, float width);
// A one-pixel arc; nothing at a radius of 0.05 or less.
void DrawRingArc(float a0, float a1, float radius, float r, float g, float b, float alpha);
// A band whose alpha runs from inAlpha at the inner radius to outAlpha at the outer one.
void DrawRingBand(float a0, float a1, float rIn, float rOut, float r, float g, float b, float inAlpha,
                  float outAlpha);
// The closed outline of an annulus sector.
void DrawRingBandOutline(float a0, float a1, float rIn, float rOut, float r, float g, float b,
                         float alpha);
// A band brightest half way between the radii and clear at both.
void DrawRingSoftBand(float a0, float a1, float rIn, float rOut, float r, float g, float b, float alpha);
// A band along the outer radius whose thickness along the arc follows 0.35 + 1.35 sin(pi t), 32 steps.
void DrawRingSwellBand(float a0, float a1, float radius, float thickness, float r, float g, float b,
                       float alpha);
