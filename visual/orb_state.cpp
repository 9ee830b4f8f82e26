// visual/orb_state: the orb's persistent ring, its first-use set-up and the fixed-step driver.
//
// The simulation runs at a fixed 1/240 s whatever the frame rate, so the ring's motion does not
// depend on how fast frames come; a frame that took long runs at most 16 steps and drops the rest.
#include "visual/orb_state.h"

#include <algorithm>
#include <cmath>

#include "gfx/draw_alpha.h"
#include "visual/orb_step_memory.h"

// ---- constants ----
namespace {
constexpr float kPi = 3.14159265358979f;
constexpr double kFixedStep = 1.0 / 240.0;  // seconds of one step
constexpr int kMaxStepsPerFrame = 16;       // work bound of one frame
constexpr float kMaxFrameDt = 0.25f;        // longest frame time the accumulator takes in
}  // namespace

// ---- state ----
OrbState gOrbState;                // lives for the process; the vectors free themselves at exit
static double gOrbAccumulator = 0;  // unstepped time; a double so step counts don't hang on rounding

// ---- public functions ----
float WrapAngle(float x) {
  if (!std::isfinite(x)) return 0.0f;
  if (x > 3.0f * kPi || x < -3.0f * kPi) {
    // Far-off angles are reduced in one go rather than turn by turn.
    x = std::remainder(x, 2.0f * kPi);
  }
  while (x > kPi) x -= 2.0f * kPi;
  while (x < -kPi) x += 2.0f * kPi;
  return x;
}

float RingPosAngle(int i) { return static_cast<float>(OrbRingMod(i)) * (kPi / 6.0f) - kPi / 2.0f; }

void ResetOrbState(OrbState& s) {
  // The centre point and the drawing use index M - 1, and the ring needs two neighbours per point.
  s.pointCount = std::max<int32_t>(3, s.pointCount);
  s.innerCount = std::max<int32_t>(2, s.innerCount);
  const size_t n = static_cast<size_t>(s.pointCount);
  const size_t m = static_cast<size_t>(s.innerCount);
  for (std::vector<float>* a : {&s.x, &s.y, &s.vx, &s.vy, &s.inkR, &s.inkG, &s.inkB}) a->assign(n, 0.0f);
  for (std::vector<float>* a : {&s.innerX, &s.innerY, &s.innerVx, &s.innerVy, &s.innerInkR,
                                &s.innerInkG, &s.innerInkB}) {
    a->assign(m, 0.0f);
  }
  s.contraction = 0;
  s.majorHold = 0;
  s.keyAngle = 0;
  s.keySpin = 0;
  s.ringRotation = 0;
  for (int i = 0; i < 12; ++i) {
    s.scaleHit[i] = s.scaleRipple[i] = s.scaleGlow[i] = 0;
    s.swellPos[i] = s.swellVel[i] = 0;
  }
  s.rootFlash = 0;
  s.rootFlashPhase = 0;
  s.rootFlashPos = -1;
  s.centre[0] = s.centre[1] = 0;
  s.centreVel[0] = s.centreVel[1] = 0;
  s.prevTime = 0;

  const float r = s.restRadius;
  for (int32_t i = 0; i < s.pointCount; ++i) {
    const float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(s.pointCount);
    s.x[i] = std::cos(a) * r;
    s.y[i] = std::sin(a) * r;
  }
  const int32_t ringInner = std::max<int32_t>(1, s.innerCount - 1);
  for (int32_t q = 0; q < ringInner; ++q) {
    const float a = 2.0f * kPi * static_cast<float>(q) / static_cast<float>(ringInner);
    s.innerX[q] = std::cos(a) * 0.46f * r;
    s.innerY[q] = std::sin(a) * 0.46f * r;
  }
  s.innerX[ringInner] = 0;
  s.innerY[ringInner] = 0;
  s.initialised = true;
}

int StepOrbFixed(const OrbParams& p, float dt) {
  // A time that stands still, runs back or is not a number still moves the orb by one step.
  const bool usable = std::isfinite(dt) && dt > 0.0f;
  gOrbAccumulator += usable ? static_cast<double>(std::min(dt, kMaxFrameDt)) : kFixedStep;
  if (gOrbAccumulator < kFixedStep) return 0;
  int steps = 0;
  do {
    StepOrb(p, static_cast<float>(kFixedStep));
    gOrbAccumulator -= kFixedStep;
    ++steps;
  } while (gOrbAccumulator >= kFixedStep && steps < kMaxStepsPerFrame);
  if (steps == kMaxStepsPerFrame) gOrbAccumulator = 0;
  return steps;
}

int StepOrbFrame(const OrbParams& p) {
  if (!gOrbState.initialised) ResetOrbState(gOrbState);
  const float dt = gOrbState.prevTime > 0.0f ? p.time - gOrbState.prevTime : 1.0f / 60.0f;
  gOrbState.prevTime = p.time;
  return StepOrbFixed(p, dt);
}

void DrawOrbFrame(const OrbParams& p) {
  StepOrbFrame(p);
  DrawOrb(p, gOrbState);
}

bool IsOrbRelaxing() { return gOrbStepMemory.relaxing || gOrbStepMemory.wanderEnv > 0.0f; }

void RestartOrbSimulation(int32_t pointCount, int32_t innerCount) {
  gOrbState = OrbState();
  gOrbState.pointCount = pointCount;
  gOrbState.innerCount = innerCount;
  gOrbAccumulator = 0;
  ResetOrbStepMemory();
}
