// visual/orb_overlays: the harmony voices, the wave ribbons with their trails, the beads and the
// outlines, as arrays.
//
// Cost: the wave field of every ribbon and sample is evaluated once a frame; the trail update and
// the drawing read the same values (the drawing adds the warm flash's own term on top). Every
// angle-dependent sine that is a fixed multiple of the sample's angle is taken from per-sample
// tables by angle addition, so a ribbon sample costs only its voices' two terms each. The trails,
// the work arrays and the batches keep their capacity; only a change of the ribbon count or the
// sample count re-lays the trails out (and clears them). Nothing kept here is in pixels, so a
// resize or another centre needs no reset.
#include "visual/orb_overlays.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "visual/orb_ink.h"
#include "visual/ring_glow.h"

// ---- constants ----
namespace {
constexpr float kPi = 3.14159265358979f;
constexpr int kBeadCount = 72;
constexpr int kMaxRibbons = 20;
constexpr int kTrigSlots = 14;  // per sample: sin, cos of 15, 4.2, 2.6, 7, 13, 11 and 4 times the angle
constexpr float kTrigMultiples[kTrigSlots / 2] = {15.0f, 4.2f, 2.6f, 7.0f, 13.0f, 11.0f, 4.0f};
enum { kS15, kC15, kS42, kC42, kS26, kC26, kS7, kC7, kS13, kC13, kS11, kC11, kS4, kC4 };
}  // namespace

// ---- state ----
OrbOverlayMemory gOrbOverlays;  // the overlays' memory; reset by ResetOrbOverlays

