// Helpers shared by the orb tests: a clean start, the glow arrays, and checks on the state.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/ring_glow.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"

inline void ClearRingGlow() {
  for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0.0f;
}

// A fresh orb (set up at once) and dark rings.
inline void FreshOrb(int pointCount = 480, int innerCount = 96) {
  RestartOrbSimulation(pointCount, innerCount);
  ClearRingGlow();
  ResetOrbState(gOrbState);
}

// A plain record: normal speed and flow, no scale effects, nothing accented.
inline OrbParams QuietParams() {
  OrbParams p;
  p.tempo = 1.0f;
  p.flow = 1.0f;
  p.liveliness = 0.5f;
  p.time = 1.0f;
  return p;
}

// Runs fixed steps for `seconds` of simulated time at 1/240 s, advancing p.time.
inline void RunSteps(OrbParams& p, float seconds) {
  const int steps = static_cast<int>(std::lround(seconds * 240.0f));
  for (int k = 0; k < steps; ++k) {
    p.time += 1.0f / 240.0f;
    StepOrb(p, 1.0f / 240.0f);
  }
}

// Distance of ring point j from the ring's centre.
inline float PointRadius(int j) {
  const OrbState& s = gOrbState;
  return std::hypot(s.x[j] - s.centre[0], s.y[j] - s.centre[1]);
}

// Every value of the state finite and within its limits; returns the first fault found, "" if none.
inline std::string OrbStateFault() {
  const OrbState& s = gOrbState;
  const float S = s.reach;
  auto bad = [](float v) { return !std::isfinite(v); };
  for (const auto* a : {&s.x, &s.y, &s.vx, &s.vy, &s.innerX, &s.innerY, &s.innerVx, &s.innerVy})
    for (float v : *a)
      if (bad(v)) return "non-finite position or speed";
  for (const auto* a : {&s.inkR, &s.inkG, &s.inkB, &s.innerInkR, &s.innerInkG, &s.innerInkB})
    for (float v : *a)
      if (!(v > -6.0f && v < 6.0f)) return "ink outside (-6, 6): " + std::to_string(v);
  for (int j = 0; j < s.pointCount; ++j) {
    if (std::hypot(s.x[j], s.y[j]) > S + 1e-3f) return "ring point beyond the reach";
    // The smallest inner limit: 0.38 of the smallest core (0.25 of the rest radius).
    if (PointRadius(j) < 0.38f * 0.25f * s.restRadius * 0.9f) return "ring point inside the core";
  }
  for (int k = 0; k < s.innerCount; ++k)
    if (std::hypot(s.innerX[k], s.innerY[k]) > S + 1e-3f) return "inner point beyond the reach";
  if (std::hypot(s.centre[0], s.centre[1]) > S) return "centre beyond the reach";
  if (!(s.contraction >= 0.0f && s.contraction <= 0.75f)) return "contraction out of range";
  for (float v : {s.energy, s.keyTint, s.minorLevel, s.minorWarmth, s.rootFlash})
    if (!(v >= 0.0f && v <= 1.0f)) return "level outside 0..1";
  if (!(s.majorHold >= 0.0f && s.majorHold <= 6.0f)) return "major hold out of range";
  for (float v : {s.keyAngle, s.ringRotation})
    if (!(std::fabs(v) <= 3.1416f)) return "angle outside [-pi, pi]";
  for (int i = 0; i < 12; ++i) {
    if (!(s.swellPos[i] >= 0.0f && s.swellPos[i] <= 1.1f)) return "swell out of range";
    if (!(std::fabs(s.swellVel[i]) <= 2.6f)) return "swell speed out of range";
    if (!(s.keyHold[i] >= 0.0f && s.keyHold[i] <= 6.0f)) return "key hold out of range";
    for (float v : {s.scaleHit[i], s.scaleRipple[i], s.minorEnv[i], s.keyEnv[i], s.scaleGlow[i], s.minorAge[i]})
      if (bad(v) || v < 0.0f) return "envelope negative or non-finite";
  }
  for (float v : {s.smoothCentre[0], s.smoothCentre[1], s.centreVel[0], s.centreVel[1], s.keySpin, s.rootFlashPhase})
    if (bad(v)) return "non-finite scalar";
  return "";
}
