// visual/orb_shape: the second half of one orb step: the ring's shape and its ink.
//
// Each ring point has a radius along its own ray from the moving centre. Its target radius is the
// rest radius plus bumps toward the lit major positions, dents for minor and key light and for
// scale entries, travelling waves and an idle breathing; a spring pulls it there and a tension term
// smooths it along the ring. Notes then deposit ink in their palette colours, the ink flows along
// the ring, blurs, is pulled into the inner points and fades.
//
// A step runs in this order: size the working arrays; weigh the twelve positions and measure their
// angles from the eased centre; size the step's shape terms and ink deposits; then per point, its
// ray and radius, the shape terms of the lit positions, the ink deposits and the idle motion; the
// radial integration, the relaxation along the ring and the inner points; the ink's flow along the
// ring and into the inner points; the ink's decay.
//
// Sections: constants; state; internal helpers; the step's plan; per-point shape and ink; radii;
// ink flow and decay; public functions.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/draw_alpha.h"
#include "theory/ring_palette.h"
#include "visual/orb_ink.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"
#include "visual/ring_glow.h"

// ---- constants ----
namespace {
constexpr float kPi = 3.14159265358979f;

// Mean of e^(-0.85 s) cos(5.4 s) and e^(-0.85 s) sin(5.4 s) over s in [0, pi]: the minor wave's
// average, taken off so the wave does not push the whole ring out or in.
const float kWaveCbar = static_cast<float>(
    (0.85 + std::exp(-0.85 * 3.141592653589793) * (-0.85 * std::cos(5.4 * 3.141592653589793) +
                                                   5.4 * std::sin(5.4 * 3.141592653589793))) /
    29.8825 / 3.141592653589793);
const float kWaveSbar = static_cast<float>(
    (5.4 + std::exp(-0.85 * 3.141592653589793) * (-0.85 * std::sin(5.4 * 3.141592653589793) -
                                                  5.4 * std::cos(5.4 * 3.141592653589793))) /
    29.8825 / 3.141592653589793);

// ---- state ----
// Working arrays of a step, kept between steps only to spare the allocations.
struct OrbWork {
  std::vector<float> radius, radialVel, bumpV, resV, wobV, cosPhi, sinPhi;
  std::vector<float> tmp0, tmp1, tmp2, tmp3;
  std::vector<float> copyR, copyG, copyB, innerCopyR, innerCopyG, innerCopyB;
};
OrbWork gWork;

// Sines and cosines that depend only on a point's index, made once per ring size: the steps turn
// them by the angle of the moment with the addition rule instead of calling sin per point.
struct OrbAngleTables {
  int n = 0;
  std::vector<float> ringCos, ringSin;    // angle 2 pi j / n
  std::vector<float> c031, s031;          // angle 0.031 j (idle bump)
  std::vector<float> c041, s041;          // angle 0.041 j (ink flow)
  std::vector<float> c063, s063;          // angle 0.063 j (ink flow)
};
OrbAngleTables gTables;

const OrbAngleTables& AngleTables(int n) {
  OrbAngleTables& t = gTables;
  if (t.n == n) return t;
  t.n = n;
  for (std::vector<float>* a : {&t.ringCos, &t.ringSin, &t.c031, &t.s031, &t.c041, &t.s041, &t.c063, &t.s063}) {
    a->resize(static_cast<size_t>(n));
  }
  for (int j = 0; j < n; ++j) {
    const double ring = 2.0 * 3.141592653589793 * j / n;
    t.ringCos[j] = static_cast<float>(std::cos(ring));
    t.ringSin[j] = static_cast<float>(std::sin(ring));
    t.c031[j] = static_cast<float>(std::cos(0.031 * j));
    t.s031[j] = static_cast<float>(std::sin(0.031 * j));
    t.c041[j] = static_cast<float>(std::cos(0.041 * j));
    t.s041[j] = static_cast<float>(std::sin(0.041 * j));
    t.c063[j] = static_cast<float>(std::cos(0.063 * j));
    t.s063[j] = static_cast<float>(std::sin(0.063 * j));
  }
  return t;
}

// ---- internal helpers ----
float Finite(float x) { return std::isfinite(x) ? x : 0.0f; }

float Ease(float value, float target, float rate, float dt) {
  return value + (target - value) * (1.0f - std::exp(-rate * dt));
}

// Difference of two angles that each lie within a few turns of each other, in [-pi, pi].
inline float AngleDiff(float x) {
  if (!(x > -8.0f * kPi && x < 8.0f * kPi)) return WrapAngle(x);
  while (x > kPi) x -= 2.0f * kPi;
  while (x < -kPi) x += 2.0f * kPi;
  return x;
}

// Index i (at most two away from 0..n-1) wrapped into 0..n-1 without a division.
inline int Wrap(int i, int n) {
  if (i < 0) i += n;
  if (i < 0) i += n;
  if (i >= n) i -= n;
  if (i >= n) i -= n;
  return i;
}

// exp(-d2 / var), taken as 0 where it is below 1e-14 (far outside the bell), which no sum here
// can tell from the exact value.
inline float Gauss(float d2, float var) {
  if (d2 > 32.0f * var) return 0.0f;
  return std::exp(-d2 / var);
}

// 6 tanh(c / 6): the soft limit of an ink channel. Small values, the common case, take the
// series, which in float equals the function there.
inline float SoftLimitInk(float c) {
  const float x = c / 6.0f;
  if (std::fabs(x) < 0.03f) {
    const float x2 = x * x;
    return 6.0f * (x - x * x2 * (1.0f / 3.0f) + x * x2 * x2 * (2.0f / 15.0f));
  }
  return 6.0f * std::tanh(x);
}

// ClampFloat, inline for the per-point loops (a NaN becomes hi).
inline float Clamp(float x, float lo, float hi) {
  if (lo > x) return lo;
  return x < hi ? x : hi;
}

// Linear sample at fractional index u round a ring of n values (index and weight found once for
// all three channels).
struct RingSample {
  int i0, i1;
  float frac;
};
inline RingSample RingSampleAt(float u, int n) {
  const float fn = static_cast<float>(n);
  if (!(u > -4.0f * fn && u < 4.0f * fn)) u = 0.0f;
  while (u < 0.0f) u += fn;
  while (u >= fn) u -= fn;
  int i0 = static_cast<int>(u);
  float frac = u - static_cast<float>(i0);
  if (i0 >= n) {
    i0 = 0;
    frac = 0.0f;
  }
  const int i1 = i0 + 1 == n ? 0 : i0 + 1;
  return {i0, i1, frac};
}
inline float Sample(const std::vector<float>& a, const RingSample& r) {
  return (1.0f - r.frac) * a[r.i0] + r.frac * a[r.i1];
}

// The twelve palette colours, prepared once for the deposits.
const OrbInkColour* PreparedPalette() {
  static OrbInkColour prepared[12];
  static bool ready = false;
  if (!ready) {
    for (int i = 0; i < 12; ++i) prepared[i] = PrepareInkColour(kRingPalette[i]);
    ready = true;
  }
  return prepared;
}

// Divides by the sum, shapes by the exponent, and renormalises; all weight on the focus when the
// sum is nothing.
void NormaliseWeights(float w[12], int focus, float exponent) {
  float sum = 0.0f;
  for (int i = 0; i < 12; ++i) sum += w[i];
  if (sum <= 0.00001f) {
    w[focus] = 1.0f;
    sum = 1.0f;
  }
  float sum2 = 0.0f;
  for (int i = 0; i < 12; ++i) {
    w[i] = std::pow(Clamp01(w[i] / sum), exponent);
    sum2 += w[i];
  }
  if (sum2 > 0.00001f) {
    for (int i = 0; i < 12; ++i) w[i] /= sum2;
  }
}

// A unit complex number (cos, sin); products add angles, so multiples of a point's angle come from
// its cosine and sine without further calls.
struct Turn {
  float c, s;
};
inline Turn Mul(Turn a, Turn b) { return {a.c * b.c - a.s * b.s, a.s * b.c + a.c * b.s}; }

// Ink channels of one point, as three references.
struct InkRef {
  float& r;
  float& g;
  float& b;
};


// ---- the step's plan ----
// What every point of one step shares: the inputs, the weights of the twelve positions, their
// angles from the eased centre, and the sizes of this step's shape terms and ink deposits. Filled
// once before the per-point pass; only the fill functions below write it.
struct RingStep {
  const OrbParams& p;
  const OrbStepVars& v;
  OrbState& s;
  OrbStepMemory& m;
  OrbWork& w;
  const OrbAngleTables& tables;
  const OrbInkColour* palette;
  int N = 0, M = 0, M1 = 0;  // ring points, inner points, inner points without the centre
  float dt = 0, S = 0, R = 0, A = 0, tau = 0;  // step, reach, rest radius, contraction, record time
  bool listOn = false, keyMode = false, minorMode = false;  // a scale list is on; the key or the minor look
  float rotCos = 0, rotSin = 0;  // the ring's rotation
  float c0 = 0, c1 = 0;  // the centre after this step's move