// ---- internal helpers ----
namespace {

OrbRgb PaletteRgb(int i) { return {kRingPalette[i][0], kRingPalette[i][1], kRingPalette[i][2]}; }

// Where a fractional index u falls round a ring of n values: the two entries and the share of the
// second.
struct RingRead {
  int i0, i1;
  float frac;
  float Of(const float* a) const { return (1.0f - frac) * a[i0] + frac * a[i1]; }
};
RingRead LocateOnRing(int n, float u) {
  const float fn = static_cast<float>(n);
  u -= std::floor(u / fn) * fn;
  RingRead r{static_cast<int>(std::floor(u)), 0, 0.0f};
  r.frac = u - static_cast<float>(r.i0);
  if (r.i0 < 0 || r.i0 >= n) {  // rounding at the wrap
    r.i0 = 0;
    r.frac = 0.0f;
  }
  r.i1 = r.i0 + 1 == n ? 0 : r.i0 + 1;
  return r;
}

int Prev(int k, int n) { return k == 0 ? n - 1 : k - 1; }
int Next(int k, int n) { return k + 1 == n ? 0 : k + 1; }

void ResizeTrails(OrbTrails& t, size_t n) {
  for (std::vector<float>* a : {&t.density, &t.red, &t.green, &t.blue, &t.age}) a->assign(n, 0.0f);
}

// Per-ribbon constants of the wave field and the drawing.
struct Ribbon {
  int r = 0;
  float b = 0, sb = 0;
  float warpCos = 0, warpSin = 0, warpConst = 0;  // the angular warp's sine, split by angle addition
  float radSin = 0, radCos = 0;                   // the radial sway
  float fwSin = 0, fwCos = 0, fuSin = 0, fuCos = 0, fpSin = 0, fpCos = 0;  // the warm flash's warps
  float wobXSin = 0, wobXCos = 0, wobYSin = 0, wobYCos = 0;              // the vertex wobble
  float brSin = 0, brCos = 0;                                            // the flash's brightness wave
};

// Per-voice constants of the wave field.
struct VoiceTerms {
  float amplitude, lobes, coefA, radialA, radialB, omega, omegaA;
  OrbRgb colour;
};

struct FieldContext {
  float tensionP, orbFlash, harm2, pt;
  VoiceTerms v[4];
  int count;
  OrbRgb fallback;
};

Ribbon MakeRibbon(int r, int ribbons, const FieldContext& c) {
  Ribbon x;
  const float rf = static_cast<float>(r);
  x.r = r;
  x.b = static_cast<float>(r + 1) / static_cast<float>(ribbons + 1);
  x.sb = std::pow(std::sin(x.b * kPi), 0.72f);
  const float pt = c.pt, tp = c.tensionP;
  const float a = (18.0f * tp + 18.0f) * pt + 1.4f * rf;
  x.warpCos = std::cos(a);
  x.warpSin = std::sin(a);
  x.warpConst = 0.02f * std::sin(0.75f * rf + 7.0f * pt);
  const float rad = 11.8f * pt + rf;
  x.radSin = std::sin(rad);
  x.radCos = std::cos(rad);
  x.fwSin = std::sin(3.6f * pt + 0.7f * rf);
  x.fwCos = std::cos(3.6f * pt + 0.7f * rf);
  x.fuSin = std::sin(4.4f * pt + 0.9f * rf);
  x.fuCos = std::cos(4.4f * pt + 0.9f * rf);
  x.fpSin = std::sin(5.1f * pt + 0.6f * rf);
  x.fpCos = std::cos(5.1f * pt + 0.6f * rf);
  const float wx = (24.0f * tp + 31.0f) * pt + 0.6f * rf, wy = (26.0f * tp + 27.0f) * pt + 0.8f * rf;
  x.wobXSin = std::sin(wx);
  x.wobXCos = std::cos(wx);
  x.wobYSin = std::sin(wy);
  x.wobYCos = std::cos(wy);
  x.brSin = std::sin(6.2f * pt + 0.6f * rf);
  x.brCos = std::cos(6.2f * pt + 0.6f * rf);
  return x;
}

// The unwarped radius fraction of a ribbon at a sample (the vertex sits there).
float RibbonRho(const Ribbon& x, const float* trig, float tensionP) {
  const float sway = x.radSin * trig[kC42] - x.radCos * trig[kS42];  // sin(11.8 pt + r - 4.2 theta)
  return ClampFloat(x.b + sway * 0.04f * tensionP, 0.05f, 0.985f);
}

// Field (without the flash's own term), that term, and the voice colour of one ribbon sample.
void EvaluateField(const Ribbon& x, const float* trig, float theta, const FieldContext& c, float* field,
                   float* flashTerm, OrbRgb* colour) {
  const float tp = c.tensionP;
  float u = theta + (trig[kS15] * x.warpCos + trig[kC15] * x.warpSin) * 0.1f * tp + x.warpConst;
  float rho = RibbonRho(x, trig, tp);
  if (c.orbFlash > 0.0f) {
    const float fw = ((trig[kS26] * x.fwCos + trig[kC26] * x.fwSin) * 0.5f + 0.5f) * 0.28f + 0.22f;
    const float fwf = fw * c.orbFlash;
    u += (trig[kS7] * x.fuCos + trig[kC7] * x.fuSin) * (0.22f * tp + 0.14f) * fwf;
    rho = ClampFloat(rho + (x.fpSin * trig[kC42] - x.fpCos * trig[kS42]) * 0.06f * fwf, 0.05f, 0.985f);
  }
  float sum = 0.0f, wsum = 0.0f;
  OrbRgb mix;
  for (int v = 0; v < c.count; ++v) {
    const VoiceTerms& t = c.v[v];
    const float term = 0.32f * std::cos(t.coefA * u - t.radialA * rho + t.omegaA) +
                       0.68f * std::sin(t.radialB * rho + t.lobes * u + t.omega);
    sum += t.amplitude * term;
    const float w = (0.58f * std::fabs(term) + 0.42f) * t.amplitude;
    wsum += w;
    mix.r += w * t.colour.r;
    mix.g += w * t.colour.g;
    mix.b += w * t.colour.b;
  }
  *field = sum;
  *colour = wsum > 0.000001f ? OrbRgb{mix.r / wsum, mix.g / wsum, mix.b / wsum} : c.fallback;
  *flashTerm = c.orbFlash > 0.0f ? std::sin((0.8f * c.harm2 + 2.2f) * kPi * rho + (1.4f * tp + 3.4f) * u + 1.8f * c.pt) *
                                       (0.45f * c.harm2 + 0.42f) * c.orbFlash
                                 : 0.0f;
}

// Cosine and sine of 2 pi k / segments for k = 0..segments, for every segment count a disc uses.
struct UnitCircles {
  float cosine[19][19], sine[19][19];
};
const UnitCircles& DiscCircles() {
  static const UnitCircles circles = [] {
    UnitCircles c{};
    for (int n = 10; n <= 18; ++n)
      for (int k = 0; k <= n; ++k) {
        c.cosine[n][k] = std::cos(2.0f * kPi * static_cast<float>(k) / static_cast<float>(n));
        c.sine[n][k] = std::sin(2.0f * kPi * static_cast<float>(k) / static_cast<float>(n));
      }
    return c;
  }();
  return circles;
}

// Adds one filled disc as triangles (a fan of `segments`, 10..18, around the centre).
void AddDisc(OrbBatch& batch, float x, float y, float radius, const OrbRgb& c, float a, int segments) {
  const UnitCircles& unit = DiscCircles();
  float px = x + radius, py = y;
  for (int k = 1; k <= segments; ++k) {
    const float nx = x + radius * unit.cosine[segments][k], ny = y + radius * unit.sine[segments][k];
    batch.Add(x, y, c.r, c.g, c.b, a);
    batch.Add(px, py, c.r, c.g, c.b, a);
    batch.Add(nx, ny, c.r, c.g, c.b, a);
    px = nx;
    py = ny;
  }
}

}  // namespace

// ---- public functions ----
void InitOrbVoice(OrbVoice& v) { v = OrbVoice(); }

void ResetOrbOverlays() { gOrbOverlays = OrbOverlayMemory(); }

int OrbRibbonCount(float smoothQuality) {
  return ClampInt(static_cast<int>(std::lround(14.0f * smoothQuality + 8.0f)), 8, kMaxRibbons);
}

float AngularFocus(const OrbHarmony& h, float angle) {
  if (h.soloness <= 0.0f || h.peakPos < 0) return 1.0f;
  const float d = std::fabs(WrapAngle(angle - RingPosAngle(h.peakPos)));
  const float x = Clamp01((d / (0.5f * kPi / 6.0f) - 0.62f) / 0.38f);
  return (1.0f - OrbSmoothstep(x)) * h.soloness + (1.0f - h.soloness);
}

