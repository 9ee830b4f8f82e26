// visual/orb_body: the orb's frame bookkeeping, its body and its radial lines, as arrays.
//
// The body is B concentric bands from the moving centre to the ring. Each band's inner edge is the
// previous band's outer edge, so the B + 1 edge rows are computed once and every band is a run of
// triangles between two neighbouring rows. A row near the centre is short: at full detail its
// samples would lie a fraction of a pixel apart and software GL would pay for thousands of
// triangles too small to show, so it keeps every second, fourth ... sample instead, while the
// outermost row, the silhouette, keeps them all. Everything that depends only on the sample (its angle,
// noise, blurred ink, angular tint weights) or only on the row is computed once a frame. Arrays
// are reserved for the largest counts on first use, so detail changes never allocate.
#include "visual/orb_body.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "theory/ring_palette.h"
#include "visual/ring_glow.h"

// ---- constants ----
namespace {
constexpr float kMinQuality = 0.52f;
constexpr float kMaxQuality = 1.0f;
constexpr float kFrame = 1.0f / 60.0f;
constexpr int kMaxBands = 44;
constexpr float kBodyAlpha = 0.985f;
}  // namespace

// ---- state ----
OrbDrawMemory gOrbDraw;  // the drawing's memory; reset by ResetOrbDraw

// ---- internal helpers ----
namespace {

OrbRgb PaletteRgb(int i) { return {kRingPalette[i][0], kRingPalette[i][1], kRingPalette[i][2]}; }

int WrapIndex(int i, int n) { return ((i % n) + n) % n; }

// Reserves every per-sample array for N + 1 samples and the body for its most bands, once.
void ReserveArrays(OrbDrawMemory& d, int n) {
  const size_t rows = static_cast<size_t>(n) + 1;
  for (std::vector<float>* a : {&d.sampleNoise, &d.blurR, &d.blurG, &d.blurB, &d.innerR, &d.innerG, &d.innerB,
                                &d.sampleDx, &d.sampleDy, &d.sampleTheta, &d.tintGm, &d.tintGk, &d.tintDm, &d.lum}) {
    a->reserve(rows);
  }
  d.strikeG.reserve(rows * 12);
  const size_t vertices = rows * (kMaxBands + 1);
  d.body.xy.reserve(vertices * 2);
  d.body.rgba.reserve(vertices * 4);
  d.bodyIndex.reserve(rows * 6 * kMaxBands);
  for (std::vector<int>* a : {&d.rowStart, &d.rowStride, &d.bodyIndexStrides}) a->reserve(kMaxBands + 2);
  d.radialLines.xy.reserve(rows + 8);  // a line at most every four samples, 4 floats each
  d.radialLines.rgba.reserve(2 * (rows + 8));
}

// Per-row terms of the body for band edge fraction t.
struct BodyRow {
  float t, wOuter, wInner, edge, fall, base, sm, brighten, tintRamp, keyRamp, strikeR;
};

// Samples k of a row with stride st: 0, st, 2 st ... below S, then S (the loop's closing copy).
int RowLength(int samples, int stride) { return (samples + stride - 1) / stride + 1; }
int RowSample(int j, int samples, int stride) { return std::min(j * stride, samples); }

// Each band as triangles between its inner row (b) and its outer row (b + 1), walking both by
// sample number and always taking the nearer next vertex, inner first on a tie. Rows of the same
// stride give exactly the two triangles per sample a strip would.
void BuildBodyIndex(OrbDrawMemory& d, int bands, int samples) {
  d.bodyIndex.clear();
  for (int b = 0; b < bands; ++b) {
    const int si = d.rowStride[b], so = d.rowStride[b + 1];
    const int ni = RowLength(samples, si), no = RowLength(samples, so);
    const uint32_t inner = static_cast<uint32_t>(d.rowStart[b]), outer = static_cast<uint32_t>(d.rowStart[b + 1]);
    int i = 0, o = 0;
    while (i < ni - 1 || o < no - 1) {
      const bool takeInner = o == no - 1 || (i < ni - 1 && RowSample(i + 1, samples, si) <= RowSample(o + 1, samples, so));
      d.bodyIndex.push_back(inner + static_cast<uint32_t>(i));
      d.bodyIndex.push_back(outer + static_cast<uint32_t>(o));
      if (takeInner) {
        d.bodyIndex.push_back(inner + static_cast<uint32_t>(++i));
      } else {
        d.bodyIndex.push_back(outer + static_cast<uint32_t>(++o));
      }
    }
  }
  d.bodyIndexStrides = d.rowStride;
  d.bodyIndexSamples = samples;
}

BodyRow MakeRow(const OrbParams& p, const OrbFrame& f, float t) {
  BodyRow r;
  r.t = t;
  r.wOuter = std::pow(t, 0.72f);
  r.wInner = 1.0f - r.wOuter;
  r.edge = (1.0f - std::fabs(2.0f * t - 1.0f)) * 0.64f + 0.26f;
  r.fall = std::pow(1.0f - t, 1.35f);
  r.base = 0.083f * t + 0.051f;
  r.sm = OrbSmoothstep(Clamp01((t - 0.12f) / 0.88f));
  const float lift = Clamp01(0.22f * p.level68 + 0.34f * p.level64 + 0.12f * p.level72 + 0.44f * p.accentLevel);
  r.brighten = (Clamp01((r.sm - 0.36f) / 0.64f) * Clamp01(p.accentLevel) * 0.08f + (0.18f * lift + 0.05f)) * r.sm + 1.0f;
  r.tintRamp = EdgeRamp(t, f.tintEdge);
  r.keyRamp = EdgeRamp(t, f.keyEdge);
  r.strikeR = Clamp01((t - 0.72f) / 0.28f);
  return r;
}

}  // namespace

