// visual/orb_colour: ink to display colour and the orb's other colour rules.
//
// Ink is additive and unbounded: several notes pile up in one point and subtractive deposits push
// channels below zero. The display colour keeps the hue of whatever ink dominates, lets more ink
// cover more of the dark base, darkens where the ink is negative, and leans toward the nearest
// palette colour so mixtures still read as the notes that made them.
#include "visual/orb_colour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "app/base/maths.h"
#include "theory/ring_palette.h"

// ---- constants ----
namespace {
constexpr float kPi = 3.14159265358979f;
}  // namespace

// ---- internal helpers ----
namespace {

OrbRgb Palette(int i) { return {kRingPalette[i][0], kRingPalette[i][1], kRingPalette[i][2]}; }

// The palette by channel.
struct PaletteColumns {
  float r[12], g[12], b[12];
};
PaletteColumns MakePaletteColumns() {
  PaletteColumns c{};
  for (int i = 0; i < 12; ++i) {
    c.r[i] = kRingPalette[i][0];
    c.g[i] = kRingPalette[i][1];
    c.b[i] = kRingPalette[i][2];
  }
  return c;
}

// x^0.72 for x in 0..1 from a table with linear steps: the colour of every body vertex takes three.
// The error stays below 0.0003 (a tenth of a display step) in the lowest steps, far less above.
constexpr int kChromaSteps = 4096;
const std::array<float, kChromaSteps + 2>& ChromaTable() {
  static const std::array<float, kChromaSteps + 2> table = [] {
    std::array<float, kChromaSteps + 2> t{};
    for (int i = 0; i <= kChromaSteps + 1; ++i) t[i] = static_cast<float>(std::pow(std::min(1.0, double(i) / kChromaSteps), 0.72));
    return t;
  }();
  return table;
}

float ChromaCurve(float x) {
  const std::array<float, kChromaSteps + 2>& t = ChromaTable();
  const float u = Clamp01(x) * kChromaSteps;
  const int i = static_cast<int>(u);
  return t[i] + (t[i + 1] - t[i]) * (u - static_cast<float>(i));
}

// The consonance of each interval 0..11, computed once.
std::array<float, 12> ConsonanceTable() {
  static const double kJust[12] = {1.0,       16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3,
                                   45.0 / 32, 3.0 / 2,   8.0 / 5, 5.0 / 3, 9.0 / 5, 15.0 / 8};
  static const float kWeight[12] = {1.0f, 0.16f, 0.44f, 0.78f, 0.86f, 0.9f, 0.12f, 0.92f, 0.74f, 0.72f, 0.42f, 0.24f};
  std::array<float, 12> out{};
  for (int p = 0; p < 12; ++p) {
    const double ratio = std::pow(2.0, p / 12.0);
    double m = 0.0;
    for (double just : kJust) {
      const double l = std::log(std::max(ratio / just, 0.000001));
      m = std::max(m, std::exp(-28.0 * l * l));
    }
    out[p] = Clamp01(static_cast<float>(0.45 * m) + 0.55f * kWeight[p]);
  }
  return out;
}

}  // namespace

// ---- public functions ----
float Luminance709(float r, float g, float b) { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }

float LerpClamped(float a, float b, float t) { return a + (b - a) * Clamp01(t); }

OrbRgb BoostSaturation(const OrbRgb& c) {
  const float l = Luminance709(c);
  const float lift = (1.0f - l) * 0.3f;
  return {Clamp01((c.r - l) * 1.62f + l + lift), Clamp01((c.g - l) * 1.62f + l + lift),
          Clamp01((c.b - l) * 1.62f + l + lift)};
}

OrbRgb FlashTint(float f, const OrbRgb& c) {
  // Beyond 1 the blend would overshoot the warm white and invert the colour.
  if (!(f >= 0.0f) || std::min(f, 1.0f) <= 0.00001f) return c;
  f = std::min(f, 1.0f);
  return {Clamp01((1.0f - f) * c.r + f), Clamp01((1.0f - f) * c.g + 0.82f * f), Clamp01((1.0f - f) * c.b + 0.24f * f)};
}

OrbRgb SnapToPalette(const OrbRgb& c, float* confidence) {
  // The twelve distances first, in one loop the compiler can vectorise; then the two nearest.
  static const PaletteColumns kColumns = MakePaletteColumns();
  float dist[12];
  for (int i = 0; i < 12; ++i) {
    const float dr = c.r - kColumns.r[i], dg = c.g - kColumns.g[i], db = c.b - kColumns.b[i];
    dist[i] = dr * dr + dg * dg + db * db;
  }
  float d1 = INFINITY, d2 = INFINITY;
  int i1 = 0, i2 = 0;
  for (int i = 0; i < 12; ++i) {
    const float d = dist[i];
    if (d < d1) {
      d2 = d1;
      i2 = i1;
      d1 = d;
      i1 = i;
    } else if (d < d2) {
      d2 = d;
      i2 = i;
    }
  }
  if (!std::isfinite(d1)) {  // a non-finite colour: no palette colour is near
    if (confidence) *confidence = 0.0f;
    return Palette(0);
  }
  if (confidence) *confidence = Clamp01(1.0f - std::sqrt(std::max(d1, 0.0f)) / 0.78f);
  // Weights exp(-6 d1) and exp(-6 d2), taken relative to the first: one exponential, and no
  // underflow to a zero sum for colours far from every palette entry.
  const float w2 = std::exp(-6.0f * (d2 - d1));
  const float inv = 1.0f / (1.0f + w2);
  const OrbRgb a = Palette(i1), b = Palette(i2);
  return {(a.r + w2 * b.r) * inv, (a.g + w2 * b.g) * inv, (a.b + w2 * b.b) * inv};
}