OrbHarmony AnalyseOrbHarmony(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbDrawMemory& d) {
  OrbHarmony h;
  h.keyRootPosD = OrbRingMod(p.keyRootPos);
  const bool chordOn = p.accentPos >= 0 && p.accentLevel > 0.03f;
  h.chordPosD = chordOn ? OrbRingMod(p.accentPos) : h.keyRootPosD;
  h.rootPc = p.keyRootPc >= 0 ? OrbRingMod(p.keyRootPc) : kFifthsOrder[h.keyRootPosD];

  float sumHv = 0.0f;
  for (int i = 0; i < 12; ++i) {
    const float major = 0.78f * Clamp01(gRingGlowMajor[i]);
    const float minorKey = 0.72f * Clamp01(gRingGlowMinor[i]) + 0.92f * Clamp01(gRingGlowKey[i]);
    float v = major + minorKey;
    // Only a struck chord lifts its position: a floor under the key root alone would keep the
    // ribbons braiding through silence.
    if (chordOn && i == h.chordPosD) v = std::max(v, Clamp01(p.accentLevel) * 0.62f + 0.3f);
    if (f.weightAt[i] > 0.0f) v = std::max(v, 0.16f * f.weightAt[i]);
    h.hv[i] = Clamp01(v);
    h.pcOf[i] = minorKey > major ? (kFifthsOrder[i] + 9) % 12 : kFifthsOrder[i];
    sumHv += h.hv[i];
    if (h.hv[i] > h.peakHv) {
      h.peakHv = h.hv[i];
      h.peakPos = i;
    }
  }
  const float spread = sumHv - h.peakHv;
  if (h.peakHv > 0.02f) h.soloness = Clamp01((h.peakHv - 0.02f) / 0.3f) * (1.0f - Clamp01(spread / 0.08f));
  if (d.orbFlash > 0.02f || d.flashPulse > 0.0001f) h.soloness = 0.0f;

  h.act = Clamp01(sumHv / 3.0f);
  float wsum = 0.0f, csum = 0.0f;
  for (int i = 0; i < 12; ++i)
    for (int j = i + 1; j < 12; ++j)
      if (h.hv[i] > 0.015f && h.hv[j] > 0.015f) {
        const float w = h.hv[i] * h.hv[j];
        wsum += w;
        csum += w * PitchClassConsonance(std::abs(h.pcOf[i] - h.pcOf[j]));
      }
  h.harmony = Clamp01(wsum > 0.00001f ? csum / wsum : h.act * 0.55f + 0.35f);
  h.harm2 = Clamp01(0.6f * h.harmony + 0.4f * h.act);
  h.tension = Clamp01(0.34f * f.scaleUnion + 0.52f * Clamp01(p.level72) + 0.58f * (1.0f - h.harmony));
  h.tensionP = std::pow(h.tension, 1.35f);
  h.level = Clamp01((1.0f - 0.55f * h.tensionP) * h.harm2 + 0.1f * h.act);
  h.live = Clamp01(p.liveliness);
  h.liveTempo = Clamp01(0.7f * h.live + 0.3f * Clamp01(ClampFloat(p.tempo, 0.35f, 1.35f) - 0.35f));

  // The root flash: a ring expanding from the centre toward the flashed root.
  h.rootPosF = s.rootFlashPos >= 0 ? OrbRingMod(s.rootFlashPos) : h.keyRootPosD;
  h.rootAmp = Clamp01(s.rootFlash);
  h.rootPhase = std::max(0.0f, s.rootFlashPhase);
  h.rootDecay = std::exp(-(0.62f * h.live + 1.12f) * h.rootPhase);
  h.sigmaTheta = ((1.0f - h.live) * 0.07f + 0.13f) * kPi / 6.0f;
  h.sigmaB = (1.0f - h.live) * 0.06f + 0.12f;
  h.rootReach = (1.25f * h.liveTempo + 0.9f) * h.rootPhase;

  // The warm flash's ring runs out to the rim and bounces back.
  if (d.flashPulse > 0.0001f) {
    h.ringStrength = std::exp(-0.95f * d.flashPulseTime) * d.flashPulse * d.orbFlash;
    const float x = (0.35f * h.harm2 + 0.85f) * d.flashPulseTime;
    float tri = std::fmod(x, 2.0f);
    if (tri < 0.0f) tri += 2.0f;
    h.ringPos = tri <= 1.0f ? tri : std::max(2.0f - tri, (1.0f - h.ringStrength) * 0.42f + 0.18f);
    h.ringWidth = (1.0f - h.ringStrength) * 0.02f + 0.045f;
    h.ringGain = std::exp(-((x - 1.0f) / 0.18f) * ((x - 1.0f) / 0.18f));
  }

  h.quiet = h.act <= 0.015f && p.accentLevel <= 0.02f && f.scaleUnion <= 0.04f;

  // Voices: the four strongest positions, strongest first, ties to the lower position.
  int order[12];
  for (int i = 0; i < 12; ++i) order[i] = i;
  std::stable_sort(order, order + 12, [&h](int a, int b) { return h.hv[a] > h.hv[b]; });
  for (int n = 0; n < 12 && h.voiceCount < 4; ++n) {
    const int q = order[n];
    if (!(h.hv[q] > 0.018f)) break;
    OrbVoice& v = h.voices[h.voiceCount++];
    InitOrbVoice(v);
    const int interval = PitchClassMod(std::abs(h.pcOf[q] - h.rootPc));
    const float cons = PitchClassConsonance(interval);
    v.pos = q;
    v.amplitude = h.hv[q];
    v.lobes = static_cast<float>((7 * q + 3 * interval + 5) % 9 + 2);
    v.mode = static_cast<float>((interval + 2 * q + h.pcOf[q]) % 4 + 1);
    v.speed = (0.76f * cons + 0.24f) * 1.3f + 0.3f;
    v.phase = 0.47f * static_cast<float>(q) + 0.31f * static_cast<float>(h.pcOf[q]) + 0.63f * static_cast<float>(interval);
    v.colour = BoostSaturation(PaletteRgb(q));
  }
  if (h.voiceCount == 0) {
    OrbVoice& v = h.voices[h.voiceCount++];
    InitOrbVoice(v);
    v.pos = h.keyRootPosD;
    v.amplitude = 1.0f;
    v.speed = 0.72f;
    v.colour = BoostSaturation(PaletteRgb(h.keyRootPosD));
  }
  float amp = 0.0f;
  for (int v = 0; v < h.voiceCount; ++v) amp += h.voices[v].amplitude;
  if (amp > 0.00001f)
    for (int v = 0; v < h.voiceCount; ++v) h.voices[v].amplitude /= amp;
  h.phaseTime = (std::pow(h.live, 1.7f) * 0.95f + 0.05f) * p.time;
  h.ribbonGain = std::pow(h.live, 1.45f) * 0.9f + 0.1f;
  return h;
}

