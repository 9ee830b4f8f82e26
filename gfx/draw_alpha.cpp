// gfx/draw_alpha: one alpha factor instead of an opacity passed through every drawing call.
#include "gfx/draw_alpha.h"

#include <GL/gl.h>

#include <cmath>

#include "app/base/maths.h"

// ---- state ----
float gDrawAlpha = 1.0f;
float gThemeLevel = 0.35f;  // the level F2 restores
static float gGlColor[4] = {1, 1, 1, 1};  // what the last SetGlColor or SetGlColorAsIs gave GL

// ---- public functions ----
void SetGlColor(float r, float g, float b, float a) { SetGlColorAsIs(r, g, b, a * gDrawAlpha); }

void SetGlColorAsIs(float r, float g, float b, float a) {
  gGlColor[0] = r, gGlColor[1] = g, gGlColor[2] = b, gGlColor[3] = a;
  glColor4fv(gGlColor);
}

const float* CurrentGlColor() { return gGlColor; }

float* PushDrawAlpha(float* saved, float alpha) {
  *saved = gDrawAlpha;
  gDrawAlpha = alpha;
  return saved;
}

void PopDrawAlpha(const float* saved) { gDrawAlpha = *saved; }

float LerpAngle(float a, float b, float t) {
  const float kPi = 3.14159265358979f;
  float d = b - a;
  if (!std::isfinite(d)) return a;
  while (d > kPi) d -= 2 * kPi;
  while (d < -kPi) d += 2 * kPi;
  return a + ClampFloat(t, 0, 1) * d;
}

void ClampThemeLevel() { gThemeLevel = ClampFloat(gThemeLevel, 0, 1); }

void ComputeThemeFactors(float level, float out[kThemeFactorCount]) {
  float t = ClampFloat(level, 0, 1);
  out[0] = 0.35f + 0.65f * t;
  out[1] = 0.1f + 0.25f * t;
  out[2] = 0.12f + 0.3f * t;
  out[3] = 0.22f - 0.08f * t;
  out[4] = 0.7f + 0.9f * t;
  out[5] = 0.9f + 0.4f * t;
  out[6] = 1.0f;
  out[7] = 0.85f + 0.45f * t;
  out[8] = 0.9f + 0.4f * t;
}