  // Weights and angles.
  float eMajorLin[12] = {}, eMinorLin[12] = {}, eKeyLin[12] = {};  // light plus onset pulse, 0..1
  float wt[12] = {};  // normalised weights of the major ink
  float w2[12] = {};  // normalised weights of the minor dents and the key wobble
  float sc[2] = {};  // the eased centre kept well inside the reach; angles are measured from it
  float angK[12] = {};  // angle of each position's place on the limit circle, seen from sc

  // Shape terms.
  float bumpVar = 0, peakBump = 0, kBumpMajor = 0, kDentMinor = 0, kDentKey = 0, pushLimit = 0;
  float waveMean = 0;  // the minor wave's mean, taken off
  float majorCalm = 0;  // less minor motion while much major light is on
  float minorDark = 0, innerDark = 0, minorBlend = 0, innerInk = 0, opposite = 0;  // by whether a scale list is on
  float baseOffset = 0, rR = 0, contractDamp = 0, keyWaveDamp = 0;
  bool scaleDents = false;
  float minorResM = 0, keyKWob = 0;
  float keyWaveHold[12] = {}, keyWaveFreq[12] = {}, keyWaveBase[12] = {};
  float riseMinor[12] = {}, riseMajor[12] = {}, riseKey[12] = {};
  bool needB[12] = {};  // the position bumps the ring or pushes it
  bool needA[12] = {};  // the position dents the ring
  int lit[12] = {}, litCount = 0;  // positions that add anything to a point's shape
  float wobCos[12] = {}, wobSin[12] = {}, keyAngleCos = 0, keyAngleSin = 0;

  // Ink deposits.
  float mj = 0, dep = 0, majorVar = 0, tw = 0;
  int inkType[12] = {};
  bool keyInk = false;
  int keyPos = 0;
  float keyVar = 0, keyAmtBase = 0;
  const float* kc = nullptr;  // the key colour
  float minorVar = 0, amtM = 0;
  const float* minorSat = nullptr;  // the strongest minor position's colour
  float sumKeyLin = 0, sumMinorLin = 0;