void FillOrbRibbons(const OrbParams& p, const OrbFrame& f, const OrbHarmony& h, const OrbDrawMemory& d,
                    OrbOverlayMemory& o) {
  const int ribbons = OrbRibbonCount(d.smoothQuality);
  const int sp = std::max(1, f.detail.samples);  // S'
  const int samples = f.detail.samples;
  const size_t entries = static_cast<size_t>(ribbons) * sp;
  if (o.trailRibbons != ribbons || o.trailSamples != sp) {
    // Reserve for the most ribbons and samples once, so later re-layouts do not allocate.
    const size_t most = static_cast<size_t>(kMaxRibbons) * static_cast<size_t>(std::max(sp, f.n));
    for (OrbTrails& t : o.trails)
      for (std::vector<float>* a : {&t.density, &t.red, &t.green, &t.blue, &t.age}) a->reserve(most);
    for (std::vector<float>* a : {&o.waveField, &o.waveFlash, &o.waveR, &o.waveG, &o.waveB}) a->reserve(most);
    ResizeTrails(o.trails[0], entries);
    ResizeTrails(o.trails[1], entries);
    o.current = 0;
    o.trailRibbons = ribbons;
    o.trailSamples = sp;
  }
  o.ribbons.Clear();
  o.ribbonCount = 0;
  OrbTrails& cur = o.trails[o.current];
  if (h.quiet) {
    for (float& v : cur.red) v *= 0.82f;
    for (float& v : cur.green) v *= 0.82f;
    for (float& v : cur.blue) v *= 0.82f;
    for (float& v : cur.density) v *= 0.8f;
    for (float& v : cur.age) v *= 0.62f;
    return;
  }

  const size_t perSample = static_cast<size_t>(samples) + 1;
  if (o.ribbons.xy.capacity() == 0) {
    const size_t most = static_cast<size_t>(kMaxRibbons) * (static_cast<size_t>(f.n) + 1);
    o.ribbons.xy.reserve(most * 2);
    o.ribbons.rgba.reserve(most * 4);
  }
  for (std::vector<float>* a : {&o.nodal, &o.scratch, &o.shiftSrc, &o.sField, &o.sNodal, &o.sBright, &o.sFlash}) {
    a->reserve(static_cast<size_t>(f.n) + 1);
    a->resize(static_cast<size_t>(sp));
  }
  o.trig.reserve((static_cast<size_t>(f.n) + 1) * kTrigSlots);
  o.trig.resize(perSample * kTrigSlots);
  for (int k = 0; k <= samples; ++k) {
    float* t = &o.trig[static_cast<size_t>(k) * kTrigSlots];
    for (int m = 0; m < kTrigSlots / 2; ++m) {
      t[2 * m] = std::sin(kTrigMultiples[m] * d.sampleTheta[k]);
      t[2 * m + 1] = std::cos(kTrigMultiples[m] * d.sampleTheta[k]);
    }
  }
  for (std::vector<float>* a : {&o.waveField, &o.waveFlash, &o.waveR, &o.waveG, &o.waveB}) a->resize(entries);

  FieldContext c;
  c.tensionP = h.tensionP;
  c.orbFlash = d.orbFlash;
  c.harm2 = h.harm2;
  c.pt = h.phaseTime;
  c.count = h.voiceCount;
  c.fallback = PaletteRgb(h.keyRootPosD);
  for (int v = 0; v < h.voiceCount; ++v) {
    const OrbVoice& voice = h.voices[v];
    VoiceTerms& t = c.v[v];
    t.amplitude = voice.amplitude;
    t.lobes = voice.lobes;
    t.coefA = 0.56f * voice.lobes + 1.0f;
    t.radialA = 2.2f * voice.mode;
    t.radialB = voice.mode * kPi;
    t.omega = (2.65f * voice.speed + 1.15f) * h.phaseTime + voice.phase;
    t.omegaA = 1.37f * t.omega;
    t.colour = voice.colour;
  }

  // The field of every ribbon and sample, once.
  for (int r = 0; r < ribbons; ++r) {
    const Ribbon x = MakeRibbon(r, ribbons, c);
    for (int k = 0; k < sp; ++k) {
      const size_t e = static_cast<size_t>(r) * sp + k;
      OrbRgb colour;
      EvaluateField(x, &o.trig[static_cast<size_t>(k) * kTrigSlots], d.sampleTheta[k], c, &o.waveField[e],
                    &o.waveFlash[e], &colour);
      o.waveR[e] = colour.r;
      o.waveG[e] = colour.g;
      o.waveB[e] = colour.b;
    }
  }

  // Trails: carried along by the flow and the field's slope, faded, sharpened, into the other set.
  const float tp = h.tensionP;
  const float dtr = ClampFloat(d.drawDt, 1.0f / 240.0f, 0.05f);
  const float flow = (18.0f * h.harm2 + 6.0f + 4.0f * h.tension) * h.ribbonGain * dtr;
  const float nodalWidth = 0.08f * tp + 0.11f;
  const float keep = Clamp01(0.92f - 0.1f * tp), ageKeep = Clamp01(0.88f - 0.08f * tp);
  const float fade = std::exp(-dtr * (2.0f * tp + 2.6f));
  const float sharpen = 0.3f * h.harm2 + 0.7f;
  OrbTrails& next = o.trails[1 - o.current];
  for (int r = 0; r < ribbons; ++r) {
    const size_t base = static_cast<size_t>(r) * sp;
    const float* field = &o.waveField[base];
    const float* oldD = &cur.density[base];
    const float* oldR = &cur.red[base];
    const float* oldG = &cur.green[base];
    const float* oldB = &cur.blue[base];
    const float* oldA = &cur.age[base];
    float* nd = &next.density[base];
    float* nr = &next.red[base];
    float* ng = &next.green[base];
    float* nb = &next.blue[base];
    float* na = &next.age[base];
    for (int k = 0; k < sp; ++k) o.nodal[k] = std::exp(-std::fabs(field[k]) / nodalWidth);
    for (int k = 0; k < sp; ++k) {
      const float slope = field[Next(k, sp)] - field[Prev(k, sp)];
      const float shift = (1.0f - 0.75f * Clamp01(0.55f * o.nodal[k] + 0.55f * (1.0f - oldA[k]))) * flow +
                          ClampFloat((0.7f * oldA[k] + 0.3f) * (0.32f * h.harm2 + 0.18f) * -slope, -0.85f, 0.85f);
      const RingRead at = LocateOnRing(sp, static_cast<float>(k) - shift);
      const float age = at.Of(oldA) * ageKeep;
      const float dens = (0.12f * age + 0.88f) * fade * keep;
      nd[k] = at.Of(oldD) * dens;
      nr[k] = at.Of(oldR) * dens;
      ng[k] = at.Of(oldG) * dens;
      nb[k] = at.Of(oldB) * dens;
      na[k] = age * std::exp(-dtr * (3.6f * o.nodal[k] + 2.8f + 1.4f * tp));
    }
    for (int k = 0; k < sp; ++k) {
      const float lap = nd[Prev(k, sp)] + nd[Next(k, sp)] - 2.0f * nd[k];
      o.scratch[k] = std::max(0.0f, nd[k] - lap * (0.06f * o.nodal[k] + 0.018f) * sharpen);
    }
    for (int k = 0; k < sp; ++k) {
      const float ratio = nd[k] > 0.00001f ? o.scratch[k] / nd[k] : 0.0f;
      nr[k] *= ratio;
      ng[k] *= ratio;
      nb[k] *= ratio;
      nd[k] = o.scratch[k];
    }
  }
  o.current = 1 - o.current;
  OrbTrails& t = o.trails[o.current];

  // Drawing: brightness along the nodal lines, the flashes, the trail's pigment; then deposit.
  const float brightWidth = 0.14f * tp + 0.24f;
  const float wobble = f.scale > 0.0001f ? 0.18f * tp * (0.2f * tp * tp + 0.02f) * (0.28f * h.act + 0.4f) / f.scale : 0.0f;
  const float alphaScale = gDrawAlpha;
  const float rootAngle = RingPosAngle(h.rootPosF);
  for (int r = 0; r < ribbons; ++r) {
    const Ribbon x = MakeRibbon(r, ribbons, c);
    const size_t base = static_cast<size_t>(r) * sp;
    const float sb = x.sb, b = x.b;
    float ringTerm = 0.0f;
    if (h.ringStrength > 0.0f) {
      const float db = (b - 0.98f) / 0.05f, dr = b - h.ringPos;
      ringTerm = std::exp(-db * db) * h.ringGain * (0.25f * h.ringStrength + 0.55f) +
                 std::exp(-dr * dr / (2.0f * h.ringWidth * h.ringWidth)) * (0.45f * sb + 0.55f) * h.ringStrength +
                 (0.22f * sb + 0.28f) * h.ringStrength;
    }
    const float rootRadial = std::exp(-(Clamp01(b) - h.rootReach) * (Clamp01(b) - h.rootReach) / (2.0f * h.sigmaB * h.sigmaB));
    for (int k = 0; k < sp; ++k) {
      const float theta = d.sampleTheta[k];
      const float* trig = &o.trig[static_cast<size_t>(k) * kTrigSlots];
      const float field = o.waveField[base + k] + o.waveFlash[base + k];
      const float af = std::fabs(field);
      const float nodal = std::exp(-af / nodalWidth);
      float bright = Clamp01((0.62f * nodal + 0.38f * std::exp(-std::fabs(af - 0.62f) / brightWidth)) * sb * (0.95f * h.level + 0.45f));
      if (d.orbFlash > 0.0f) {
        const float wave = trig[kS4] * x.brCos + trig[kC4] * x.brSin;  // sin(4 theta + 6.2 pt + 0.6 r)
        bright = Clamp01(bright * ((wave * 0.45f + 0.55f) * d.orbFlash * 1.8f + 1.0f));
      }
      float rf = 0.0f;
      if (h.rootAmp > 0.00001f) {
        const float dt = WrapAngle(theta - rootAngle);
        rf = Clamp01(std::exp(-dt * dt / (2.0f * h.sigmaTheta * h.sigmaTheta)) * rootRadial * h.rootAmp * h.rootDecay);
        if (rf > 0.0001f) bright = Clamp01(bright + (0.45f * sb + 0.55f) * rf);
      }
      float flashTerm = 0.0f;
      if (h.ringStrength > 0.0f) {
        flashTerm = ringTerm;
        bright = Clamp01(bright + flashTerm);
      }
      if (rf > 0.0001f) flashTerm += (0.2f * sb + 0.3f) * rf;
      if (h.soloness > 0.0f) {
        const float focus = AngularFocus(h, theta);
        bright *= focus;
        flashTerm *= focus;
      }
      o.sField[k] = field;
      o.sNodal[k] = nodal;
      o.sBright[k] = bright;
      o.sFlash[k] = flashTerm;
    }

    float* D = &t.density[base];
    float* A = &t.age[base];
    float* C[3] = {&t.red[base], &t.green[base], &t.blue[base]};
    const float* voice[3] = {&o.waveR[base], &o.waveG[base], &o.waveB[base]};
    const float alphaGain = 0.18f * std::pow(b, 1.6f) + 1.0f;
    const float cap = 1.4f * h.harm2 + 3.0f;
    for (int k = 0; k <= samples; ++k) {
      const int j = k == samples ? 0 : k % sp;
      const int jp = Prev(j, sp), jn = Next(j, sp);
      const float* trig = &o.trig[static_cast<size_t>(k) * kTrigSlots];
      const float dx = d.sampleDx[k], dy = d.sampleDy[k];
      const float theta = d.sampleTheta[k];
      const float rhoV = RibbonRho(x, trig, tp);
      const float dens = 0.65f * (D[jp] + D[jn]) + D[j];
      const float ageS = (0.65f * (A[jp] + A[jn]) + A[j]) / 2.3f;
      OrbRgb trail;
      if (dens > 0.00001f) {
        trail = {(0.65f * (C[0][jp] + C[0][jn]) + C[0][j]) / dens, (0.65f * (C[1][jp] + C[1][jn]) + C[1][j]) / dens,
                 (0.65f * (C[2][jp] + C[2][jn]) + C[2][j]) / dens};
      }
      const float m = Clamp01(dens * (0.34f * h.harm2 + 0.26f)) * (0.3f * (1.0f - ageS) + 0.7f);
      const float sm = m * m * (3.0f - 2.0f * m);
      const float boost = std::min(std::fabs(o.sField[jn] - o.sField[jp]) * (0.6f * tp + 0.9f), 1.0f) * 0.55f + 1.0f;
      OrbRgb colour{(sm * trail.r + (1.0f - sm) * voice[0][j]) * boost, (sm * trail.g + (1.0f - sm) * voice[1][j]) * boost,
                    (sm * trail.b + (1.0f - sm) * voice[2][j]) * boost};
      const float glow = Clamp01(dens * (0.2f * h.harm2 + 0.1f) * (0.6f * (1.0f - ageS) + 0.7f) + o.sBright[j]);
      colour = FlashTint(Clamp01((0.38f * glow + 0.22f) * d.orbFlash + 0.85f * o.sFlash[j]), colour);
      const float focus = h.soloness > 0.0f ? AngularFocus(h, theta) : 1.0f;
      const float a0 = Clamp01((0.88f * glow + 0.12f) * (0.26f * h.act + 0.08f) * (0.28f * d.smoothQuality + 0.72f) +
                               (0.12f * h.harm2 + 0.08f) * dens + 0.2f * o.sFlash[j]) *
                       focus;
      const float alpha = Clamp01(alphaGain * a0) * alphaScale;
      float X = f.cx + rhoV * dx, Y = f.cy + rhoV * dy;
      if (wobble != 0.0f) {
        X += wobble * (trig[kS13] * x.wobXCos + trig[kC13] * x.wobXSin);  // sin(13 theta + ...)
        Y += wobble * (x.wobYCos * trig[kC11] + x.wobYSin * trig[kS11]);  // cos(... - 11 theta)
      }
      float px, py;
      OrbToPixel(p, f, X, Y, &px, &py);
      o.ribbons.Add(px, py, colour.r, colour.g, colour.b, alpha);
      if (k < samples) {
        const float dep = Clamp01((0.5f * glow + 0.12f) * (0.64f * h.act + 0.36f)) * focus;
        const float before = D[j];
        D[j] = std::min(D[j] + (0.3f * h.harm2 + 0.18f) * dep * (0.55f * o.sNodal[j] + 0.85f), cap);
        const float added = std::max(0.0f, D[j] - before);
        C[0][j] += voice[0][j] * added;
        C[1][j] += voice[1][j] * added;
        C[2][j] += voice[2][j] * added;
        A[j] = Clamp01(A[j] + (0.2f * h.harm2 + 0.7f) * dep);
      }
    }
  }
  o.ribbonCount = ribbons;
}