// ---- public functions ----
void ResetOrbDraw() { gOrbDraw = OrbDrawMemory(); }

int OrbBodyRowStride(float spacingPx, float stepPx, int samples) {
  int stride = 1;
  while (2 * stride * kOrbBodyRowMinSamples <= samples && 2.0f * static_cast<float>(stride) * spacingPx <= stepPx) stride *= 2;
  return stride;
}

OrbDetail ComputeOrbDetail(float smoothQuality, int pointCount) {
  OrbDetail c;
  c.bands = ClampInt(static_cast<int>(std::lround(22.0f * smoothQuality + 22.0f)), 20, kMaxBands);
  // With fewer than 180 points the upper bound wins: never more samples than points.
  const int s = static_cast<int>(std::lround((0.68f * smoothQuality + 0.32f) * static_cast<float>(pointCount)));
  c.samples = std::max(1, std::min(pointCount, std::max(180, s)));
  c.discSegments = ClampInt(static_cast<int>(std::lround(8.0f * smoothQuality + 10.0f)), 10, 18);
  return c;
}

void AdvanceOrbDrawClock(OrbDrawMemory& d, float time, float level80) {
  d.orbFlash = Clamp01(level80);
  d.drawDt = d.drawPrevTime > 0.0f ? ClampFloat(time - d.drawPrevTime, 1.0f / 240.0f, 0.085f) : kFrame;
  d.drawPrevTime = time;

  // Slow frames lower the detail quickly, fast ones raise it slowly.
  const float load = (d.drawDt - kFrame) / kFrame;
  if (load > 0.0f) {
    d.quality -= std::min(0.05f * load, 0.02f);
  } else {
    d.quality += std::min(-0.018f * load, 0.01f);
  }
  d.quality = ClampFloat(d.quality, kMinQuality, kMaxQuality);
  d.smoothQuality += (d.quality - d.smoothQuality) * Clamp01(1.0f - std::exp(-4.0f * d.drawDt));
  d.smoothQuality = ClampFloat(d.smoothQuality, kMinQuality, kMaxQuality);

  // The pulse fires when the flash jumps high and runs its course while the flash holds.
  if (d.orbFlash > 0.62f && d.prevFlash < 0.2f) {
    d.flashPulseTime = 0.0f;
    d.flashPulse = std::max(d.flashPulse, d.orbFlash);
  }
  if (d.flashPulse > 0.0001f) {
    d.flashPulseTime += d.drawDt;
    if (std::exp(-0.95f * d.flashPulseTime) < 0.02f) d.flashPulse = d.flashPulseTime = 0.0f;
  }
  if (d.orbFlash < 0.02f && d.flashPulse > 0.0001f) d.flashPulse = d.flashPulseTime = 0.0f;
  d.prevFlash = d.orbFlash;
}