OrbRgb InkToDisplayColour(float a, const OrbRgb& ink, float orbFlash) {
  const float in[3] = {ink.r, ink.g, ink.b};
  float pos[3], sum = 0.0f, neg = 0.0f, mx = 0.0f;
  for (int i = 0; i < 3; ++i) {
    pos[i] = std::max(in[i], 0.0f);
    sum += pos[i];
    mx = std::max(mx, pos[i]);
    neg += std::max(-in[i], 0.0f);
  }
  const bool some = sum > 0.00001f;
  const float dominance = some ? Clamp01(mx / sum) : 0.0f;
  const float cover = Clamp01(1.0f - std::exp(-sum));
  const float dark = Clamp01(1.0f - std::exp(-0.6f * neg));

  const float e = (1.0f - 0.9f * dark) * a;
  const float sat = 0.39f * dominance + 0.61f;
  const float k0 = (1.0f - 0.35f * cover) * e;
  const float k1 = (0.035f * dominance + 0.0685f) * (1.0f - e) * cover;
  const float k2 = (0.16f * (1.0f - e) + 0.64f) * cover * sat;
  const float k3 = (0.014f * (1.0f - e) + 0.005f) * cover * cover * sat;
  const float spread = 0.48f * dominance + 1.05f;
  float out[3];
  for (int i = 0; i < 3; ++i) {
    const float chroma = some ? ChromaCurve(pos[i] / sum) : 0.0f;
    const float cc = Clamp01((chroma - 0.5f) * spread + 0.5f);
    out[i] = Clamp01((k1 + k2 + k3) * cc + k0);
  }

  float q = 0.0f;
  const OrbRgb snap = SnapToPalette({out[0], out[1], out[2]}, &q);
  const float m = Clamp01((0.22f * dominance + 0.08f + 0.1f * cover) * (0.32f * q + 0.68f));
  out[0] += (snap.r - out[0]) * m;
  out[1] += (snap.g - out[1]) * m;
  out[2] += (snap.b - out[2]) * m;

  const float l = Luminance709(out[0], out[1], out[2]);
  const float contrast = 0.15f * dominance + 1.05f;
  for (float& o : out) o = Clamp01((o - l) * contrast + l);
  return FlashTint(Clamp01(0.82f * orbFlash), {out[0], out[1], out[2]});
}

float PitchClassConsonance(int interval) {
  static const std::array<float, 12> kTable = ConsonanceTable();
  return kTable[PitchClassMod(interval)];
}

int RingSampleIndex(int k, int samples, int points) {
  if (samples <= 0 || points <= 0 || k == samples) return 0;
  const int64_t kc = std::clamp(k, 0, samples - 1);
  return std::clamp(static_cast<int>(kc * points / samples), 0, points - 1);
}

float EdgeRamp(float t, float w) {
  const float wc = std::max(w, 0.0001f);
  return Clamp01((t - (1.0f - wc)) / wc);
}

OrbRgb HueRingTint(const OrbRgb& c, float t, float x, float y, float amount, float time) {
  float hue = std::atan2(y, x) / (2.0f * kPi) + 0.5f + 0.085f * time;
  hue -= std::floor(hue);
  OrbRgb rainbow;
  HsvToRgb(hue, 0.86f, 1.0f, &rainbow.r, &rainbow.g, &rainbow.b);
  const float sm = OrbSmoothstep(Clamp01((t - 0.2f) / 0.8f));
  const float k = Clamp01((0.46f * sm + 0.2f) * amount);
  const float gain = (0.2f * sm + 0.08f) * amount + 1.0f;
  return {Clamp01((c.r + (rainbow.r - c.r) * k) * gain), Clamp01((c.g + (rainbow.g - c.g) * k) * gain),
          Clamp01((c.b + (rainbow.b - c.b) * k) * gain)};
}

OrbRgb RimGlowTint(const OrbRgb& c, float t, float amount, float time) {
  const float sm = OrbSmoothstep(Clamp01((t - 0.16f) / 0.84f));
  const float pulse = ((std::sin(6.2f * time) * 0.5f + 0.5f) * 0.3f + 0.7f) * amount;
  const float k = Clamp01((0.32f * sm + 0.1f) * pulse);
  const float gain = (0.16f * sm + 0.06f) * pulse + 1.0f;
  return {Clamp01((c.r + (0.2f - c.r) * k) * gain), Clamp01((c.g + (0.95f - c.g) * k) * gain),
          Clamp01((c.b + (0.34f - c.b) * k) * gain)};
}