void FillOrbBeads(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbHarmony& h,
                  const OrbDrawMemory& d, OrbOverlayMemory& o) {
  const int n = f.n;
  const float fn = static_cast<float>(n);
  float meanR = 0.0f;
  for (int i = 0; i < n; ++i) meanR += std::hypot(s.x[i] - f.cx, s.y[i] - f.cy);
  meanR /= fn;
  const float live = h.live, liveTempo = h.liveTempo;
  const float live85 = std::pow(live, 0.85f) * 0.7f + 0.3f;
  const float travel = (std::pow(liveTempo, 1.28f) * 0.028f + 0.004f) * (0.28f * live85 + 0.72f) *
                       (std::pow(live, 1.4f) * 0.88f + 0.12f) * p.time;
  const float phase = travel - std::floor(travel);

  const bool snap = o.beadX.size() != static_cast<size_t>(kBeadCount) || o.beadPrevTime <= 0.0f;
  const float dtb = o.beadPrevTime > 0.0f ? ClampFloat(p.time - o.beadPrevTime, 1.0f / 240.0f, 0.05f) : 1.0f / 60.0f;
  const float follow = Clamp01(1.0f - std::exp(-(4.0f * liveTempo + 10.0f + 5.0f * live85) * dtb));
  if (snap) {
    for (std::vector<float>* a : {&o.beadX, &o.beadY, &o.beadR, &o.beadG, &o.beadB}) a->assign(kBeadCount, 0.0f);
    o.beadSize.assign(kBeadCount, 1.9f);
  }

  const OrbRgb rootColour = BoostSaturation(PaletteRgb(h.rootPosF));
  const OrbRgb minorBoost = BoostSaturation(PaletteRgb(f.minorPosD));
  const OrbRgb beadTint{minorBoost.r * 0.5f, minorBoost.g * 0.5f, minorBoost.b * 0.52f};
  const float minorMix = Clamp01(0.94f * Clamp01(p.level68) + 0.46f * Clamp01(p.level72) - 0.34f * Clamp01(p.level64));
  const float sparkA = Clamp01(0.1f * Clamp01(p.level64 + p.level68 + p.level72) + 0.9f * p.accentLevel);
  const float sparkRate = 0.82f * liveTempo + 0.68f;
  const float rootAngle = RingPosAngle(h.rootPosF), minorAngle = RingPosAngle(f.minorPosD);
  const float reach = std::max(s.reach, 0.0001f);
  const float fade = ClampFloat(p.fade, 0.0f, 4.0f);
  const float alphaScale = gDrawAlpha;
  const int segments = ClampInt(d.discSegments, 10, 18);

  if (o.beads.xy.capacity() == 0) {
    const size_t most = static_cast<size_t>(kBeadCount) * 3 * 18 * 3;
    o.beads.xy.reserve(most * 2);
    o.beads.rgba.reserve(most * 4);
  }
  o.beads.Clear();
  for (int i = 0; i < kBeadCount; ++i) {
    float u = static_cast<float>(i) * fn / static_cast<float>(kBeadCount) + phase * fn;
    while (u >= fn) u -= fn;
    while (u < 0.0f) u += fn;
    const float angle = 2.0f * kPi * u / fn;
    const float px = SampleRingLinear(s.x, u), py = SampleRingLinear(s.y, u);
    const float rr = std::hypot(px - f.cx, py - f.cy);

    OrbRgb colour = InkToDisplayColour(0.14f, {SampleRingLinear(s.inkR, u), SampleRingLinear(s.inkG, u), SampleRingLinear(s.inkB, u)},
                                       d.orbFlash);
    float conf = 0.0f;
    const OrbRgb snapped = SnapToPalette(colour, &conf);
    const float pull = Clamp01(0.2f * conf + 0.22f);
    colour = {colour.r + (snapped.r - colour.r) * pull, colour.g + (snapped.g - colour.g) * pull,
              colour.b + (snapped.b - colour.b) * pull};
    const float q = Clamp01((conf - 0.52f) / 0.48f);
    const OrbRgb boosted = BoostSaturation(colour);
    const float qb = Clamp01(0.72f * q);
    colour = {colour.r + (boosted.r - colour.r) * qb, colour.g + (boosted.g - colour.g) * qb,
              colour.b + (boosted.b - colour.b) * qb};
    float g = 0.0f;
    if (h.rootAmp > 0.00001f) {
      const float da = WrapAngle(angle - rootAngle);
      const float radial = Clamp01(rr / reach) - h.rootReach;
      g = Clamp01(std::exp(-da * da / (2.0f * h.sigmaTheta * h.sigmaTheta)) *
                  std::exp(-radial * radial / (2.0f * h.sigmaB * h.sigmaB)) * h.rootAmp * h.rootDecay);
      if (g > 0.0001f) {
        const float k = Clamp01(0.56f * g + 0.3f);
        colour = {colour.r + (rootColour.r - colour.r) * k, colour.g + (rootColour.g - colour.g) * k,
                  colour.b + (rootColour.b - colour.b) * k};
      }
    }
    const float wave = Clamp01((std::sin(3.5f * sparkRate * p.time - 2.9f * angle) * 0.5f + 0.5f) * 0.28f +
                               (std::sin(5.0f * sparkRate * p.time + 5.8f * angle) * 0.5f + 0.5f) * 0.72f);
    float sp = Clamp01(sparkA * wave * (0.38f * liveTempo + 0.54f) * (0.76f * std::pow(live, 0.9f) + 0.24f));
    if (sp > 0.0001f) {
      const float lift = 0.75f * (0.24f * sp + 0.06f);
      colour = {Clamp01(colour.r + lift), Clamp01(colour.g + lift), Clamp01(colour.b + lift)};
    }
    if (minorMix > 0.0001f) {
      const float dm = WrapAngle(angle - minorAngle);
      const float gm = std::exp(-dm * dm / 0.026538271f);
      const float w0 = Clamp01(0.84f * gm * gm * minorMix + 0.16f);
      const float toward = Clamp01(0.58f * w0 + 0.2f);
      float* ch[3] = {&colour.r, &colour.g, &colour.b};
      const float tint[3] = {beadTint.r, beadTint.g, beadTint.b};
      for (int c = 0; c < 3; ++c) {
        const float dark = *ch[c] * (1.0f - 0.64f * w0);
        *ch[c] = dark + (tint[c] - dark) * toward;
      }
    }
    const float radial = (rr - meanR) / std::max(0.18f * meanR, 0.0001f);
    const float rNext = std::hypot(SampleRingLinear(s.x, u + 1.0f) - f.cx, SampleRingLinear(s.y, u + 1.0f) - f.cy);
    const float rPrev = std::hypot(SampleRingLinear(s.x, u - 1.0f) - f.cx, SampleRingLinear(s.y, u - 1.0f) - f.cy);
    const float slope = ClampFloat((rNext - rPrev) / std::max(0.08f * meanR, 0.0001f), -1.0f, 1.0f);
    const float size = ClampFloat(0.75f * radial + 1.0f + 0.15f * slope, 0.5f, 2.0f) * 1.9f;

    const float k = snap ? 1.0f : follow;
    o.beadX[i] += (px - o.beadX[i]) * k;
    o.beadY[i] += (py - o.beadY[i]) * k;
    o.beadR[i] += (colour.r - o.beadR[i]) * k;
    o.beadG[i] += (colour.g - o.beadG[i]) * k;
    o.beadB[i] += (colour.b - o.beadB[i]) * k;
    o.beadSize[i] += (size - o.beadSize[i]) * k;

    // Drawn from the stored values, kept inside the reach so the whole disc stays within it.
    const float sz = std::max(o.beadSize[i], 0.75f) * fade;
    const OrbRgb bc{Clamp01(o.beadR[i]), Clamp01(o.beadG[i]), Clamp01(o.beadB[i])};
    float bx = o.beadX[i], by = o.beadY[i];
    const float len = std::hypot(bx, by);
    const float limit = std::max(0.0f, s.reach - (sz + 1.0f) / std::max(f.scale, 1.0f));
    if (len > 0.000001f && len > limit) {
      bx *= limit / len;
      by *= limit / len;
    }
    float cx, cy;
    OrbToPixel(p, f, bx, by, &cx, &cy);
    AddDisc(o.beads, cx, cy, (0.28f * q + 1.62f + 0.24f * sp + 0.58f * g) * sz, bc,
            (0.24f * q + 0.1f + 0.18f * sp + 0.46f * g) * (1.0f - 0.4f * minorMix) * alphaScale, segments);
    AddDisc(o.beads, cx, cy, (0.34f * sp + 1.92f + 0.62f * g) * sz, bc,
            (0.08f * sp + 0.02f + 0.14f * g) * (1.0f - 0.36f * minorMix) * alphaScale, segments);
    AddDisc(o.beads, cx, cy, sz, bc, (0.44f * q + 0.24f + 0.34f * g) * (1.0f - 0.32f * minorMix) * alphaScale, segments);
  }
  o.beadPrevTime = p.time;
}