OrbFrame PrepareOrbFrame(const OrbParams& p, const OrbState& s, OrbDrawMemory& d) {
  OrbFrame f;
  f.n = s.pointCount;
  f.m = s.innerCount;
  f.detail = ComputeOrbDetail(d.smoothQuality, f.n);
  d.discSegments = f.detail.discSegments;
  f.scale = std::max(0.0f, ClampFloat(p.fade, 0.0f, 4.0f) * p.innerRadius);
  f.cx = s.centre[0];
  f.cy = s.centre[1];
  const int centreIndex = f.m - 1;
  f.centreInk = {s.innerInkR[centreIndex], s.innerInkG[centreIndex], s.innerInkB[centreIndex]};

  f.list = BuildScaleWeights(p);
  float maxWeight = 0.0f;
  for (int e = 0; e < f.list.count; ++e) {
    f.weightAt[f.list.pos[e]] = f.list.weight[e];
    maxWeight = std::max(maxWeight, f.list.weight[e]);
  }
  f.scaleUnion = Clamp01(f.list.unionA);

  if (p.accentPos >= 0) {
    f.keyPosD = OrbRingMod(p.accentPos);
  } else if (f.list.count > 0 && maxWeight > 0.05f) {
    f.keyPosD = f.list.pos[0];
  } else {
    f.keyPosD = OrbRingMod(p.keyRootPos);
  }

  f.minorPosD = OrbRingMod(p.keyRootPos);
  float bestMinor = 0.0f;
  for (int i = 0; i < 12; ++i) {
    const float g = Clamp01(gRingGlowMinor[i]);
    if (g > bestMinor) {
      bestMinor = g;
      f.minorPosD = i;
    }
  }
  const OrbRgb minorBoost = BoostSaturation(PaletteRgb(f.minorPosD));
  f.minorTint = {minorBoost.r * 0.5f, minorBoost.g * 0.5f, minorBoost.b * 0.52f};
  f.warm = p.scaleMode != 0 ? 0.0f : Clamp01(s.minorWarmth);
  if (f.warm > 0.0001f) {
    f.minorTint.r *= 1.0f - 0.55f * f.warm;
    f.minorTint.g *= 1.0f - 0.55f * f.warm;
    f.minorTint.b *= 1.0f - 0.5f * f.warm;
  }
  const float env = Clamp01(s.minorEnv[f.minorPosD]);
  if (env > 0.0001f) {
    const float wave = (std::sin(0.9f * static_cast<float>(f.minorPosD) + 34.0f * p.time) * 0.5f + 0.5f) * 0.45f + 0.55f;
    const float pulse = wave * wave * env * 0.55f;
    f.minorTint = {Clamp01(f.minorTint.r + minorBoost.r * pulse), Clamp01(f.minorTint.g + minorBoost.g * pulse),
                   Clamp01(f.minorTint.b + minorBoost.b * pulse)};
  }

  if (p.scaleMode != 0) {
    const float v = Clamp01(p.level72) * 0.65f;
    f.tintLevel = Clamp01((1.0f - v) * p.level68);
    f.tintEdge = Clamp01(Clamp01(0.35f * p.level68 + p.accentLevel) * 0.7f + 0.2f);
    f.tintDark = 0.22f;
    f.tintMix = 0.18f;
  } else {
    const float v = Clamp01(0.35f * p.accentLevel + p.level68);
    f.tintLevel = Clamp01((0.22f * v + 0.78f) * f.warm);
    f.tintEdge = Clamp01(0.85f * f.warm + 0.28f);
    f.tintDark = 0.4f * f.warm + 0.3f;
    f.tintMix = 0.3f * f.warm + 0.24f;
  }
  f.keyLevelD = Clamp01((Clamp01(p.accentLevel) * 0.3f + 0.7f) * p.level72);
  f.keyEdge = Clamp01(Clamp01(0.55f * p.level72 + p.accentLevel) * 0.82f + 0.16f);
  f.tintOn = f.tintLevel > 0.0001f || f.keyLevelD > 0.0001f;

  if (d.sampleNoise.capacity() < static_cast<size_t>(f.n) + 1) ReserveArrays(d, f.n);
  const int samples = f.detail.samples;
  const size_t rows = static_cast<size_t>(samples) + 1;
  for (std::vector<float>* a : {&d.sampleNoise, &d.blurR, &d.blurG, &d.blurB, &d.innerR, &d.innerG, &d.innerB,
                                &d.sampleDx, &d.sampleDy, &d.sampleTheta, &d.tintGm, &d.tintGk, &d.tintDm}) {
    a->resize(rows);
  }
  static const float kBlur[6] = {0.38f, 0.17f, 0.085f, 0.035f, 0.01f, 0.01f};
  const int ringInner = std::max(1, f.m - 1);
  const float tau = p.time;
  const float keyAngle = RingPosAngle(f.keyPosD), minorAngle = RingPosAngle(f.minorPosD);
  for (int k = 0; k <= samples; ++k) {
    const int i = RingSampleIndex(k, samples, f.n);
    const float dx = s.x[i] - f.cx, dy = s.y[i] - f.cy;
    d.sampleDx[k] = dx;
    d.sampleDy[k] = dy;
    d.sampleTheta[k] = std::atan2(dy, dx);
    d.sampleNoise[k] = 0.6f * std::sin(1.1f * dx - 2.05f * dy - 0.17f * tau) + std::sin(1.65f * dy + 2.2f * dx + 0.23f * tau) +
                       0.35f * std::sin(1.55f * (dx + dy) + 0.09f * tau);
    float br = kBlur[0] * s.inkR[i], bg = kBlur[0] * s.inkG[i], bb = kBlur[0] * s.inkB[i];
    for (int o = 1; o <= 5; ++o) {
      const int a = WrapIndex(i - o, f.n), b = WrapIndex(i + o, f.n);
      br += kBlur[o] * (s.inkR[a] + s.inkR[b]);
      bg += kBlur[o] * (s.inkG[a] + s.inkG[b]);
      bb += kBlur[o] * (s.inkB[a] + s.inkB[b]);
    }
    d.blurR[k] = br;
    d.blurG[k] = bg;
    d.blurB[k] = bb;
    const int q = static_cast<int>(static_cast<int64_t>(i) * ringInner / f.n);
    d.innerR[k] = s.innerInkR[q];
    d.innerG[k] = s.innerInkG[q];
    d.innerB[k] = s.innerInkB[q];
    const float dm = WrapAngle(d.sampleTheta[k] - minorAngle), dk = WrapAngle(d.sampleTheta[k] - keyAngle);
    d.tintDm[k] = dm;
    d.tintGm[k] = std::exp(-dm * dm / 0.017765291f);
    d.tintGk[k] = std::exp(-dk * dk / 0.017765291f);
  }
  return f;
}

