// visual/orb_ink: how notes colour the orb. Major ink is the palette colour, minor ink is a darker
// colour turned toward violet, key ink is a paler colour that also darkens a little.
#include "visual/orb_ink.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "visual/orb_state.h"

// ---- internal helpers ----
namespace {

// Hue (turns, 0..1), saturation and value of an RGB colour.
void RgbToHsv(const float c[3], float* h, float* s, float* v) {
  const float mx = std::max({c[0], c[1], c[2]});
  const float mn = std::min({c[0], c[1], c[2]});
  const float chroma = mx - mn;
  *v = mx;
  *s = mx > 0.000001f ? chroma / mx : 0.0f;
  float hue = 0.0f;
  if (chroma > 0.0f) {
    if (mx == c[0]) {
      hue = (c[1] - c[2]) / chroma;
    } else if (mx == c[1]) {
      hue = (c[2] - c[0]) / chroma + 2.0f;
    } else {
      hue = (c[0] - c[1]) / chroma + 4.0f;
    }
    hue /= 6.0f;
    hue -= std::floor(hue);
  }
  *h = hue;
}

}  // namespace

// ---- public functions ----
void SaturatePaletteColour(const float rgb[3], float out[3]) {
  float c[3];
  for (int i = 0; i < 3; ++i) c[i] = Clamp01(rgb[i]);
  const float mean = (c[0] + c[1] + c[2]) / 3.0f;
  for (int i = 0; i < 3; ++i) out[i] = Clamp01((c[i] - mean) * 1.3f + mean + 0.02f);
}

OrbInkColour PrepareInkColour(const float rgb[3]) {
  OrbInkColour c;
  SaturatePaletteColour(rgb, c.sat);
  float h, sat, val;
  RgbToHsv(c.sat, &h, &sat, &val);
  // A minor note's colour leans 28 % of the way toward violet, the shorter way round.
  const float d = 0.72f - h;
  float h2 = h + (d - std::round(d)) * 0.28f;
  h2 -= std::floor(h2);
  HsvToRgb(h2, 0.46f * sat, 0.44f * val, &c.minor[0], &c.minor[1], &c.minor[2]);
  c.minor[0] *= 0.9f;
  c.minor[1] *= 0.94f;
  c.minor[2] *= 1.12f;
  return c;
}

void DepositPreparedInk(float& r, float& g, float& b, int type, float amount, const OrbInkColour& c) {
  const float* s = c.sat;
  if (type == 1) {
    r += 1.62f * s[0] * amount;
    g += 1.58f * s[1] * amount;
    b += 1.56f * s[2] * amount;
    return;
  }
  if (type == 2) {
    const float* t = c.minor;
    r += 0.92f * t[0] * amount - (0.3f * t[0] + 0.3f) * 0.18f * amount;
    g += 0.92f * t[1] * amount - (0.3f * t[1] + 0.3f) * 0.18f * amount;
    b += 0.92f * t[2] * amount - (0.3f * t[2] + 0.3f) * 0.18f * amount;
    return;
  }
  r += 1.15f * 0.94f * s[0] * amount;
  g += 1.15f * 0.86f * s[1] * amount;
  b += 1.15f * 1.02f * s[2] * amount;
  const float k = (Clamp01(amount) * 0.18f + 0.22f) * amount;
  r -= (0.45f * s[0] + 0.55f) * k;
  g -= (0.45f * s[1] + 0.55f) * k;
  b -= (0.45f * s[2] + 0.55f) * k;
}

void DepositInk(float& r, float& g, float& b, int type, float amount, const float rgb[3]) {
  DepositPreparedInk(r, g, b, type, amount, PrepareInkColour(rgb));
}

float SampleRingLinear(const std::vector<float>& a, float u) {
  const int n = static_cast<int>(a.size());
  if (n == 0) return 0.0f;
  if (!std::isfinite(u)) u = 0.0f;
  const float fn = static_cast<float>(n);
  u -= std::floor(u / fn) * fn;
  int i0 = static_cast<int>(std::floor(u));
  float frac = u - static_cast<float>(i0);
  // Rounding can land a hair below 0 or exactly on n; both mean the start of the ring.
  if (i0 >= n || i0 < 0) {
    i0 = 0;
    frac = 0.0f;
  }
  return (1.0f - frac) * a[i0] + frac * a[(i0 + 1) % n];
}
