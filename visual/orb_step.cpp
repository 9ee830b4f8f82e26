// visual/orb_step: the first half of one orb step: reading the three ring activity arrays, onset
// pulses, per-position envelopes, the moods (energy, which ring dominates, contraction), the idle
// accent that wanders while nothing is played, the moving centre and the scale-swell springs.
//
// The second half (visual/orb_shape.cpp) shapes the ring and moves its ink from what this half
// computes. Both halves are one step: StepOrb below runs them in order.
#include <algorithm>
#include <cmath>

#include "gfx/draw_alpha.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"
#include "visual/ring_glow.h"

// ---- state ----
OrbStepMemory gOrbStepMemory;  // carried from step to step
static bool gOrbWanderPaused = false;  // no new idle accent starts (the loop is about to rest)

// ---- internal helpers ----
namespace {

// value += (target - value) * (1 - exp(-rate * dt))
float Ease(float value, float target, float rate, float dt) {
  return value + (target - value) * (1.0f - std::exp(-rate * dt));
}

// Eases at one rate while rising and another while falling.
float EaseUpDown(float value, float target, float rateUp, float rateDown, float dt) {
  return Ease(value, target, target > value ? rateUp : rateDown, dt);
}

float Finite(float x) { return std::isfinite(x) ? x : 0.0f; }

// Every float of the record made finite, so one bad value from the frame cannot poison the ring.
OrbParams SanitisedParams(const OrbParams& in) {
  OrbParams p = in;
  for (float* f : {&p.tempo, &p.liveliness, &p.time, &p.accentLevel, &p.soloStrength,
                   &p.soloEmphasis, &p.focusLevel, &p.flow}) {
    *f = Finite(*f);
  }
  for (int k = 0; k < kOrbEntryMax; ++k) {
    p.entryStrength[k] = Finite(p.entryStrength[k]);
    p.entryEmphasis[k] = Finite(p.entryEmphasis[k]);
  }
  return p;
}

// The step's time, each ring's activity and onset pulses, the best positions and the energy.
void AnalyseActivity(const OrbParams& p, float h, OrbStepVars& v, OrbState& s, OrbStepMemory& m) {
  const float tempo = ClampFloat(p.tempo, 0.35f, 1.35f);
  v.dt = ClampFloat(h * tempo, 0.001f, 0.033f);
  const float dt = v.dt;
  v.live = Clamp01(p.liveliness);
  const float tempo01 = Clamp01(tempo - 0.35f);
  v.vivid = Clamp01(v.live * 0.7f + tempo01 * 0.3f);
  v.depositGain = std::pow(v.live, 0.85f) * 0.7f + 0.3f;

  float* rawMajor = v.rawMajor;
  float* rawMinor = v.rawMinor;
  float* rawKey = v.rawKey;
  for (int i = 0; i < 12; ++i) {
    rawMajor[i] = Finite(gRingGlowMajor[i]);
    rawMinor[i] = Finite(gRingGlowMinor[i]);
    rawKey[i] = Finite(gRingGlowKey[i]);
    v.gMajor[i] = Clamp01(rawMajor[i]);
    v.gMinor[i] = Clamp01(rawMinor[i]);
    v.gKey[i] = Clamp01(rawKey[i]);
    v.sumMajor += v.gMajor[i];
    v.sumMinor += v.gMinor[i];
    v.sumKey += v.gKey[i];
  }
  v.total = v.sumMajor + v.sumMinor + v.sumKey;
  v.totalNorm = Clamp01(v.total / 12.0f);

  const float inv = 1.0f / std::max(0.0001f, 60.0f * dt);
  const float pulseDecay = std::exp(-0.85f * dt);
  for (int i = 0; i < 12; ++i) {
    m.pulseMajor[i] = std::max(2.2f * std::max(0.0f, rawMajor[i] - m.prevMajor[i]) * inv,
                               pulseDecay * m.pulseMajor[i]);
    m.pulseMinor[i] = std::max(2.2f * std::max(0.0f, rawMinor[i] - m.prevMinor[i]) * inv,
                               pulseDecay * m.pulseMinor[i]);
    m.pulseKey[i] = std::max(2.4f * std::max(0.0f, rawKey[i] - m.prevKey[i]) * inv,
                             pulseDecay * m.pulseKey[i]);
  }

  float rise = 0.0f;
  for (int i = 0; i < 12; ++i) {
    const float eMajor = v.eMajor[i] = std::pow(Clamp01(m.pulseMajor[i] + rawMajor[i]), 1.35f);
    const float eMinor = v.eMinor[i] = std::pow(Clamp01(m.pulseMinor[i] + rawMinor[i]), 1.35f);
    const float eKey = v.eKey[i] = std::pow(Clamp01(m.pulseKey[i] + rawKey[i]), 1.35f);
    if (eMajor > v.bestMajor) {
      v.bestMajor = eMajor;
      v.argMajor = i;
    }
    if (eMinor > v.bestMinor) {
      v.bestMinor = eMinor;
      v.argMinor = i;
    }
    v.bestKey = std::max(v.bestKey, eKey);
    if (rawMajor[i] > 0.08f) ++v.activeCount;
    rise += std::max(0.0f, rawMajor[i] - m.prevMajor[i]);
  }
  rise /= std::max(0.0001f, dt);
  const float spread = Clamp01(static_cast<float>(v.activeCount - 1) * 0.25f);
  const float energyTarget = Clamp01(Clamp01(rise / 6.0f) * 0.65f + spread * 0.55f);
  s.energy = Clamp01(EaseUpDown(s.energy, energyTarget, 3.0f, 0.4f, dt));

  v.peak = std::max({v.bestMajor, v.bestMinor, v.bestKey});
  v.peakWeight = v.peak * 0.65f + 0.35f;
  v.majorShare = v.sumMajor / std::max(0.0001f, v.total);
  v.keyLevel = Clamp01(v.sumKey * 0.1f + v.bestKey * 1.25f);
}

// The eased envelopes of one ring position.
void StepEnvelopes(const OrbParams& p, OrbStepVars& v, OrbState& s, OrbStepMemory& m, int i) {
  const float dt = v.dt;
  const bool listEmpty = v.list.count == 0;
  s.scaleHit[i] *= std::exp(-13.5f * dt);
  s.scaleRipple[i] *= std::exp(-2.35f * dt);
  s.scaleGlow[i] *= std::exp(-19.0f * dt);
  s.minorEnv[i] *= std::exp(-2.35f * dt);

  // Minor onsets: a held minor note strikes once, then only holds a fading level.
  const float gMin = v.gMinor[i];
  const float rawMin = v.rawMinor[i];
  const bool on = gMin > 0.02f;
  if (on) {
    const float rate = std::max(0.0f, rawMin - m.prevMinor[i]) / std::max(0.0001f, 60.0f * dt);
    const bool strike = !(listEmpty && m.minorWasOn[i] && rate / std::max(0.05f, rawMin) <= 0.006f);
    if (strike) {
      s.minorEnv[i] = std::max(s.minorEnv[i], gMin * (0.45f * gMin + 0.55f) * (1.1f * rate + 0.7f));
      if (listEmpty) s.minorAge[i] = 0.0f;
    }
    s.minorAge[i] += dt;
    const float hold = listEmpty ? std::exp(-0.45f * s.minorAge[i]) * 0.16f + 0.06f : 0.2f;
    s.minorEnv[i] = std::max(s.minorEnv[i], hold * gMin);
  } else {
    s.minorAge[i] = std::max(0.0f, s.minorAge[i] - 1.6f * dt);
  }
  m.minorWasOn[i] = on;
  if (s.minorEnv[i] < 0.002f) s.minorEnv[i] = 0.0f;

  // Key ring.
  s.keyEnv[i] *= std::exp(-1.15f * dt);
  const float gK = v.gKey[i];
  if (gK > 0.02f) {
    s.keyHold[i] = std::min(6.0f, s.keyHold[i] + dt);
    const float rate = std::max(0.0f, gK - m.prevKey[i]) / std::max(0.0001f, 60.0f * dt);
    s.keyEnv[i] = std::max(s.keyEnv[i], (1.35f * rate + 0.75f) * (0.35f * gK + 0.65f) * gK);
    s.keyEnv[i] = std::max(s.keyEnv[i], 0.62f * gK);
  } else {
    s.keyHold[i] = std::max(0.0f, s.keyHold[i] - 1.6f * dt);
  }
  if (s.keyEnv[i] < 0.002f) s.keyEnv[i] = 0.0f;

  // Scale strikes: once when a position enters the list, again only after it has left.
  const float a = v.entryA[i], b = v.entryB[i];
  if ((p.scaleMode == 1 || p.scaleMode == 2) && a > 0.035f) {
    if (!m.scaleLatched[i]) {
      s.scaleHit[i] = std::max(s.scaleHit[i],
                               (0.5f * a + 0.7f) * (0.72f * v.live + 0.52f) * (0.18f * b + 0.82f));
      s.scaleGlow[i] = std::max(s.scaleGlow[i], (0.48f * a + 0.72f) * (0.34f * v.live + 0.48f));
      s.scaleRipple[i] = std::max(s.scaleRipple[i], (0.22f * b + 0.78f) * (0.44f * a + 0.72f));
    }
    m.scaleLatched[i] = true;
  } else {
    m.scaleLatched[i] = false;
  }
  if (s.scaleHit[i] < 0.002f) s.scaleHit[i] = 0.0f;
  if (s.scaleRipple[i] < 0.002f) s.scaleRipple[i] = 0.0f;
  if (s.scaleGlow[i] < 0.002f) s.scaleGlow[i] = 0.0f;
}

// A faint accent that wanders over the scale's positions after ten quiet seconds.
void StepIdleWander(const OrbParams& p, const OrbStepVars& v, OrbStepMemory& m) {
  const float dt = v.dt;
  int list[12];
  const int n = OrbWanderList(p.scaleMask, list);
  if (m.quietTime > 10.0f) {
    m.wanderTimer -= dt;
    if (m.wanderTimer <= 0.0f && !gOrbWanderPaused) {
      const float r1 = OrbRandom01();
      const float r2 = OrbRandom01();
      const float r3 = OrbRandom01();
      m.wanderTimer = (r1 * 0.95f + 0.45f) / (v.vivid * 0.95f + 1.0f);
      const int idx = std::clamp(static_cast<int>(std::floor(static_cast<float>(n) * r2)), 0, n - 1);
      m.wanderPos = list[idx];
      m.wanderStrength = (r3 * 0.16f + 0.1f) * (v.vivid * 0.28f + 0.92f);
      m.wanderEnv = 1.0f;
    }
  } else {
    m.wanderTimer = 0.0f;
    m.wanderEnv *= std::exp(-4.2f * dt);
  }
  m.wanderEnv *= std::exp(-1.65f * dt);
  if (m.wanderEnv < 0.003f) {
    m.wanderEnv = 0.0f;
    m.wanderPos = -1;
  }
}

// The modes, the rotation, the eased looks and the contraction of the ring.
void StepModesAndContraction(const OrbParams& p, OrbStepVars& v, OrbState& s, const OrbStepMemory& m,
                             bool keyDominant, bool keyActive, bool minorDominant, bool focusOn,
                             float focusAmount, float scaleAccent) {
  const float dt = v.dt;
  const float minorLevel2 = Clamp01(v.bestMinor * 0.95f + v.sumMinor * 0.08f);
  const float keyLevel2 = Clamp01(v.sumKey * 0.12f + v.bestKey * 1.25f);
  const float sA = scaleAccent;
  float majorLevel2 =
      Clamp01(v.kick * 1.12f + v.bestMajor * 1.3f + (v.accentOn ? v.accentAmount * 0.56f + 0.24f : 0.0f));
  if (focusOn) {
    majorLevel2 = Clamp01(majorLevel2 + (p.focusIsMinor != 0 ? 0.28f : 0.44f) + focusAmount * 0.56f);
  }
  v.keyMode = keyDominant && keyActive;
  v.minorMode = !v.keyMode && (minorDominant || v.sumMinor > 0.05f || v.bestMinor > 0.05f);
  const bool keyMode = v.keyMode, minorMode = v.minorMode, neither = !keyMode && !minorMode;

  const float rotTarget = keyMode ? s.keyAngle : 0.0f;
  const float rotRate = keyMode ? 24.0f : 3.2f;
  s.ringRotation = WrapAngle(s.ringRotation + WrapAngle(rotTarget - s.ringRotation) *
                                                  (1.0f - std::exp(-rotRate * dt)));

  s.rootFlash *= std::exp(-dt * (keyMode ? 4.6f : minorMode ? 3.4f : 2.2f));
  s.rootFlashPhase += dt * (v.vivid * 0.55f + 0.92f);
  if (s.rootFlash < 0.002f) {
    s.rootFlash = 0.0f;
    s.rootFlashPhase = 0.0f;
    if (!v.accentOn) s.rootFlashPos = -1;
  }

  v.minorOnly = p.scaleMode == 0 && minorMode;
  const float warmTarget =
      v.minorOnly
          ? Clamp01(Clamp01(v.sumMinor * 0.4f + v.bestMinor + v.accentAmount * 0.25f) * 0.38f + 0.62f)
          : 0.0f;
  s.minorWarmth = Clamp01(EaseUpDown(s.minorWarmth, warmTarget, warmTarget * 1.6f + 2.0f, 1.1f, dt));
  s.minorLevel =
      Clamp01(EaseUpDown(s.minorLevel, minorMode ? s.energy * 0.7f + 0.3f : 0.0f, 0.9f, 0.7f, dt));
  const float tintTarget =
      keyMode ? Clamp01(Clamp01(v.sumKey * 0.35f + v.bestKey) * 0.45f + 0.55f) : 0.0f;
  s.keyTint = Clamp01(EaseUpDown(s.keyTint, tintTarget, 0.85f, 1.3f, dt));

  // Contraction: a minor or key colour pulls the ring toward a small core; the major ring and an
  // accent let it spring open again.
  float tint;
  if (keyMode) {
    const float lo = Clamp01(keyLevel2 * 0.24f + 0.06f + 0.02f * sA);
    const float hi = Clamp01(keyLevel2 * 0.78f + 0.22f + 0.02f * sA);
    tint = Clamp01(lo + (hi - lo) * s.keyTint);
  } else if (minorMode && v.minorOnly) {
    const float lo = Clamp01(minorLevel2 * 0.3f + 0.08f + 0.01f * sA);
    const float hi = Clamp01(minorLevel2 * 0.78f + 0.22f + 0.01f * sA);
    tint = Clamp01(lo + (hi - lo) * s.minorWarmth);
  } else if (minorMode) {
    tint = Clamp01(minorLevel2 * 0.72f + 0.18f + 0.01f * sA);
  } else {
    tint = Clamp01(minorLevel2 * 0.2f + 0.03f * sA + keyLevel2 * 0.16f);
  }
  if (!neither) {
    majorLevel2 *= 0.65f;
    v.drive *= 0.72f;
  }
  const float floorA = keyMode ? 0.25f : minorMode ? 0.29f : 0.3f;
  const float f = 1.0f - floorA;
  v.f = f;
  const bool listOn = v.list.count > 0;
  const float drive = v.drive;
  const float quietRamp = v.quietRamp;

  float targetA = neither ? f * tint * (1.0f - 0.62f * drive) * (1.0f - 0.42f * majorLevel2)
                          : f * tint * (1.0f - 0.22f * drive) * (1.0f - 0.12f * majorLevel2);
  if (listOn && neither) {
    targetA = std::min(targetA,
                       ClampFloat(v.scaleLevel * 0.05f + 0.03f + v.maxBc * 0.02f, 0.03f, 0.08f) * f);
  }
  if (v.accentOn && neither) {
    targetA = std::min(targetA, ClampFloat(0.4f - v.accentAmount * 0.2f, 0.12f, 0.4f) * f);
  }
  if (m.quietTime > 5.0f) targetA *= 1.0f - 0.7f * quietRamp;
  targetA *= 0.6f;

  float A = s.contraction;
  float rateUp = tint * 1.45f + 0.85f;
  if (v.minorOnly) rateUp *= 0.48f;
  if (listOn && neither) {
    rateUp *= 0.34f;
  } else if (keyMode) {
    rateUp *= 0.42f - 0.28f * Clamp01(Clamp01(targetA > 0.0001f ? A / targetA : 0.0f) / 0.12f);
  }
  float rateDown = drive * 1.1f + 0.26f + majorLevel2 * 1.65f + quietRamp * 0.7f;
  if (!neither && (v.bestMinor > 0.12f || v.bestKey > 0.12f)) rateDown *= 0.55f;
  A = Ease(A, targetA, targetA > A ? rateUp : rateDown, dt);

  const bool newAccent = v.newAccent;
  if (newAccent && neither) A = std::max(0.0f, A - (v.accentAmount * 0.17f + 0.07f));
  if (v.accentOn && neither) {
    A = std::max(0.0f, A - (v.accentAmount * 0.42f + 0.14f + v.majorDrive * 0.35f) * dt);
  }
  if (drive > 0.04f || quietRamp > 0.05f) {
    A = std::max(0.0f, A - (drive * 0.64f + 0.18f + majorLevel2 * 0.62f + quietRamp * 0.42f +
                            v.kick * 0.34f) * dt);
  }
  if (m.quietTime > 5.0f) A = std::max(0.0f, A - (quietRamp * 0.11f + 0.015f) * dt);
  if (v.bestMinor <= 0.12f && v.bestKey <= 0.12f && A > 0.0f) A = std::max(0.0f, A - 0.45f * dt);
  A = ClampFloat(A, 0.0f, f);
  if (listOn && neither) A = std::min(A, ClampFloat(v.scaleLevel * 0.05f + 0.03f, 0.03f, 0.08f) * f);
  if ((v.majorDrive > 0.08f || drive > 0.12f) && neither) A = std::min(A, 0.28f * f);
  if (m.quietTime > 6.0f) A = std::max(0.0f, A - (quietRamp * 0.28f + 0.1f) * dt);
  if (m.quietTime > 5.0f) A = std::min(A, (1.0f - quietRamp) * f);
  s.contraction = A;

  v.coreFactor = std::max(1.0f - A, floorA);
  v.rR = v.coreFactor * s.restRadius;
}

// The centre is pulled toward the lit positions, kicked away by key onsets, and kept inside the
// reach circle.
void StepCentre(const OrbParams& p, OrbStepVars& v, OrbState& s, const OrbStepMemory& m) {
  const float dt = v.dt;
  const bool listOn = v.list.count > 0;
  const float S = s.reach, R = s.restRadius;
  v.inset = listOn ? ClampFloat(v.scaleLevel * 0.045f + 0.055f, 0.055f, 0.11f) : 0.0f;
  const float spread2 = ClampFloat(
      v.peak * 0.14f + 0.38f + (listOn ? v.scaleLevel * 0.05f + 0.08f : 0.0f), 0.38f, 0.58f);
  v.innerLimit = spread2 * v.rR;

  float g1 = 1.0f - v.scaleLevel * 0.85f;
  if (p.scaleMode == 1) g1 *= 0.62f;
  const float g2 = (p.scaleMode == 1 || p.scaleMode == 2) ? 1.0f - v.scaleLevel * 0.75f : 1.0f;
  const float kMajor = 1.88f * g1;
  const float kMinor = 0.8f * g1;
  const float kKey = 1.2f * g1 * g2 * (1.0f + 1.2f * v.keyLevel);
  const float kickGain = 3.36f * g1 * g2 * (1.0f + 0.9f * v.keyLevel);
  const float damping = v.scaleLevel * 0.45f + 2.1f;
  const float vMax = (v.peakWeight * 0.4f + 0.6f) * 1.6f * (g1 * 0.35f + 0.65f);

  const float il = v.innerLimit;
  const float rMajor = ClampFloat(S - ((1.0f - v.bestMajor) * 0.55f + 0.1f) * il, il, S);
  const float rMinor = ClampFloat((v.bestMinor * 0.08f + 0.56f) * S, il, S);
  const float rKey = ClampFloat(S - ((1.0f - v.bestKey) * 0.6f + 0.2f) * il, il, S);

  float c[2] = {s.centre[0], s.centre[1]};
  float vel[2] = {s.centreVel[0], s.centreVel[1]};
  float F[2] = {0.0f, 0.0f};
  for (int i = 0; i < 12; ++i) {
    const float a = RingPosAngle(i);
    const float u[2] = {std::cos(a), std::sin(a)};
    if (v.peak > 0.02f) {
      for (int d = 0; d < 2; ++d) {
        F[d] += (u[d] * rMajor - c[d]) * v.eMajor[i] * kMajor +
                (u[d] * rMinor - c[d]) * v.eMinor[i] * kMinor + (u[d] * rKey - c[d]) * v.eKey[i] * kKey;
      }
    }
    const float keyRise = std::max(0.0f, v.gKey[i] - m.prevKey[i]);
    if (keyRise > 0.00001f) {
      vel[0] += u[0] * (-keyRise * kickGain);
      vel[1] += u[1] * (-keyRise * kickGain);
    }
  }
  vel[0] += F[0] * dt;
  vel[1] += F[1] * dt;
  if (v.peak < 0.02f && v.scaleLevel < 0.02f) {
    const float cd = std::exp(-1.6f * dt), vd = std::exp(-2.8f * dt);
    c[0] *= cd;
    c[1] *= cd;
    vel[0] *= vd;
    vel[1] *= vd;
  }
  const float damp = std::exp(-damping * dt);
  vel[0] *= damp;
  vel[1] *= damp;
  const float speed = std::hypot(vel[0], vel[1]);
  if (speed > vMax) {
    vel[0] *= vMax / speed;
    vel[1] *= vMax / speed;
  }
  c[0] += vel[0] * dt;
  c[1] += vel[1] * dt;

  float lim = (v.bestKey + v.bestMinor > 0.03f)
                  ? S - ((1.0f - std::max(v.bestMinor, v.bestKey)) * 0.08f + 0.88f) * R
                  : S - il;
  if (listOn) lim -= 0.85f * v.inset;
  lim = std::max(0.0f, lim);
  const float len = std::hypot(c[0], c[1]);
  if (len > lim) {
    float n[2] = {0.0f, 0.0f};
    if (len > 0.000001f) {
      n[0] = c[0] / len;
      n[1] = c[1] / len;
    }
    c[0] = n[0] * lim;
    c[1] = n[1] * lim;
    const float vn = vel[0] * n[0] + vel[1] * n[1];
    if (vn > 0.0f) {
      vel[0] -= n[0] * vn;
      vel[1] -= n[1] * vn;
    }
  }
  s.centre[0] = v.c[0] = c[0];
  s.centre[1] = v.c[1] = c[1];
  s.centreVel[0] = v.v[0] = vel[0];
  s.centreVel[1] = v.v[1] = vel[1];
}

// A spring per position that swells while the position is in the scale list.
void StepSwellSprings(OrbStepVars& v, OrbState& s) {
  const float dt = v.dt;
  const float kS = v.scaleLevel * 34.0f + 42.0f;
  const float kD = (1.0f - v.maxBc) * 1.2f + 8.4f;
  const float top = std::min(0.92f, Clamp01(v.scaleLevel * 0.78f + 0.34f + v.maxBc * 0.26f));
  for (int i = 0; i < 12; ++i) {
    const float T = top * v.entryW[i] * (v.entryB[i] * 0.22f + 0.78f);
    s.swellVel[i] += ((T - s.swellPos[i]) * kS - kD * s.swellVel[i]) * dt;
    s.swellVel[i] = ClampFloat(s.swellVel[i], -2.6f, 2.6f);
    s.swellPos[i] = ClampFloat(s.swellPos[i] + s.swellVel[i] * dt, 0.0f, 1.1f);
    if (v.entryA[i] > 0.035f && s.swellVel[i] > 0.22f) {
      s.scaleRipple[i] = std::max(s.scaleRipple[i], Clamp01(s.swellVel[i] * 0.38f + 0.18f + T * 0.28f));
    }
    if (T <= 0.001f && std::fabs(s.swellPos[i]) < 0.002f && std::fabs(s.swellVel[i]) < 0.002f) {
      s.swellPos[i] = 0.0f;
      s.swellVel[i] = 0.0f;
    }
  }
}

}  // namespace