  // Idle motion.
  bool wanderOn = false, breathing = false;
  float breathQb = 0, breathB8 = 0;
  int wanderList[12] = {}, wanderCount = 0;
  float idleCos = 0, idleSin = 0;
  float breathCosA = 0, breathSinA = 0, breathCosB = 0, breathSinB = 0, breathCosC = 0, breathSinC = 0;
};

// The working arrays sized for this ring.
void SizeWorkArrays(RingStep& st) {
  OrbWork& w = st.w;
  for (std::vector<float>* a : {&w.radius, &w.radialVel, &w.bumpV, &w.resV, &w.wobV, &w.cosPhi,
                                &w.sinPhi, &w.tmp0, &w.tmp1, &w.tmp2, &w.tmp3, &w.copyR, &w.copyG,
                                &w.copyB}) {
    a->resize(static_cast<size_t>(st.N));
  }
  for (std::vector<float>* a : {&w.innerCopyR, &w.innerCopyG, &w.innerCopyB}) {
    a->resize(static_cast<size_t>(st.M));
  }
}

// Each position's light plus its onset pulse, and the weights the major ink and the mode shapes
// share out among the positions, the focus (accent, scale anchor or root) kept lit.
void WeighPositions(RingStep& st) {
  const OrbParams& p = st.p;
  const OrbStepVars& v = st.v;
  const OrbStepMemory& m = st.m;
  for (int i = 0; i < 12; ++i) {
    st.eMajorLin[i] = Clamp01(v.gMajor[i] + m.pulseMajor[i]);
    st.eMinorLin[i] = Clamp01(v.gMinor[i] + m.pulseMinor[i]);
    st.eKeyLin[i] = Clamp01(v.gKey[i] + m.pulseKey[i]);
  }
  const int weightFocus =
      p.accentPos >= 0 ? OrbRingMod(p.accentPos) : v.anchorPos >= 0 ? v.anchorPos : v.rootPos;
  const float focusW = Clamp01(v.accentAmount * 0.72f + v.holdLevel + v.majorDrive * 0.58f);
  float* wt = st.wt;
  float* w2 = st.w2;
  for (int i = 0; i < 12; ++i) {
    wt[i] = Clamp01(0.78f * st.eMajorLin[i] + 0.95f * st.eMinorLin[i] + 1.12f * st.eKeyLin[i]);
    w2[i] = Clamp01(0.9f * st.eMinorLin[i] + 1.35f * st.eKeyLin[i]);
  }
  wt[weightFocus] = std::max(wt[weightFocus], focusW * 0.86f + 0.28f);
  if (!v.accentVisible) {
    wt[v.rootPos] = Clamp01(wt[v.rootPos] + Clamp01(v.majorDrive * 0.55f + v.holdLevel) * 0.16f);
  }
  w2[weightFocus] = std::max(w2[weightFocus], focusW * 0.66f + 0.22f);
  NormaliseWeights(wt, weightFocus, 0.78f);
  NormaliseWeights(w2, weightFocus, 0.74f);
}

// Eases the smoothed centre toward the centre and measures each position's angle from it, so the
// bumps do not jump when the centre is kicked.
void MeasureAnglesFromCentre(RingStep& st) {
  OrbState& s = st.s;
  const float S = st.S;
  s.smoothCentre[0] = Ease(s.smoothCentre[0], st.v.c[0], 4.5f, st.dt);
  s.smoothCentre[1] = Ease(s.smoothCentre[1], st.v.c[1], 4.5f, st.dt);
  float* sc = st.sc;
  sc[0] = s.smoothCentre[0];
  sc[1] = s.smoothCentre[1];
  const float scLen = std::hypot(sc[0], sc[1]);
  if (scLen > 0.55f * S) {
    sc[0] *= 0.55f * S / scLen;
    sc[1] *= 0.55f * S / scLen;
  }
  for (int k = 0; k < 12; ++k) {
    const float a = RingPosAngle(k);
    st.angK[k] = std::atan2(std::sin(a) * S - sc[1], std::cos(a) * S - sc[0]);
  }
}

// Sizes of this step's shape terms: the major bumps, the minor and key dents, the onset pushes, the
// minor and key waves, and the looks that depend on whether a scale list is on.
void SizeShapeTerms(RingStep& st) {
  const OrbParams& p = st.p;
  const OrbStepVars& v = st.v;
  const OrbState& s = st.s;
  const float A = st.A, tau = st.tau;
  const bool listOn = st.listOn;
  const float bumpSigma = (v.bestMajor * 0.45f + 0.75f) * 0.06f * kPi;
  st.bumpVar = 2.0f * bumpSigma * bumpSigma;
  st.peakBump = (v.bestMajor * 0.55f + 0.35f) * 0.8f * v.bestMajor;
  st.kBumpMajor = (A * 0.95f + 0.85f) * 1.6544f;
  st.kDentMinor = (A * 0.4f + 0.8f) * 0.16f * v.coreFactor;
  st.kDentKey = (A * 0.6f + 0.95f) * 0.384f * v.coreFactor;
  st.pushLimit = ((1.0f - v.keyLevel) * 0.22f + 0.18f) * 0.48f;
  st.waveMean = std::sin(4.0f * tau) * kWaveCbar - std::cos(4.0f * tau) * kWaveSbar;
  st.majorCalm = 1.0f - Clamp01(v.sumMajor / 2.2f) * 0.5f;
  st.minorDark = listOn ? 1.0f : 1.7f;
  st.innerDark = listOn ? 0.84f : 1.55f;
  st.minorBlend = listOn ? 0.45f : 0.3f;
  st.innerInk = listOn ? 0.44f : 0.24f;
  st.opposite = listOn ? 0.0f : 1.0f;
  st.baseOffset = (v.sumMajor + v.sumMinor - v.sumKey) / 12.0f * 0.016f;
  st.rR = v.rR;
  st.contractDamp = 1.0f - 0.65f * Clamp01(A);
  st.keyWaveDamp = 1.0f - 0.55f * Clamp01(A);
  st.scaleDents = (p.scaleMode == 1 || p.scaleMode == 2) && listOn && v.scaleDent > 0.0001f;
  st.minorResM = Clamp01(v.bestMinor * 0.82f + 0.38f + v.accentAmount * 0.62f + v.holdLevel * 0.34f);
  st.keyKWob = Clamp01(v.keyLevel * 1.2f + 0.46f + v.sumKey * 0.34f + v.holdLevel * 0.42f);
  for (int i = 0; i < 12; ++i) {
    const float hold = Clamp01(s.keyHold[i] / 3.0f);
    st.keyWaveHold[i] = hold;
    st.keyWaveFreq[i] = 1.5f * hold + 3.0f;
    st.keyWaveBase[i] =
        (std::sin(0.53f * static_cast<float>(i) + 0.47f * tau) * 0.35f + 1.0f) * (1.5f * hold + 2.1f) * tau;
  }
}

// Sizes of this step's ink deposits: the major ink, each position's kind of ink, the key and the
// minor ink.
void SizeInkDeposits(RingStep& st) {
  const OrbParams& p = st.p;
  const OrbStepVars& v = st.v;
  const OrbState& s = st.s;
  const float dt = st.dt;
  const bool keyMode = st.keyMode, minorMode = st.minorMode;
  const float depositPeak = v.peak * 0.74f + 0.82f;
  const float depositScale = 1.0f - v.scaleLevel * 0.26f;
  const float mj = Clamp01(v.holdLevel * 0.45f + v.accentAmount * 0.7f + v.majorDrive * 0.25f);
  st.mj = mj;
  float pk = 0.0f;
  if (!(v.bestMinor > 0.12f || v.bestKey > 0.12f) &&
      (v.accentOn || p.accentLevel > 0.04f || v.majorDrive > 0.08f)) {
    pk = Clamp01(std::max({v.holdLevel, v.majorDrive, v.accentAmount}));
  }
  const float majorAmt = (v.accentAmount * 2.65f + 0.94f + v.holdLevel * 1.28f) * pk *
                         (v.accentAmount * v.accentAmount * 1.95f + 0.86f) * depositPeak *
                         depositScale * (mj * 1.3f + 0.95f);
  const float majorBase = (v.accentAmount * 0.82f + 0.64f) * v.kick;
  const float tintK = keyMode ? 1.0f + 3.1f * Clamp01(s.keyTint)
                      : minorMode ? 1.0f + 3.4f * Clamp01(s.minorLevel)
                                  : 1.0f;
  float dep = (majorBase * 0.8f * 60.0f * dt + majorAmt * dt * 4.9f) * v.depositGain;
  st.dep = dep / (0.95f * dep + 1.0f);
  const float majorSigma = (mj * 1.35f + 2.1f) * 0.0733038f * tintK;
  st.majorVar = 2.0f * majorSigma * majorSigma;
  st.tw = keyMode ? Clamp01(s.keyTint) : minorMode ? Clamp01(s.minorLevel) : 0.0f;
  for (int i = 0; i < 12; ++i) {
    if (st.eKeyLin[i] >= 1.05f * st.eMinorLin[i] && st.eKeyLin[i] >= 1.1f * st.eMajorLin[i]) {
      st.inkType[i] = 3;
    } else if (st.eMinorLin[i] >= 1.05f * st.eMajorLin[i]) {
      st.inkType[i] = 2;
    } else {
      st.inkType[i] = 1;
    }
  }

  st.keyInk = keyMode && v.keyLevel > 0.03f;
  st.keyPos = 0;
  st.keyVar = 1.0f;
  st.keyAmtBase = 0.0f;
  if (st.keyInk) {
    st.keyPos = OrbRingMod(p.accentPos >= 0 ? p.accentPos : v.anchorPos >= 0 ? v.anchorPos : p.keyRootPos);
    const float sk = (s.keyTint * 1.55f + 1.35f) * kPi / 6.0f;
    st.keyVar = 2.0f * sk * sk;
    st.keyAmtBase = (v.keyLevel * 1.65f + 0.6f) * dt * 0.32f * Clamp01(s.keyTint * 0.85f + 0.15f);
  }
  st.kc = st.palette[st.keyPos].sat;

  st.minorVar = 1.0f;
  st.amtM = 0.0f;
  if (minorMode) {
    const float sm = (v.accentAmount * 1.3f + 1.9f) * 0.17802359f * (s.minorLevel * 6.0f + 1.0f);
    st.minorVar = 2.0f * sm * sm;
    const float tm = p.scaleMode == 0 ? Clamp01(s.minorWarmth) : 1.0f;
    st.amtM = (v.bestMinor * 0.94f + 0.44f + v.accentAmount * 0.48f) * dt * tm * 0.52f * st.majorCalm;
  }
  st.minorSat = st.palette[v.argMinor].sat;
  st.sumKeyLin = 0.0f;
  st.sumMinorLin = 0.0f;
  for (int i = 0; i < 12; ++i) {
    if (st.eKeyLin[i] > 0.008f) st.sumKeyLin += st.eKeyLin[i];
    if (st.eMinorLin[i] > 0.008f) st.sumMinorLin += st.eMinorLin[i];
  }
}

// Which positions add anything to a point's shape this step (the others add exact zeros and are
// skipped), the rises of their light since the last step, and the phases of the key wobble.
void FindLitPositions(RingStep& st) {
  const OrbStepVars& v = st.v;
  const OrbState& s = st.s;
  const OrbStepMemory& m = st.m;
  for (int i = 0; i < 12; ++i) {
    st.riseMinor[i] = std::max(0.0f, v.gMinor[i] - m.prevMinor[i]);
    st.riseMajor[i] = std::max(0.0f, v.gMajor[i] - m.prevMajor[i]);
    st.riseKey[i] = std::max(0.0f, v.gKey[i] - m.prevKey[i]);
    st.needB[i] = st.eMajorLin[i] != 0.0f || st.riseMinor[i] != 0.0f || st.riseMajor[i] != 0.0f ||
                  st.riseKey[i] != 0.0f;
    st.needA[i] = st.eMinorLin[i] != 0.0f || st.eKeyLin[i] != 0.0f;
  }
  st.litCount = 0;
  for (int i = 0; i < 12; ++i) {
    if (st.needB[i] || st.needA[i] || s.minorEnv[i] > 0.00001f || s.keyEnv[i] > 0.00001f) {
      st.lit[st.litCount++] = i;
    }
  }
  for (int i = 0; i < 12; ++i) {
    const float a = 0.55f * s.keyAngle + 0.45f * static_cast<float>(i);
    st.wobCos[i] = std::cos(a);
    st.wobSin[i] = std::sin(a);
  }
  st.keyAngleCos = std::cos(s.keyAngle);
  st.keyAngleSin = std::sin(s.keyAngle);
}

// The idle motion of a quiet ring: the wandering accent, and the breathing after two quiet seconds;
// the phases of their waves, turned per point by the addition rule.
void PrepareIdleMotion(RingStep& st) {
  const OrbStepVars& v = st.v;
  const OrbStepMemory& m = st.m;
  const float tau = st.tau;
  st.wanderOn = m.wanderEnv > 0.00001f && m.wanderPos >= 0;
  st.breathing = m.quietTime > 2.0f && v.peak < 0.06f && v.scaleLevel < 0.03f;
  st.breathQb = 0.0f;
  st.breathB8 = 0.0f;
  st.wanderCount = OrbWanderList(st.p.scaleMask, st.wanderList);
  if (st.breathing) {
    st.breathQb = Clamp01((m.quietTime - 2.0f) / 6.0f);
    st.breathB8 = std::sin(0.42f * tau) * 0.5f + 0.5f;
  }
  st.idleCos = std::cos(0.73f * tau + 1.2f);
  st.idleSin = std::sin(0.73f * tau + 1.2f);
  const float breathB8 = st.breathB8;
  const float breathA = (0.07f * breathB8 + 0.33f) * tau - 0.8f;
  const float breathB = (0.1f * breathB8 + 0.55f) * tau;
  const float breathC = (0.05f * breathB8 + 0.21f) * tau + 1.4f;
  st.breathCosA = std::cos(breathA);
  st.breathSinA = std::sin(breathA);
  st.breathCosB = std::cos(breathB);
  st.breathSinB = std::sin(breathB);
  st.breathCosC = std::cos(breathC);
  st.breathSinC = std::sin(breathC);
}

// ---- per-point shape and ink ----
// One ring point as the pass finds it.
struct RingPoint {
  float cp, sp;   // cosine and sine of the point's ray angle
  Turn z1, z2;    // the ray angle and its double, for the multiples the waves need
  float r;        // radius along the ray from the centre
  float dK[12];   // angle gap to each position, seen from the eased centre
};

// What a point's shape terms add up to: the push toward the lit positions, the dents, the key
// wobble, and the radial speed with this step's pushes.
struct PointShape {
  float bump, dent, keyWob, rv, res;
};

// The point's ray, its radius along it (the rest radius when it lies behind the centre), its radial
// speed and its angle gaps to the positions.
void LocatePoint(RingStep& st, int j, RingPoint& pt, PointShape& shape) {
  const OrbState& s = st.s;
  const OrbStepVars& v = st.v;
  OrbWork& w = st.w;
  const float c0 = st.c0, c1 = st.c1;
  // phi = 2 pi j / N + ringRotation, the angle of the point's ray.
  const float cp = st.tables.ringCos[j] * st.rotCos - st.tables.ringSin[j] * st.rotSin;
  const float sp = st.tables.ringSin[j] * st.rotCos + st.tables.ringCos[j] * st.rotSin;
  w.cosPhi[j] = cp;
  w.sinPhi[j] = sp;
  pt.cp = cp;
  pt.sp = sp;
  pt.z1 = Turn{cp, sp};
  pt.z2 = Mul(pt.z1, pt.z1);
  float r = (s.x[j] - c0) * cp + (s.y[j] - c1) * sp;
  if (!(r > 0.0f)) r = st.rR;
  w.radius[j] = r;
  pt.r = r;
  shape.rv = (s.vx[j] * cp + s.vy[j] * sp) - (v.v[0] * cp + v.v[1] * sp);  // radial speed
  const float ang = std::atan2(r * sp + c1 - st.sc[1], r * cp + c0 - st.sc[0]);
  for (int i = 0; i < 12; ++i) pt.dK[i] = AngleDiff(ang - st.angK[i]);
}

// The bump toward the brightest major position and the dents and ripples of the scale entries.
void AddPeakBumpAndScaleDents(const RingStep& st, const RingPoint& pt, PointShape& shape) {
  const OrbState& s = st.s;
  const OrbStepVars& v = st.v;
  const float* dK = pt.dK;
  shape.bump = 0.0f;
  if (st.peakBump != 0.0f) shape.bump = Gauss(dK[v.argMajor] * dK[v.argMajor], st.bumpVar) * st.peakBump;
  shape.dent = 0.0f;
  shape.keyWob = 0.0f;
  if (!st.scaleDents) return;
  const float rR = st.rR;
  const float u = Clamp01((pt.r - 0.72f * rR) / std::max(0.0001f, 0.16f * rR));
  for (int e = 0; e < v.list.count; ++e) {
    const int q = v.list.pos[e];
    if (!(s.swellPos[q] > 0.0001f)) continue;
    const float g = Gauss(dK[q] * dK[q], 0.010624433f);
    shape.dent -= g * u * (s.swellPos[q] * 0.13f + 0.08f + v.entryA[q] * 0.055f) * (v.entryB[q] * 0.6f + 0.9f);
    if (s.scaleRipple[q] > 0.00001f) {
      shape.rv += std::sin(5.4f * dK[q] + 8.0f * st.tau) * g * s.scaleRipple[q] * (v.entryW[q] * 0.18f + 0.16f);
    }
  }
}

// Each lit position's bump, dents and onset push, and the waves that minor onsets and held key
// light send along the ring; sums them into the point's residual target.
void AddLitPositions(const RingStep& st, const RingPoint& pt, PointShape& shape) {
  const OrbState& s = st.s;
  const OrbStepVars& v = st.v;
  const float tau = st.tau;
  float waveAcc = 0.0f, waveSum = 0.0f, waveMax = 0.0f, keyAcc = 0.0f;
  for (int li = 0; li < st.litCount; ++li) {
    const int i = st.lit[li];
    const float d = pt.dK[i];
    const float d2 = d * d;
    const float eM = st.eMajorLin[i], eMn = st.eMinorLin[i], eK = st.eKeyLin[i];
    const float gB = st.needB[i] ? Gauss(d2, st.bumpVar) : 0.0f;
    shape.bump += eM * st.kBumpMajor * gB;

    if (st.needA[i]) {
      const float gA = Gauss(d2, 0.0710611641f);
      const float dOpp = AngleDiff(d - kPi);
      const float gOpp = Gauss(dOpp * dOpp, 0.0710611641f);
      const float m2 = eMn * eMn * st.kDentMinor;
      const float k4 = eK * st.kDentKey;
      shape.dent -= 0.15f * m2 * gA + 0.22f * k4 * gA + 0.035f * m2 * gOpp;
      shape.dent += st.opposite * 0.5f * m2 * gOpp;
      shape.dent -= 0.05f * k4 * gOpp + 0.12f * eK * gA;
    }

    const float push = Clamp((0.34f * st.riseMinor[i] + st.riseMajor[i] - 0.72f * st.riseKey[i]) * gB * 0.48f,
                             -st.pushLimit, st.pushLimit);
    if (std::fabs(push) > 0.00001f) shape.rv += push;

    const float dd = std::fabs(d);
    if (s.minorEnv[i] > 0.00001f) {
      const float e = std::exp(-0.85f * dd);
      const float sw = (std::sin(4.0f * tau - 5.4f * dd) * e - st.waveMean) * s.minorEnv[i];
      waveAcc += sw * (v.gMinor[i] * 0.022f + 0.02f) * st.contractDamp * st.majorCalm * 0.35f;
      if (!st.listOn) shape.rv += sw * 0.032f * st.contractDamp * st.majorCalm * 0.35f;
      waveSum += s.minorEnv[i] * e;
      waveMax = std::max(waveMax, s.minorEnv[i] * e);
    }
    if (s.keyEnv[i] > 0.00001f) {
      const float hold = st.keyWaveHold[i];
      const float e = std::exp(-1.15f * dd);
      float sk = std::sin(st.keyWaveBase[i] - st.keyWaveFreq[i] * dd);
      if (hold > 0.0f) sk = std::copysign(std::pow(std::fabs(sk), 1.0f + 2.2f * hold), sk);
      keyAcc += sk * e * s.keyEnv[i] * (v.gKey[i] * 0.03f + 0.03f) * st.keyWaveDamp * (1.1f * hold + 1.0f);
    }
  }
  shape.res = Clamp(waveSum > 0.00001f ? waveAcc * waveMax / waveSum : waveAcc, -0.04f, 0.04f) +
              shape.dent + Clamp(keyAcc, -0.065f, 0.065f);
}

// The minor look's dents and the key look's nine-fold wobble over the weighted positions, strongest
// toward the outside of the ring.
void AddModeShapes(const RingStep& st, const RingPoint& pt, PointShape& shape) {
  const float rR = st.rR;
  const float* dK = pt.dK;
  const float u2 = Clamp01((pt.r - 0.6f * rR) / std::max(0.0001f, 0.4f * rR));
  if (st.minorMode) {
    for (int i = 0; i < 12; ++i) {
      if (!(st.w2[i] > 0.01f)) continue;
      shape.res -= Gauss(dK[i] * dK[i], 0.0158462f) * u2 * st.minorResM * 0.296f *
                   std::max(0.22f, 2.35f * st.w2[i]) * 0.5f;
    }
  } else if (st.keyMode) {
    const Turn z4 = Mul(pt.z2, pt.z2);
    const Turn z9 = Mul(Mul(z4, z4), pt.z1);
    for (int i = 0; i < 12; ++i) {
      if (!(st.w2[i] > 0.01f)) continue;
      // sin(9 phi + wobPhase[i])
      const float sn = (z9.s * st.wobCos[i] + z9.c * st.wobSin[i]) * 0.5f + 0.5f;
      shape.keyWob -= (sn * sn * 0.28f + 0.08f) * Gauss(dK[i] * dK[i], 0.0158462f) * u2 * st.keyKWob *
                      std::max(2.45f * st.w2[i], 0.24f);
    }
  }
}

// Major ink in each weighted position's colour, of the kind of light that dominates there.
void DepositMajorInk(const RingStep& st, const RingPoint& pt, InkRef& ink) {
  if (!(st.dep > 0.000001f)) return;
  const float mj = st.mj, tw = st.tw;
  for (int i = 0; i < 12; ++i) {
    if (!(st.wt[i] > 0.008f)) continue;
    const float d2 = pt.dK[i] * pt.dK[i];
    const float g = Gauss(d2, 0.0107469f);
    const float gs = Gauss(d2, st.majorVar);
    const float amount = ((0.86f - 0.42f * mj) * g * (1.0f - 0.55f * tw) +
                          (0.62f * mj + 0.3f) * gs * (1.0f + 1.3f * tw)) *
                         st.dep * std::max(0.2f, 2.3f * st.wt[i]) / (1.0f + 2.6f * tw);
    if (amount > 0.00001f) DepositPreparedInk(ink.r, ink.g, ink.b, st.inkType[i], amount, st.palette[i]);
  }
}

// A faint touch of the wandering accent's colour.
void DepositIdleAccentInk(const RingStep& st, const RingPoint& pt, InkRef& ink) {
  if (!st.wanderOn) return;
  const OrbStepMemory& m = st.m;
  const float dw = pt.dK[m.wanderPos];
  const float g = Gauss(dw * dw, 0.0140368f) * m.wanderEnv * m.wanderStrength;
  if (g > 0.000001f) DepositPreparedInk(ink.r, ink.g, ink.b, 1, g, st.palette[m.wanderPos]);
}

// The scale entries' strikes and glow warm the ring; their ink darkens the rest, tinted in the
// minor look.
void DepositScaleInk(const RingStep& st, const RingPoint& pt, InkRef& ink, InkRef& in) {
  const OrbState& s = st.s;
  const OrbScaleWeights& list = st.v.list;
  for (int e = 0; e < list.count; ++e) {
    const int q = list.pos[e];
    const float a = list.a[e], b = list.b[e], we = list.weight[e];
    const float d2 = pt.dK[q] * pt.dK[q];
    const float g = Gauss(d2, 0.0066345679f);
    const float sgm = (1.3f * b + 1.9f) * 0.0575958677f;
    const float gs = Gauss(d2, 2.0f * sgm * sgm);
    const float x7 = s.scaleHit[q] * we * (0.42f * a + 0.94f) * (0.36f * gs + 0.64f * g);
    const float x10 = s.scaleGlow[q] * we * (0.3f * a + 0.86f) * (0.76f * g + 0.24f * gs);
    const float x8 = (0.12f * g + 0.16f * gs) * b * a * we;
    if (!(x7 > 0.000001f || x10 > 0.000001f || x8 > 0.000001f)) continue;
    ink.r += 1.9f * x7 + 1.05f * x10 + 0.715f * x8 + 0.96f * x10;
    ink.g += -0.48f * x7 - 0.121f * x8 + 0.96f * x10;
    ink.b += -0.42f * x7 - 0.099f * x8 + x10;
    const float s7 = x7 + x8;
    if (st.minorMode) {
      const float* cq = st.palette[q].sat;
      const float t = (0.44f * b + 0.28f) * s7;
      float* outer[3] = {&ink.r, &ink.g, &ink.b};
      float* inner[3] = {&in.r, &in.g, &in.b};
      for (int ch = 0; ch < 3; ++ch) {
        *outer[ch] -= ((1.0f - cq[ch]) * 0.1f + 0.05f) * t;
        *outer[ch] += 0.18f * cq[ch] * t;
        *inner[ch] -= ((1.0f - cq[ch]) * 0.06f + 0.028f) * t;
        *inner[ch] += 0.12f * cq[ch] * t;
      }
    } else {
      ink.r -= 0.44f * s7;
      ink.g -= 0.42f * s7;
      ink.b -= 0.42f * s7;
      in.r -= 0.26f * s7;
      in.g -= 0.26f * s7;
      in.b -= 0.26f * s7;
    }
  }
}

// Key ink: the key colour pales the ring where the key ring's light covers it.
void DepositKeyInk(const RingStep& st, const RingPoint& pt, InkRef& ink, InkRef& in) {
  if (!st.keyInk) return;
  const float* dK = pt.dK;
  float cover = 0.0f;
  if (st.sumKeyLin > 0.00001f) {
    for (int i = 0; i < 12; ++i) {
      if (st.eKeyLin[i] > 0.008f) cover += st.eKeyLin[i] * Gauss(dK[i] * dK[i], st.keyVar);
    }
    cover /= st.sumKeyLin;
  } else {
    cover = Gauss(dK[st.keyPos] * dK[st.keyPos], st.keyVar);
  }
  cover = Clamp01(cover);
  const float amt = st.keyAmtBase * (0.6f * cover + 0.4f) * cover;
  const float* kc = st.kc;
  float* outer[3] = {&ink.r, &ink.g, &ink.b};
  float* inner[3] = {&in.r, &in.g, &in.b};
  for (int ch = 0; ch < 3; ++ch) {
    *outer[ch] -= (1.05f - 0.12f * kc[ch]) * amt;
    *outer[ch] += 0.04f * kc[ch] * amt;
    *inner[ch] -= (0.7f - 0.08f * kc[ch]) * amt;
  }
}

// Minor ink: darkens and cools where the minor ring's light covers the ring.
void DepositMinorInk(const RingStep& st, const RingPoint& pt, InkRef& ink, InkRef& in) {
  if (!st.minorMode) return;
  const OrbStepVars& v = st.v;
  const float* dK = pt.dK;
  const float minorVar = st.minorVar, minorBlend = st.minorBlend, amtM = st.amtM;
  const float innerDark = st.innerDark, minorDark = st.minorDark, innerInk = st.innerInk;
  float cover = 0.0f;
  auto kernel = [&](float d) {
    return 0.64f * Gauss(d * d, 0.0633848f) + 0.36f * Gauss(d * d, minorVar);
  };
  if (st.sumMinorLin > 0.00001f) {
    for (int i = 0; i < 12; ++i) {
      if (st.eMinorLin[i] > 0.008f) cover += st.eMinorLin[i] * kernel(dK[i]);
    }
    cover /= st.sumMinorLin;
  } else {
    cover = kernel(dK[v.argMinor]);
  }
  cover = Clamp01(cover);
  const float kb = ((1.0f - minorBlend) * cover + minorBlend) * cover;
  const float x7 = (0.62f * cover + 0.16f) * amtM * kb;
  const float x6 = (0.88f * cover + 0.12f) * amtM * kb;
  const float fadeOuter = std::exp(-x6), fadeInner = std::exp(-innerDark * x6);
  ink.r *= fadeOuter;
  ink.g *= fadeOuter;
  ink.b *= fadeOuter;
  in.r *= fadeInner;
  in.g *= fadeInner;
  in.b *= fadeInner;
  ink.r -= minorDark * 0.06f * x7;
  ink.g -= minorDark * 0.07f * x7;
  ink.b -= minorDark * 0.08f * x7;
  in.r -= minorDark * 0.03f * x7;
  in.g -= minorDark * 0.034f * x7;
  in.b -= minorDark * 0.038f * x7;
  const float x10 = (0.74f * cover + 0.16f) * amtM * kb * minorDark;
  if (!(x10 > 0.000001f)) return;
  const OrbInkColour& colour = st.palette[v.argMinor];
  DepositPreparedInk(ink.r, ink.g, ink.b, 2, x10, colour);
  DepositPreparedInk(in.r, in.g, in.b, 2, innerInk * x10, colour);
  if (st.listOn) return;
  const float x = 4.0f * x10;
  float* outer[3] = {&ink.r, &ink.g, &ink.b};
  float* inner[3] = {&in.r, &in.g, &in.b};
  for (int ch = 0; ch < 3; ++ch) {
    const float cm = st.minorSat[ch];
    *outer[ch] -= ((1.0f - cm) * 0.1f + 0.05f) * x;
    *outer[ch] += 0.18f * cm * x;
    *inner[ch] -= ((1.0f - cm) * 0.06f + 0.028f) * x * innerDark;
    *inner[ch] += 0.12f * cm * x * innerInk;
  }
}

// The wandering accent's bump, the key look's five petals, the scale ripples and the idle breathing.
void AddIdleMotion(const RingStep& st, int j, const RingPoint& pt, PointShape& shape) {
  const OrbState& s = st.s;
  const OrbStepVars& v = st.v;
  const OrbStepMemory& m = st.m;
  const float* dK = pt.dK;
  const float tau = st.tau;
  // Idle-accent bump.
  if (st.wanderOn) {
    const float dw = dK[m.wanderPos];
    // sin(0.031 j + 0.73 tau + 1.2)
    const float sj = st.tables.s031[j] * st.idleCos + st.tables.c031[j] * st.idleSin;
    const float b = (sj * 0.5f + 0.5f) * 0.45f +
                    (std::sin(2.0f * dw + 1.35f * tau) * 0.5f + 0.5f) * 0.55f;
    const float val = (0.18f * b + 0.08f) * Gauss(dw * dw, 0.019794f) * m.wanderEnv * m.wanderStrength;
    shape.bump += val;
    shape.rv += 0.35f * val;
  }
  // Key petals: five soft lobes turning with the key angle.
  if (st.keyMode && v.keyLevel > 0.0001f) {
    // cos(5 phi + keyAngle)
    const Turn z5 = Mul(Mul(pt.z2, pt.z2), pt.z1);
    const float base = (z5.c * st.keyAngleCos - z5.s * st.keyAngleSin) * 0.5f + 0.5f;
    const float cc = base * base * base * base;
    const float t = Clamp01(st.A / std::max(0.0001f, v.f));
    shape.keyWob += Clamp01(v.keyLevel * 1.5f + 0.45f + v.sumKey * 0.45f + 0.8f * t) * 0.14f * (cc - 0.28f);
  }
  // Scale ripples.
  for (int i = 0; i < 12; ++i) {
    if (!(s.scaleRipple[i] > 0.00001f)) continue;
    shape.rv += std::sin(7.6f * tau + 9.8f * dK[i]) * Gauss(dK[i] * dK[i], 0.0633848f) * s.scaleRipple[i] * 0.28f;
  }
  // Idle breathing: slow waves after two quiet seconds, strongest over the scale's positions.
  if (st.breathing) {
    const float b8 = st.breathB8;
    const Turn z1 = pt.z1, z2 = pt.z2;
    // 0.3 sin(3 phi - a) + 0.55 sin(b + 2 phi) + 0.15 sin(c + phi), a, b, c of the step
    const Turn z3 = Mul(z2, z1);
    const float wave = 0.3f * (z3.s * st.breathCosA - z3.c * st.breathSinA) +
                       0.55f * (st.breathSinB * z2.c + st.breathCosB * z2.s) +
                       0.15f * (st.breathSinC * z1.c + st.breathCosC * z1.s);
    float mk = 1.0f;
    if (st.p.scaleMask != 0) {
      mk = 0.0f;
      for (int e = 0; e < st.wanderCount; ++e) {
        const float d = dK[st.wanderList[e]];
        mk = std::max(mk, Gauss(d * d, 0.0177653f));
      }
      mk = Clamp01((Clamp01(std::pow(mk, 2.8f)) - 0.04f) / 0.9f);
      mk = mk * mk * (3.0f - 2.0f * mk);
    }
    shape.bump += (0.01f * b8 + 0.01f) * wave * st.breathQb * mk;
  }
}

// Every point in turn: its ray and radius, its shape terms, the ink it takes (shared with the inner
// point j mod M1), and its idle motion; leaves the targets' parts for the integration.
void ShapePointsAndDepositInk(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  int innerOfPoint = 0;  // j mod M1, the inner point that shares a point's deposits
  for (int j = 0; j < st.N; ++j) {
    RingPoint pt;
    PointShape shape;
    LocatePoint(st, j, pt, shape);
    AddPeakBumpAndScaleDents(st, pt, shape);
    AddLitPositions(st, pt, shape);
    AddModeShapes(st, pt, shape);

    InkRef ink{s.inkR[j], s.inkG[j], s.inkB[j]};
    const int k = innerOfPoint;
    if (++innerOfPoint == st.M1) innerOfPoint = 0;
    InkRef in{s.innerInkR[k], s.innerInkG[k], s.innerInkB[k]};
    DepositMajorInk(st, pt, ink);
    DepositIdleAccentInk(st, pt, ink);
    DepositScaleInk(st, pt, ink, in);
    DepositKeyInk(st, pt, ink, in);
    DepositMinorInk(st, pt, ink, in);

    AddIdleMotion(st, j, pt, shape);
    w.radialVel[j] = shape.rv;
    w.bumpV[j] = shape.bump;
    w.resV[j] = st.minorMode ? 0.35f * std::tanh(shape.res / 0.35f) : shape.res;
    w.wobV[j] = shape.keyWob;
  }
}

// ---- radii ----
// Springs each point's radius toward its target (the rest radius plus its shape terms, less their
// means so the ring as a whole stays put), smoothed along the ring, damped, and held between the
// inner limit and the limit circle; writes the points' places and speeds.
void IntegrateRadii(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  const OrbStepVars& v = st.v;
  const int N = st.N;
  const float dt = st.dt, S = st.S, A = st.A, c0 = st.c0, c1 = st.c1;
  std::vector<float>& radius = w.radius;
  std::vector<float>& radialVel = w.radialVel;
  float meanBump = 0.0f, meanRes = 0.0f, meanWob = 0.0f;
  for (int j = 0; j < N; ++j) {
    meanBump += w.bumpV[j];
    meanRes += w.resV[j];
    meanWob += w.wobV[j];
  }
  meanBump /= static_cast<float>(N);
  meanRes /= static_cast<float>(N);
  meanWob /= static_cast<float>(N);
  const float bumpBase =
      Clamp((1.0f - Clamp01(static_cast<float>(v.activeCount - 1) * 0.25f) * 0.45f) *
                     ((1.0f - v.bestMajor) * 0.1f + 0.06f) * (v.bestMajor * 0.25f + 1.05f) *
                     (1.0f - 0.35f * v.majorShare),
                 0.08f, 0.3f) *
      meanBump;
  const float restTarget = st.rR + st.baseOffset;
  const float kSpring = (v.peak * 11.0f + 17.0f) * 0.95f * 0.8f * (1.0f + 0.35f * v.keyLevel) * (1.0f + 0.45f * A);
  const float kSmooth = (1.0f - 0.3f * v.scaleLevel) * (v.totalNorm * 4.5f + 6.6f) * 0.8f *
                        (1.0f - 0.22f * v.keyLevel) * (0.72f * A + 0.88f);
  const float vMaxR = (v.peakWeight * 0.4f + 0.6f) * 1.45f * ((1.0f - A) * 0.12f + 0.88f);
  const float dampR = (v.keyLevel * 0.65f + 1.95f) * (1.0f + 0.45f * A);
  const float damp = std::exp(-dampR * dt);
  const float cLen2 = c0 * c0 + c1 * c1;
  const float il = v.innerLimit;
  const bool handOn = st.keyMode && v.keyLevel > 0.05f;
  const float handGain = (v.keyLevel * 0.22f + 0.18f) * 60.0f * dt;
  for (int j = 0; j < N; ++j) {
    const int prev = Wrap(j - 1, N), next = Wrap(j + 1, N);
    const float cp = w.cosPhi[j], sp = w.sinPhi[j];
    const float pc = c0 * cp + c1 * sp;
    const float disc = pc * pc + S * S - cLen2;
    const float rLim = std::max(il, (disc > 0.0f ? std::sqrt(disc) - pc : 0.0f) - v.inset);
    const float t = (w.resV[j] - meanRes) + restTarget + (w.bumpV[j] - bumpBase) + (w.wobV[j] - meanWob);
    const float target = Clamp(t, il, rLim);
    const float acc = (radius[next] + radius[prev] - 2.0f * radius[j]) * kSmooth + (target - radius[j]) * kSpring;
    radialVel[j] += acc * dt;
    radialVel[j] *= damp;
    radialVel[j] = Clamp(radialVel[j], -vMaxR, vMaxR);
    radius[j] += radialVel[j] * dt;
    if (radius[j] > rLim) {
      radius[j] = rLim;
      if (radialVel[j] > 0.0f) {
        const float s0 = radialVel[j];
        radialVel[j] = 0.0f;
        // In the key look a point stopped at the limit hands its push to its neighbours.
        if (handOn) {
          radialVel[prev] += handGain * s0;
          radialVel[next] += handGain * s0;
        }
      }
    }
    if (radius[j] < il) {
      radius[j] = il;
      if (radialVel[j] < 0.0f) radialVel[j] = 0.0f;
    }
    s.x[j] = c0 + cp * radius[j];
    s.y[j] = c1 + sp * radius[j];
    s.vx[j] = v.v[0] + cp * radialVel[j];
    s.vy[j] = v.v[1] + sp * radialVel[j];
  }
}

// Relaxes places and speeds toward their neighbours' mean, more in the key and minor looks.
void RelaxRing(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  const int N = st.N;
  const float relax = 1.0f - std::exp(-st.dt * (st.keyMode ? 55.0f : st.minorMode ? 45.0f : 35.0f));
  if (!(relax > 0.0001f)) return;
  std::vector<float>* arrays[4] = {&s.x, &s.y, &s.vx, &s.vy};
  std::vector<float>* temps[4] = {&w.tmp0, &w.tmp1, &w.tmp2, &w.tmp3};
  for (int a = 0; a < 4; ++a) {
    const std::vector<float>& old = *arrays[a];
    std::vector<float>& out = *temps[a];
    for (int j = 0; j < N; ++j) {
      out[j] = old[j] + ((old[Wrap(j - 1, N)] + old[Wrap(j + 1, N)]) * 0.5f - old[j]) * relax;
    }
    arrays[a]->swap(out);
  }
}

// The inner points on a ring at 0.46 of the outer radii, moving with the centre; the last is the
// centre itself.
void PlaceInnerPoints(RingStep& st) {
  OrbState& s = st.s;
  const OrbStepVars& v = st.v;
  const std::vector<float>& radius = st.w.radius;
  const int N = st.N, M1 = st.M1;
  const float c0 = st.c0, c1 = st.c1;
  for (int k = 0; k < M1; ++k) {
    const int idx = static_cast<int>((static_cast<int64_t>(k) * N) / M1);
    const float th = 2.0f * kPi * static_cast<float>(idx) / static_cast<float>(N);
    s.innerX[k] = c0 + std::cos(th) * 0.46f * radius[idx];
    s.innerY[k] = c1 + std::sin(th) * 0.46f * radius[idx];
    s.innerVx[k] = v.v[0];
    s.innerVy[k] = v.v[1];
  }
  s.innerX[M1] = c0;
  s.innerY[M1] = c1;
  s.innerVx[M1] = v.v[0];
  s.innerVy[M1] = v.v[1];
}

// ---- ink flow and decay ----
// Copies of all ink as it stands: the flow and the decay each read the values from before they run.
void CopyInk(RingStep& st) {
  OrbWork& w = st.w;
  const OrbState& s = st.s;
  w.copyR = s.inkR;
  w.copyG = s.inkG;
  w.copyB = s.inkB;
  w.innerCopyR = s.innerInkR;
  w.innerCopyG = s.innerInkG;
  w.innerCopyB = s.innerInkB;
}

// The ring's ink flows along the ring with two travelling waves and down the ink's and the radius's
// slopes, and blurs.
void FlowRingInk(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  const OrbStepVars& v = st.v;
  const int N = st.N;
  const float dt = st.dt, tau = st.tau, R = st.R;
  const float flowK = Clamp(st.p.flow, 0.35f, 2.2f);
  const float flowP = 1.63f * tau + 0.35f * s.keyAngle, flowQ = 0.95f * tau;
  const float flowCosP = std::cos(flowP), flowSinP = std::sin(flowP);
  const float flowCosQ = std::cos(flowQ), flowSinQ = std::sin(flowQ);
  const float flow = (v.peak * 0.36f + 0.24f + v.accentAmount * 0.28f + v.majorDrive * 0.18f) * (flowK * 0.48f + 0.72f);
  const float blend = Clamp01((flow * 2.6f + 2.0f) * dt);
  const std::vector<float>& radius = w.radius;
  const std::vector<float>* copies[3] = {&w.copyR, &w.copyG, &w.copyB};
  std::vector<float>* inks[3] = {&s.inkR, &s.inkG, &s.inkB};
  for (int j = 0; j < N; ++j) {
    const int jm1 = Wrap(j - 1, N), jp1 = Wrap(j + 1, N), jm2 = Wrap(j - 2, N), jp2 = Wrap(j + 2, N);
    const float fj = static_cast<float>(j);
    // 0.6 sin(1.63 tau - 0.041 j + 0.35 keyAngle) + sin(0.95 tau + 0.063 j)
    const float wv = (0.6f * (flowSinP * st.tables.c041[j] - flowCosP * st.tables.s041[j]) +
                      (flowSinQ * st.tables.c063[j] + flowCosQ * st.tables.s063[j])) * 0.28f;
    const float diff = (w.copyR[jp1] - w.copyR[jm1]) + (w.copyG[jp1] - w.copyG[jm1]) + (w.copyB[jp1] - w.copyB[jm1]);
    const float grad = diff / 3.0f * 0.2f + (radius[jp1] - radius[jm1]) / std::max(0.0001f, R) * 0.52f;
    const float shift = Clamp((wv + grad) * flow * static_cast<float>(N) * dt * 0.2f, -2.5f, 2.5f);
    const RingSample at = RingSampleAt(fj - shift, N);
    for (int ch = 0; ch < 3; ++ch) {
      const std::vector<float>& cpy = *copies[ch];
      const float sample = Sample(cpy, at);
      const float blur = 0.06f * cpy[jm2] + 0.24f * cpy[jm1] + 0.4f * cpy[j] + 0.24f * cpy[jp1] + 0.06f * cpy[jp2];
      (*inks[ch])[j] += (0.62f * sample + 0.38f * blur - cpy[j]) * blend;
    }
  }
}

// The inner points take ink from the ring point at their angle, flow along their own ring, diffuse,
// and the centre drifts toward their mean.
void FlowInnerInk(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  const OrbStepVars& v = st.v;
  const int N = st.N, M = st.M, M1 = st.M1;
  const float dt = st.dt, tau = st.tau;
  const float flowK = Clamp(st.p.flow, 0.35f, 2.2f);
  std::vector<float>* inks[3] = {&s.inkR, &s.inkG, &s.inkB};
  std::vector<float>* inner[3] = {&s.innerInkR, &s.innerInkG, &s.innerInkB};
  const std::vector<float>* innerCopies[3] = {&w.innerCopyR, &w.innerCopyG, &w.innerCopyB};
  const float kIn = (v.peak * 0.36f + 0.2f + v.accentAmount * 0.22f) * (flowK * 0.36f + 0.78f);
  for (int k = 0; k < M1; ++k) {
    const int idx = static_cast<int>((static_cast<int64_t>(k) * N) / M1);
    for (int ch = 0; ch < 3; ++ch) (*inner[ch])[k] += ((*inks[ch])[idx] - (*inner[ch])[k]) * kIn * dt;
  }
  const float spin = std::fabs(s.keySpin);
  const float fi = (spin * 0.3f + 0.1f + v.peak * 0.24f + v.accentAmount * 0.12f) * (flowK * 0.34f + 0.8f);
  const float blendIn = Clamp01((fi * 1.6f + 0.9f) * dt);
  for (int k = 0; k < M1; ++k) {
    const float fk = static_cast<float>(k);
    const float wk = std::sin(1.08f * tau - 0.27f * fk + 1.1f) * 0.45f + std::sin(0.19f * fk + 0.62f * tau);
    const float shift = Clamp(wk * fi * static_cast<float>(M1) * dt * 0.08f, -1.6f, 1.6f);
    // The inner flow samples all M entries, the centre point included.
    const RingSample at = RingSampleAt(fk - shift, M);
    for (int ch = 0; ch < 3; ++ch) {
      (*inner[ch])[k] += (Sample(*innerCopies[ch], at) - (*inner[ch])[k]) * blendIn;
    }
  }
  const float kd = (spin * 0.22f + 0.12f + v.accentAmount * 0.1f) * (flowK * 0.32f + 0.78f);
  for (int k = 0; k < M1; ++k) {
    const int km = Wrap(k - 1, M1), kp = Wrap(k + 1, M1);
    for (int ch = 0; ch < 3; ++ch) {
      std::vector<float>& a = *inner[ch];
      a[k] += (a[km] + a[kp] - 2.0f * a[k]) * kd * dt;
    }
  }
  for (int ch = 0; ch < 3; ++ch) {
    std::vector<float>& a = *inner[ch];
    float mean = 0.0f;
    for (int k = 0; k < M1; ++k) mean += a[k];
    mean /= static_cast<float>(M1);
    a[M1] += (mean - a[M1]) * (v.peak * 0.12f + 0.09f) * dt;
  }
}

// The three rings' light as it stands, for the next step's onset rises.
void RememberLights(RingStep& st) {
  OrbStepMemory& m = st.m;
  for (int i = 0; i < 12; ++i) {
    m.prevMajor[i] = Finite(gRingGlowMajor[i]);
    m.prevMinor[i] = Finite(gRingGlowMinor[i]);
    m.prevKey[i] = Finite(gRingGlowKey[i]);
  }
}

// All ink fades slowly (fast after an onset flash), mixes with its neighbours and its inner point,
// loses its grey part, and is softly limited to (-6, 6).
void DecayInk(RingStep& st) {
  OrbState& s = st.s;
  OrbWork& w = st.w;
  const int N = st.N, M1 = st.M1;
  const float dt = st.dt;
  const float fl = Clamp01(st.m.onsetFlash);
  const float grey = fl * 1.35f + 0.34f;
  const float keep = std::exp(-0.062f * dt);
  const float flashKeep = fl > 0.00001f ? std::exp(-(fl * 1.65f + 0.58f) * dt) : 1.0f;
  const float mix = 0.115f * dt;
  const std::vector<float>* oc[3] = {&w.copyR, &w.copyG, &w.copyB};
  const std::vector<float>* ic[3] = {&w.innerCopyR, &w.innerCopyG, &w.innerCopyB};
  std::vector<float>* outer[3] = {&s.inkR, &s.inkG, &s.inkB};
  std::vector<float>* inner[3] = {&s.innerInkR, &s.innerInkG, &s.innerInkB};
  auto settle = [&](float c[3]) {
    float mgrey = std::max(0.0f, c[0]);
    mgrey = std::min(mgrey, std::max(0.0f, c[1]));
    mgrey = std::min(mgrey, std::max(0.0f, c[2]));
    for (int ch = 0; ch < 3; ++ch) {
      c[ch] -= mgrey * grey * dt;
      c[ch] = SoftLimitInk(c[ch]);
    }
  };
  int k = 0;  // j mod M1
  for (int j = 0; j < N; ++j, k = (k + 1 == M1 ? 0 : k + 1)) {
    const int jm = Wrap(j - 1, N), jp = Wrap(j + 1, N);
    float c[3];
    for (int ch = 0; ch < 3; ++ch) {
      const std::vector<float>& o = *oc[ch];
      float x = o[j] + ((o[jm] + o[jp] + (*ic[ch])[k]) / 3.0f - o[j]) * mix;
      c[ch] = x * keep * flashKeep;
    }
    settle(c);
    for (int ch = 0; ch < 3; ++ch) (*outer[ch])[j] = c[ch];
  }
  for (int k = 0; k < M1; ++k) {
    const int km = Wrap(k - 1, M1), kp = Wrap(k + 1, M1);
    float c[3];
    for (int ch = 0; ch < 3; ++ch) {
      const std::vector<float>& o = *ic[ch];
      float x = o[k] + ((o[km] + o[kp] + o[M1]) / 3.0f - o[k]) * mix;
      c[ch] = x * keep * flashKeep;
    }
    settle(c);
    for (int ch = 0; ch < 3; ++ch) (*inner[ch])[k] = c[ch];
  }
  for (int ch = 0; ch < 3; ++ch) {
    const std::vector<float>& o = *ic[ch];
    float mean = 0.0f;
    for (int k = 0; k < M1; ++k) mean += o[k];
    mean /= static_cast<float>(M1);
    (*inner[ch])[M1] = o[M1] + (mean - o[M1]) * mix;
  }
}

}  // namespace