OrbRgb MixBandColour(const OrbDrawMemory& d, const OrbFrame& f, int k, float wOuter, float wInner, float edge) {
  return {1.38f * wOuter * d.blurR[k] + 0.15f * wInner * f.centreInk.r + edge * d.innerR[k],
          1.38f * wOuter * d.blurG[k] + 0.15f * wInner * f.centreInk.g + edge * d.innerG[k],
          1.38f * wOuter * d.blurB[k] + 0.15f * wInner * f.centreInk.b + edge * d.innerB[k]};
}

void FillOrbBody(const OrbParams& p, const OrbState& s, const OrbFrame& f, OrbDrawMemory& d) {
  const int bands = f.detail.bands, samples = f.detail.samples;
  const int rowLen = samples + 1;
  const float tau = p.time;

  // Scale strikes: the positions still ringing and their angular weight per sample.
  int strikes[12], strikeCount = 0;
  for (int q = 0; q < 12; ++q)
    if (s.scaleHit[q] > 0.001f || s.scaleGlow[q] > 0.001f) strikes[strikeCount++] = q;
  d.strikeG.resize(static_cast<size_t>(strikeCount) * rowLen);
  for (int e = 0; e < strikeCount; ++e) {
    const float a = RingPosAngle(strikes[e]);
    for (int k = 0; k < rowLen; ++k) {
      const float w = WrapAngle(d.sampleTheta[k] - a);
      d.strikeG[static_cast<size_t>(e) * rowLen + k] = std::exp(-w * w / 0.021932455f);
    }
  }
  const float hue = Clamp01(p.hueAmount), rim = Clamp01(p.rimAmount);
  const bool warmWave = p.scaleMode == 0 && f.warm > 0.0001f;
  const float warmSigma = 0.25f * f.warm + 0.55f;
  const float alpha = kBodyAlpha * gDrawAlpha;

  // Rows shrink toward the centre, so inner ones keep only as many samples as their length needs.
  float perimeter = 0.0f;
  for (int k = 0; k < samples; ++k)
    perimeter += std::hypot(d.sampleDx[k + 1] - d.sampleDx[k], d.sampleDy[k + 1] - d.sampleDy[k]);
  const float spacing = f.scale * perimeter / static_cast<float>(std::max(samples, 1));
  d.rowStart.resize(static_cast<size_t>(bands) + 1);
  d.rowStride.resize(static_cast<size_t>(bands) + 1);
  int vertices = 0;
  for (int b = 0; b <= bands; ++b) {
    const float t = static_cast<float>(b) / static_cast<float>(bands);
    d.rowStride[b] = b == bands ? 1 : OrbBodyRowStride(t * spacing, d.bodyStepPx, samples);
    d.rowStart[b] = vertices;
    vertices += RowLength(samples, d.rowStride[b]);
  }

  d.body.Resize(vertices);
  for (int b = 0; b <= bands; ++b) {
    const BodyRow row = MakeRow(p, f, static_cast<float>(b) / static_cast<float>(bands));
    const int stride = d.rowStride[b], length = RowLength(samples, stride);
    const float t = row.t;
    float flicker[12];
    for (int e = 0; e < strikeCount; ++e) {
      const float fl = (std::sin(34.0f * tau + 0.9f * static_cast<float>(strikes[e]) + 7.5f * t) * 0.5f + 0.5f) * 0.42f + 0.58f;
      flicker[e] = fl * fl;
    }
    for (int j = 0; j < length; ++j) {
      const int k = RowSample(j, samples, stride);
      const float dx = d.sampleDx[k], dy = d.sampleDy[k];
      const float x = f.cx + t * dx, y = f.cy + t * dy;
      const OrbRgb ink = MixBandColour(d, f, k, row.wOuter, row.wInner, row.edge);
      const float a = ClampFloat(row.fall * d.sampleNoise[k] * 0.5f * 0.015f + row.base, 0.033f, 0.195f);
      OrbRgb c = InkToDisplayColour(a, ink, d.orbFlash);
      c = {Clamp01(c.r * row.brighten), Clamp01(c.g * row.brighten), Clamp01(c.b * row.brighten)};

      if (f.tintOn) {
        float mod = 1.0f;
        const float dm = d.tintDm[k];
        if (warmWave) {
          const float wv = std::exp(-dm * dm / (2.0f * warmSigma * warmSigma)) * 0.18f * f.warm;
          mod = 1.0f + std::sin(1.5f * t + 5.6f * std::fabs(dm) - 2.4f * tau) * wv;
        }
        const float a0 = row.tintRamp * f.tintLevel * d.tintGm[k] * mod;
        if (a0 > 0.0001f) {
          c.r = Clamp01(c.r * (1.0f - f.tintDark * a0));
          c.g = Clamp01(c.g * (1.0f - (f.tintDark + 0.01f) * a0));
          c.b = Clamp01(c.b * (1.0f - (f.tintDark + 0.02f) * a0));
          c.r = LerpClamped(c.r, f.minorTint.r, a0 * f.tintMix);
          c.g = LerpClamped(c.g, f.minorTint.g, a0 * f.tintMix);
          c.b = LerpClamped(c.b, f.minorTint.b, a0 * f.tintMix);
        }
        // The ripple is at most 1, so a weight already below the threshold needs no sine.
        const float keyWeight = row.keyRamp * d.tintGk[k] * f.keyLevelD;
        if (keyWeight > 0.0001f) {
          const float dk = WrapAngle(d.sampleTheta[k] - RingPosAngle(f.keyPosD));
          const float ripple = (std::sin(9.0f * t + 12.0f * dk) * 0.5f + 0.5f) * 0.45f + 0.55f;
          const float b0 = keyWeight * ripple;
          if (b0 > 0.0001f) {
            c.r *= 1.0f - 0.3f * b0;
            c.g *= 1.0f - 0.3f * b0;
            c.b *= 1.0f - 0.3f * b0;
          }
        }
      }
      for (int e = 0; e < strikeCount && row.strikeR > 0.0f; ++e) {
        const int q = strikes[e];
        const float g = d.strikeG[static_cast<size_t>(e) * rowLen + k];
        const float h = Clamp01(row.strikeR * g * s.scaleHit[q]);
        const float gl = Clamp01(row.strikeR * g * s.scaleGlow[q] * flicker[e]);
        c.r = Clamp01((1.0f - 0.22f * h) * c.r + 0.96f * h + 0.98f * gl);
        c.g = Clamp01((1.0f - 0.82f * h) * c.g + 0.96f * gl);
        c.b = Clamp01((1.0f - 0.74f * h) * c.b + 1.02f * gl);
      }
      if (hue > 0.0001f) c = HueRingTint(c, t, x, y, hue, tau);
      if (rim > 0.0001f) c = RimGlowTint(c, t, rim, tau);
      float px, py;
      OrbToPixel(p, f, x, y, &px, &py);
      d.body.Set(d.rowStart[b] + j, px, py, c.r, c.g, c.b, alpha);
    }
  }
  if (d.bodyIndexSamples != samples || d.bodyIndexStrides != d.rowStride) BuildBodyIndex(d, bands, samples);
}

