// visual/ring_primitives: light accumulation, the faded colour and the annulus shapes of the
// circle. Shapes are immediate-mode strips; each sets its own colours and leaves every other GL
// state as it found it.
#include "visual/ring_primitives.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "gfx/draw_alpha.h"

// ---- constants ----
static constexpr float kPi = 3.14159265f;

// ---- state ----
RingFrame gRingFrame;  // the frame's captured values

// ---- internal helpers ----
// The share every shape keeps while the ring-mode view takes over.
static float ShapeFade() { return Clamp01(1.0f - gRingFrame.ringModeFade); }

static void Vertex(float angle, float radius) {
  glVertex2f(gRingFrame.centreX + radius * std::cos(angle), gRingFrame.centreY + radius * std::sin(angle));
}

// A strip over the arc with a vertex on each radius, alphas per radius.
static void BandStrip(float a0, float a1, float rIn, float rOut, float r, float g, float b, float inAlpha,
                      float outAlpha) {
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= kRingArcSteps; ++i) {
    float a = a0 + (a1 - a0) * (float)i / kRingArcSteps;
    SetGlColor(r, g, b, inAlpha);
    Vertex(a, rIn);
    SetGlColor(r, g, b, outAlpha);
    Vertex(a, rOut);
  }
  glEnd();
}

// ---- public functions ----
float RingSectorStart(int p) { return (float)p * kRingSectorAngle - 1.5707964f - 0.2617994f; }

float RingSectorMiddle(int p) { return (float)p * kRingSectorAngle - 1.5707964f; }

void AccumulatePcGlow(float* g, int index, float x) {
  if (index < 0) return;
  float& slot = g[index % 12];
  slot = 1.0f - (1.0f - Clamp01(x)) * (1.0f - slot);
}

void AccumulatePcGlowMax(float* level, float* peak, int index, float x, float peakValue) {
  if (index < 0) return;
  AccumulatePcGlow(level, index, x);
  float& slot = peak[index % 12];
  if (Clamp01(peakValue) > slot) slot = Clamp01(peakValue);
}

void SetFadedColour(float r, float g, float b, float t, float* outR, float* outG, float* outB,
                    float* outA) {
  float tc = Clamp01(t);
  *outR = r;
  *outG = g;
  *outB = b;
  *outA = Clamp01((1.0f - tc) * 0.82f * gRingFrame.lightBlend + tc) * gRingFrame.opacity;
}

float RingGainAt(const float* table, float pos, float gain) {
  if (gRingFrame.ringModeFade <= 0.001f || !std::isfinite(pos)) return 0.0f;
  float wrapped = std::fmod(pos, 12.0f);
  if (wrapped < 0) wrapped += 12.0f;
  int i0 = (int)wrapped % 12;
  int i1 = (i0 + 1) % 12;
  float f = wrapped - std::floor(wrapped);
  return (table[i0] + (table[i1] - table[i0]) * f) * gain;
}

void DrawSectorFill(float a0, float a1, float rIn, float rOut, float r, float g, float b, float a) {
  float alpha = a * ShapeFade();
  if (alpha <= 0.0005f) return;
  BandStrip(a0, a1, rIn, rOut, r, g, b, alpha, alpha);
}

void DrawSegmentHighlight(float a0, float a1, float rIn, float rOut, float k1, float k2, float width) {
  float fade = ShapeFade();
  if (fade <= 0.002f) return;
  float s = k1 * k2 * gRingFrame.opacity * fade;
  if (s <= 0.001f) return;
  float f = 2.0f * std::max(1.0f, 0.0016f * gRingFrame.sizeRef) * width;
  // Along the inner and the outer radius, strongest mid-arc.
  for (int edge = 0; edge < 2; ++edge) {
    float rim = edge == 0 ? rIn : rOut;
    float clear = edge == 0 ? rIn + f : rOut - f;
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i <= kRingArcSteps; ++i) {
      float t = (float)i / kRingArcSteps;
      float a = a0 + (a1 - a0) * t;
      float sn = std::sin(kPi * t);
      SetGlColor(1, 1, 1, s * sn * sn);
      Vertex(a, rim);
      SetGlColor(1, 1, 1, 0);
      Vertex(a, clear);
    }
    glEnd();
  }
  // The two radial edges, the clear side moved along the tangent into the sector.
  for (int edge = 0; edge < 2; ++edge) {
    float angle = edge == 0 ? a0 : a1;
    float inward = edge == 0 ? 1.0f : -1.0f;
    float tx = -std::sin(angle) * inward * f, ty = std::cos(angle) * inward * f;
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= 32; ++j) {
      float t = (float)j / 32.0f;
      float radius = rIn + (rOut - rIn) * t;
      float x = gRingFrame.centreX + radius * std::cos(angle), y = gRingFrame.centreY + radius * std::sin(angle);
      float sn = std::sin(kPi * t);
      SetGlColor(1, 1, 1, 0.85f * s * sn * sn);
      glVertex2f(x, y);
      SetGlColor(1, 1, 1, 0);
      glVertex2f(x + tx, y + ty);
    }
    glEnd();
  }
}

void DrawRingArc(float a0, float a1, float radius, float r, float g, float b, float alpha) {
  float a = alpha * ShapeFade();
  if (radius <= 0.05f || a <= 0.0005f) return;
  SetGlColor(r, g, b, a);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= kRingArcSteps; ++i) Vertex(a0 + (a1 - a0) * (float)i / kRingArcSteps, radius);
  glEnd();
}

void DrawRingBand(float a0, float a1, float rIn, float rOut, float r, float g, float b, float inAlpha,
                  float outAlpha) {
  float fade = ShapeFade();
  if ((inAlpha + outAlpha) * fade <= 0.0005f) return;
  BandStrip(a0, a1, rIn, rOut, r, g, b, inAlpha * fade, outAlpha * fade);
}

void DrawRingBandOutline(float a0, float a1, float rIn, float rOut, float r, float g, float b,
                         float alpha) {
  float a = alpha * ShapeFade();
  if (a <= 0.0005f) return;
  SetGlColor(r, g, b, a);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i <= kRingArcSteps; ++i) Vertex(a0 + (a1 - a0) * (float)i / kRingArcSteps, rOut);
  for (int i = kRingArcSteps; i >= 0; --i) Vertex(a0 + (a1 - a0) * (float)i / kRingArcSteps, rIn);
  glEnd();
}

void DrawRingSoftBand(float a0, float a1, float rIn, float rOut, float r, float g, float b, float alpha) {
  float mid = 0.5f * (rIn + rOut);
  DrawRingBand(a0, a1, rIn, mid, r, g, b, 0.0f, alpha);
  DrawRingBand(a0, a1, mid, rOut, r, g, b, alpha, 0.0f);
}

void DrawRingSwellBand(float a0, float a1, float radius, float thickness, float r, float g, float b,
                       float alpha) {
  float a = alpha * ShapeFade();
  if (a <= 0.0005f) return;
  SetGlColor(r, g, b, a);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= 32; ++i) {
    float t = (float)i / 32.0f;
    float angle = a0 + (a1 - a0) * t;
    Vertex(angle, radius);
    Vertex(angle, radius - thickness * (0.35f + 1.35f * std::sin(kPi * t)));
  }
  glEnd();
}