void FillOrbOutlines(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbDrawMemory& d,
                     OrbOverlayMemory& o) {
  const int samples = f.detail.samples;
  if (o.outline.xy.capacity() == 0) {
    const size_t most = 2 * (static_cast<size_t>(f.n) + 1);
    o.outline.xy.reserve(most * 2);
    o.outline.rgba.reserve(most * 4);
    o.reach.xy.reserve(257 * 2);
    o.reach.rgba.reserve(257 * 4);
  }
  const float alphaScale = gDrawAlpha;
  o.outline.Clear();
  const OrbRgb light = FlashTint(0.4f * d.orbFlash, {1, 1, 1});
  for (int pass = 0; pass < 2; ++pass) {
    const OrbRgb c = pass == 0 ? OrbRgb{0, 0, 0} : light;
    const float a = (pass == 0 ? 0.18f : 0.09f) * alphaScale;
    for (int k = 0; k <= samples; ++k) {
      const int i = RingSampleIndex(k, samples, f.n);
      float px, py;
      OrbToPixel(p, f, s.x[i], s.y[i], &px, &py);
      o.outline.Add(px, py, c.r, c.g, c.b, a);
    }
  }
  o.reach.Clear();
  const OrbRgb rc = FlashTint(0.3f * d.orbFlash, {1, 1, 1});
  const int segments = ClampInt(static_cast<int>(std::lround(128.0f * d.smoothQuality + 128.0f)), 120, 256);
  for (int k = 0; k <= segments; ++k) {
    const float a = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(segments);
    o.reach.Add(p.centreX + f.scale * std::cos(a), p.centreY + f.scale * std::sin(a), rc.r, rc.g, rc.b, 0.08f * alphaScale);
  }
}