void FillOrbRadialLines(const OrbParams& p, const OrbState& s, const OrbFrame& f, OrbDrawMemory& d) {
  d.radialLines.Clear();
  if (!((f.scaleUnion > 0.04f || p.level72 > 0.06f) && d.smoothQuality > 0.58f)) return;
  const int samples = f.detail.samples;
  const float t = 0.94f;
  const float wOuter = std::pow(t, 0.72f);
  const float edge = (1.0f - std::fabs(2.0f * t - 1.0f)) * 0.64f + 0.26f;
  d.lum.resize(static_cast<size_t>(samples));
  for (int k = 0; k < samples; ++k)
    d.lum[k] = Luminance709(InkToDisplayColour(0.085f, MixBandColour(d, f, k, wOuter, 1.0f - wOuter, edge), d.orbFlash));
  int last = -4;
  const float alphaScale = gDrawAlpha;
  for (int k = 0; k < samples; ++k) {
    const float contrast = std::fabs(d.lum[WrapIndex(k + 1, samples)] - d.lum[WrapIndex(k - 1, samples)]);
    const float dark = Clamp01((0.18f - d.lum[k]) / 0.18f);
    const float w = Clamp01((contrast - 0.028f) / 0.16f) * dark;
    if (w < 0.16f || k - last < 4) continue;
    last = k;
    const int i = RingSampleIndex(k, samples, f.n);
    const float dx = s.x[i] - f.cx, dy = s.y[i] - f.cy;
    const float a = (0.05f * w + 0.012f) * alphaScale;
    float x0, y0, x1, y1;
    OrbToPixel(p, f, f.cx + 0.2f * dx, f.cy + 0.2f * dy, &x0, &y0);
    OrbToPixel(p, f, f.cx + 0.98f * dx, f.cy + 0.98f * dy, &x1, &y1);
    d.radialLines.Add(x0, y0, 1, 1, 1, a);
    d.radialLines.Add(x1, y1, 1, 1, 1, a);
  }
}
