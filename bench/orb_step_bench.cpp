// One frame of the orb's simulation: four fixed steps (a 60 Hz frame) of 480 ring points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/ring_glow.h"
#include "visual/orb_state.h"

namespace {

// A chord held on the major ring with a little minor and key light, and a two-entry scale list.
OrbParams BusyFrame() {
  OrbParams p;
  p.tempo = 1.0f;
  p.liveliness = 0.6f;
  p.flow = 1.0f;
  p.scaleMode = 1;
  p.scaleMask = 0xAB5;
  p.accentPos = 0;
  p.accentLevel = 0.7f;
  p.entryCount = 2;
  p.entryPos[0] = 6;
  p.entryStrength[0] = 0.8f;
  p.entryEmphasis[0] = 0.4f;
  p.entryPos[1] = 8;
  p.entryStrength[1] = 0.5f;
  p.entryEmphasis[1] = 0.2f;
  return p;
}

void SetChord(float t) {
  for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0.0f;
  gRingGlowMajor[0] = 0.8f + 0.2f * std::sin(t);
  gRingGlowMajor[1] = 0.6f;
  gRingGlowMajor[4] = 0.5f;
  gRingGlowMinor[3] = 0.3f;
  gRingGlowKey[9] = 0.2f;
}

void BM_OrbFrameBusy(benchmark::State& state) {
  RestartOrbSimulation();
  OrbParams p = BusyFrame();
  float t = 1.0f;
  for (auto _ : state) {
    t += 1.0f / 60.0f;
    p.time = t;
    SetChord(t);
    benchmark::DoNotOptimize(StepOrbFixed(p, 1.0f / 60.0f));
  }
}
BENCHMARK(BM_OrbFrameBusy);

void BM_OrbFrameMinor(benchmark::State& state) {
  RestartOrbSimulation();
  OrbParams p;
  p.liveliness = 0.5f;
  float t = 1.0f;
  for (auto _ : state) {
    t += 1.0f / 60.0f;
    p.time = t;
    for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowKey[i] = 0.0f;
    gRingGlowMinor[3] = 0.8f;
    gRingGlowMinor[4] = 0.5f;
    benchmark::DoNotOptimize(StepOrbFixed(p, 1.0f / 60.0f));
  }
}
BENCHMARK(BM_OrbFrameMinor);

void BM_OrbFrameQuiet(benchmark::State& state) {
  RestartOrbSimulation();
  OrbParams p;
  float t = 1.0f;
  for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0.0f;
  for (auto _ : state) {
    t += 1.0f / 60.0f;
    p.time = t;
    benchmark::DoNotOptimize(StepOrbFixed(p, 1.0f / 60.0f));
  }
}
BENCHMARK(BM_OrbFrameQuiet);

}  // namespace
