// The orb's first-use set-up and its fixed-step driver.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "orb_sim.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(OrbReset, CountsAreClampedAndTheRingStartsOnItsRestCircle) {
  struct Case { int points, inner, wantPoints, wantInner; } cases[] = {
      {480, 96, 480, 96}, {1, 0, 3, 2}, {-5, -5, 3, 2}, {37, 5, 37, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.points << " points, " << c.inner << " inner");
    RestartOrbSimulation(c.points, c.inner);
    EXPECT_FALSE(gOrbState.initialised);
    ResetOrbState(gOrbState);
    const OrbState& s = gOrbState;
    ASSERT_EQ(s.pointCount, c.wantPoints);
    ASSERT_EQ(s.innerCount, c.wantInner);
    for (const auto* a : {&s.x, &s.y, &s.vx, &s.vy, &s.inkR, &s.inkG, &s.inkB})
      ASSERT_EQ(a->size(), static_cast<size_t>(c.wantPoints));
    for (const auto* a : {&s.innerX, &s.innerY, &s.innerVx, &s.innerVy, &s.innerInkR, &s.innerInkG, &s.innerInkB})
      ASSERT_EQ(a->size(), static_cast<size_t>(c.wantInner));
    for (int j = 0; j < s.pointCount; ++j) EXPECT_NEAR(std::hypot(s.x[j], s.y[j]), 0.8f, 1e-5);
    EXPECT_NEAR(s.x[0], 0.8f, 1e-6);  // point 0 at angle 0
    const int m1 = s.innerCount - 1;
    for (int k = 0; k < m1; ++k) EXPECT_NEAR(std::hypot(s.innerX[k], s.innerY[k]), 0.46f * 0.8f, 1e-5);
    EXPECT_EQ(s.innerX[m1], 0.0f);  // the centre point
    EXPECT_EQ(s.innerY[m1], 0.0f);
  }
  // Odd counts set before first use: every loop stays inside the arrays (the sanitizers watch),
  // and the first step sets the orb up by itself.
  RestartOrbSimulation(37, 5);
  ClearRingGlow();
  gRingGlowMajor[2] = 0.9f;
  gRingGlowMinor[7] = 0.6f;
  OrbParams p = QuietParams();
  p.scaleMode = 2;
  p.entryCount = 1;
  p.entryPos[0] = 4;
  p.entryStrength[0] = 0.8f;
  StepOrb(p, 1.0f / 240.0f);
  ASSERT_TRUE(gOrbState.initialised);
  RunSteps(p, 3.0f);
  EXPECT_EQ(gOrbState.x.size(), 37u);
  EXPECT_EQ(OrbStateFault(), "");
}

TEST(OrbDriver, StepCountsPerFrame) {
  struct Case {
    const char* name;
    std::vector<float> frames;  // dt of each frame
    std::vector<int> steps;     // steps each frame runs
  } cases[] = {
      {"a 60 Hz frame", {1.0f / 60}, {4}},
      {"tiny frames add up", {0.001f, 0.001f, 0.001f, 0.001f, 0.001f}, {0, 0, 0, 0, 1}},
      {"a stall runs 16 steps and drops the rest", {0.5f, 1.0f / 480}, {16, 0}},
      {"the cap holds at exactly a quarter second", {0.25f}, {16}},
      {"time running back moves one step", {-0.1f}, {1}},
      {"not a number moves one step", {kNaN, kNaN}, {1, 1}},
      {"infinity moves one step", {kInf}, {1}},
      {"zero moves one step", {0.0f}, {1}},
      {"a remainder carries over", {1.0f / 160, 1.0f / 160}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshOrb(24, 4);  // small ring: only the counting matters here
    OrbParams p = QuietParams();
    for (size_t f = 0; f < c.frames.size(); ++f) EXPECT_EQ(StepOrbFixed(p, c.frames[f]), c.steps[f]) << f;
  }
}

TEST(OrbDriver, FrameTimeComesFromTheRecordsClock) {
  struct Case {
    const char* name;
    std::vector<float> times;  // p.time of each frame
    std::vector<int> steps;
  } cases[] = {
      {"first frame counts as 1/60 s", {100.0f}, {4}},
      {"then the difference of the times", {2.0f, 2.0625f}, {4, 15}},
      {"time standing still or going back moves one step", {5.0f, 5.0f, 4.0f}, {4, 1, 1}},
      {"a long pause is capped and its rest dropped", {5.0f, 64.0f, 64.03125f}, {4, 16, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartOrbSimulation(24, 4);
    ClearRingGlow();
    OrbParams p = QuietParams();
    for (size_t f = 0; f < c.times.size(); ++f) {
      p.time = c.times[f];
      EXPECT_EQ(StepOrbFrame(p), c.steps[f]) << "frame " << f;
    }
  }
}

TEST(OrbDriver, TempoScalesTheStepWithinItsLimits) {
  // Seen through the quiet timer, which counts simulated seconds.
  struct Case { float tempo, secondsPerStep; } cases[] = {
      {1.0f, 1.0f / 240}, {0.1f, 0.35f / 240}, {3.0f, 1.35f / 240}, {kNaN, 0.35f / 240}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tempo);
    FreshOrb(24, 4);
    OrbParams p = QuietParams();
    p.tempo = c.tempo;
    for (int k = 0; k < 240; ++k) StepOrb(p, 1.0f / 240);
    EXPECT_NEAR(gOrbStepMemory.quietTime, 240 * c.secondsPerStep, 1e-3);
  }
}

}  // namespace