// ---- public functions ----
void ShapeOrbRing(const OrbParams& p, const OrbStepVars& v) {
  OrbState& s = gOrbState;
  const int N = s.pointCount;
  const int M = s.innerCount;
  RingStep st{.p = p,
              .v = v,
              .s = s,
              .m = gOrbStepMemory,
              .w = gWork,
              .tables = AngleTables(N),
              .palette = PreparedPalette(),
              .N = N,
              .M = M,
              .M1 = std::max(1, M - 1),
              .dt = v.dt,
              .S = s.reach,
              .R = s.restRadius,
              .A = s.contraction,
              .tau = p.time,
              .listOn = v.list.count > 0,
              .keyMode = v.keyMode,
              .minorMode = v.minorMode,
              .rotCos = std::cos(s.ringRotation),
              .rotSin = std::sin(s.ringRotation),
              .c0 = v.c[0],
              .c1 = v.c[1]};
  SizeWorkArrays(st);
  WeighPositions(st);
  MeasureAnglesFromCentre(st);
  SizeShapeTerms(st);
  SizeInkDeposits(st);
  FindLitPositions(st);
  PrepareIdleMotion(st);
  ShapePointsAndDepositInk(st);
  IntegrateRadii(st);
  RelaxRing(st);
  PlaceInnerPoints(st);
  CopyInk(st);
  FlowRingInk(st);
  FlowInnerInk(st);
  RememberLights(st);
  CopyInk(st);
  DecayInk(st);
  // The working arrays stay allocated for the next step.
}