// ---- public functions ----
void ResetOrbStepMemory() {
  gOrbStepMemory = OrbStepMemory();
  gOrbWanderPaused = false;  // a simulation started afresh wanders as one always did
}

void PauseOrbWander(bool paused) { gOrbWanderPaused = paused; }

int OrbWanderList(uint32_t scaleMask, int out[12]) {
  int n = 0;
  for (int i = 0; i < 12; ++i) {
    if (scaleMask & (1u << ((7 * i) % 12))) out[n++] = i;  // ring position i holds 7 i mod 12
  }
  if (n == 0) {
    for (int i = 0; i < 12; ++i) out[n++] = i;
  }
  return n;
}

float OrbRandom01() {
  gOrbStepMemory.rngState = gOrbStepMemory.rngState * 1664525u + 1013904223u;
  return static_cast<float>(gOrbStepMemory.rngState >> 8) * (1.0f / 16777216.0f);
}

OrbScaleWeights BuildScaleWeights(const OrbParams& p) {
  OrbScaleWeights w;
  auto add = [&w](int pos, float strength, float emphasis) {
    const float a = Clamp01(strength), b = Clamp01(emphasis);
    if (std::max(a, b) <= 0.001f || w.count >= kOrbEntryMax) return;
    const int k = w.count++;
    w.pos[k] = OrbRingMod(pos);
    w.a[k] = a;
    w.b[k] = b;
    w.weight[k] = std::max(0.001f, (b * 0.28f + 0.72f) * a);
    w.unionA = 1.0f - (1.0f - a) * (1.0f - w.unionA);
    w.maxA = std::max(w.maxA, a);
    w.maxB = std::max(w.maxB, b);
  };
  if (p.entryCount > 0) {
    const int n = std::min(p.entryCount, static_cast<int32_t>(kOrbEntryMax));
    for (int k = 0; k < n; ++k) add(p.entryPos[k], p.entryStrength[k], p.entryEmphasis[k]);
  } else if (p.soloPos >= 0) {
    add(p.soloPos, p.soloStrength, p.soloEmphasis);
  }
  float sum = 0.0f;
  for (int k = 0; k < w.count; ++k) sum += w.weight[k];
  if (sum <= 0.00001f) return OrbScaleWeights();
  for (int k = 0; k < w.count; ++k) w.weight[k] /= sum;
  return w;
}

void StepOrb(const OrbParams& rawParams, float h) {
  OrbState& s = gOrbState;
  OrbStepMemory& m = gOrbStepMemory;
  if (!s.initialised) ResetOrbState(s);
  const int32_t N = s.pointCount;
  if (N <= 2) return;
  // The arrays were sized once from the counts; a count changed since would run off their ends.
  if (s.x.size() != static_cast<size_t>(N) || s.innerX.size() != static_cast<size_t>(s.innerCount)) {
    return;
  }
  const OrbParams p = SanitisedParams(rawParams);
  if (!std::isfinite(h)) h = 1.0f / 240.0f;

  OrbStepVars v;
  AnalyseActivity(p, h, v, s, m);
  const float dt = v.dt;
  const bool focusOn = p.focusPos >= 0 && p.focusLevel > 0.03f;
  const float focusAmount = Clamp01(p.focusLevel);

  // Which ring dominates; the key angle turns while the key ring does.
  const bool keyActive = v.sumKey > 0.05f || v.bestKey > 0.05f;
  const bool keyDominant =
      (v.bestKey > v.bestMajor + 0.05f && v.bestKey > v.bestMinor + 0.05f) ||
      (v.sumKey > v.sumMajor + 0.1f && v.sumKey > v.sumMinor + 0.1f);
  const bool minorDominant =
      !keyDominant && ((v.bestMinor > v.bestMajor + 0.03f && v.bestMinor > v.bestKey + 0.02f) ||
                       (v.sumMinor > v.sumMajor + 0.06f && v.sumMinor > v.sumKey + 0.04f));
  const float spinTarget = (keyDominant && keyActive) ? v.bestKey * 0.055f + 0.03f : 0.0f;
  s.keySpin = Ease(s.keySpin, spinTarget, 0.6f, dt);
  s.keyAngle = WrapAngle(s.keyAngle + dt * s.keySpin);

  // The scale entries.
  v.list = BuildScaleWeights(p);
  for (int k = 0; k < v.list.count; ++k) {
    const int q = v.list.pos[k];
    v.entryA[q] = v.list.a[k];
    v.entryB[q] = v.list.b[k];
    v.entryW[q] = v.list.weight[k];
  }
  const bool scaleOn = p.scaleMode == 1 || p.scaleMode == 2;
  v.maxBc = Clamp01(v.list.maxB);
  v.scaleLevel = scaleOn ? Clamp01(v.list.unionA) : 0.0f;
  const float scaleAccent = scaleOn ? Clamp01((v.maxBc * 0.03f + 0.015f) * v.scaleLevel) : 0.0f;
  v.scaleDent = (v.maxBc * 0.52f + 0.22f) * v.scaleLevel * 0.42f;
  const bool scaleActive = scaleOn && v.list.count > 0 && v.scaleLevel > 0.04f;
  v.anchorPos = scaleActive ? v.list.pos[0] : -1;

  // The envelopes.
  for (int i = 0; i < 12; ++i) StepEnvelopes(p, v, s, m, i);

  // The major drive, quiet time, the accent, and the drain of the key ring.
  v.majorDrive = Clamp01(std::max(p.accentLevel, v.sumMajor / 6.0f));
  const bool majorOn = v.majorDrive > 0.05f || v.bestMajor > 0.04f;
  s.majorHold = majorOn ? std::min(6.0f, s.majorHold + dt) : s.majorHold * std::exp(-1.4f * dt);
  v.holdLevel = Clamp01(s.majorHold * 0.2f);
  const bool active = v.total > 0.01f || v.scaleLevel > 0.01f || majorOn;
  if (active) {
    m.quietTime = 0.0f;
    if (!m.wasActive) m.onsetFlash = 1.0f;
  } else {
    m.quietTime += dt;
  }
  m.wasActive = active;
  if (active) m.relaxing = true;
  else if (m.quietTime >= kOrbRelaxedQuietSeconds) m.relaxing = false;
  m.onsetFlash *= std::exp(-2.35f * dt);
  if (m.onsetFlash < 0.002f) m.onsetFlash = 0.0f;

  v.accentAmount = Clamp01(p.accentLevel);
  v.accentVisible =
      p.accentPos >= 0 && std::max({v.accentAmount, v.holdLevel, v.majorDrive}) > 0.03f;
  v.accentOn = p.accentPos >= 0 && v.accentAmount > 0.03f;
  const bool newAccent = v.newAccent = v.accentOn && !(m.accentWasOn && p.accentPos == m.prevAccentPos &&
                                         v.accentAmount <= m.prevAccentLevel + 0.1f);
  v.rootPos = OrbRingMod(p.keyRootPos);
  if (newAccent) {
    v.kick = (v.accentAmount * 1.1f + 0.4f) * v.peakWeight;
    if (OrbRingMod(p.accentPos) == v.rootPos) {
      s.rootFlash = std::max(s.rootFlash, Clamp01((v.peak * 0.28f + 0.72f) * (v.accentAmount * 0.56f + 0.44f)));
      s.rootFlashPhase = 0.0f;
      s.rootFlashPos = v.rootPos;
    }
  }
  m.accentWasOn = v.accentOn;
  m.prevAccentPos = v.accentOn ? p.accentPos : -1;
  m.prevAccentLevel = v.accentAmount;

  float drive = 0.0f;
  if (majorOn || m.quietTime > 5.0f) {
    drive = std::max((v.majorDrive * 0.7f + 0.35f + v.holdLevel * 0.35f) * (1.0f - v.scaleLevel * 0.55f),
                     v.bestMajor * 0.2f);
  }
  if (v.accentOn) drive += v.accentAmount * 0.7f + 0.28f;
  v.quietRamp = Clamp01((m.quietTime - 5.0f) / (kOrbRelaxedQuietSeconds - 5.0f));
  drive = Clamp01(v.quietRamp * 0.18f + drive);
  if (focusOn) drive = Clamp01(focusAmount * 0.7f + 0.5f + drive);
  v.drive = drive;
  if (majorOn || drive > 0.1f || v.accentOn) {
    const float sd = v.accentAmount * 1.3f + 0.4f + v.majorDrive * 0.85f;
    const float keyDecay = std::exp(-dt * (3.0f * drive + 2.9f + 2.0f * sd));
    const float pulseDecay = std::exp(-dt * (2.7f * drive + 2.6f + 1.8f * sd));
    for (int i = 0; i < 12; ++i) {
      gRingGlowKey[i] *= keyDecay;
      m.pulseKey[i] *= pulseDecay;
    }
  }

  StepIdleWander(p, v, m);
  StepModesAndContraction(p, v, s, m, keyDominant, keyActive, minorDominant, focusOn, focusAmount,
                          scaleAccent);
  StepCentre(p, v, s, m);
  StepSwellSprings(v, s);
  ShapeOrbRing(p, v);
}
