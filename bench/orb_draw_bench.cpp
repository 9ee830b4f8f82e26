// The orb's drawing with a chord held (ribbons braiding), at full detail (smoothQuality 1) and at
// the lowest (0.52): the arithmetic alone (body colours, radial lines, harmony, trails, ribbons,
// beads and outlines into arrays), the harmony reading alone, and whole DrawOrbFrame calls (the
// steps, the arithmetic and software GL drawing into a hidden 1440 x 920 window on a private
// Xvfb). Each run also checks that no array grows after the first frame (counter "grew": 0).
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/ring_glow.h"
#include "gfx/gl_setup.h"
#include "platform/gl_offscreen.h"
#include "platform/virtual_display.h"
#include "visual/orb_body.h"
#include "visual/orb_draw.h"
#include "visual/orb_overlays.h"
#include "visual/orb_state.h"

namespace {

constexpr int kWidth = 1440, kHeight = 920;

// A C major triad with its chord struck, a little minor and key light, one note off the scale.
OrbParams ChordFrame() {
  OrbParams p;
  p.centreX = 420;
  p.centreY = 460;
  p.innerRadius = 215;
  p.tempo = 1.0f;
  p.flow = 1.0f;
  p.liveliness = 0.6f;
  p.level64 = 0.7f;
  p.level72 = 0.2f;
  p.scaleMode = 1;
  p.scaleMask = 0xAB5;
  p.accentPos = 0;
  p.accentLevel = 0.7f;
  p.entryCount = 1;
  p.entryPos[0] = 6;
  p.entryStrength[0] = 0.7f;
  p.entryEmphasis[0] = 0.4f;
  p.time = 5.0f;
  return p;
}

void SetChord() {
  for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0.0f;
  gRingGlowMajor[0] = 0.9f;
  gRingGlowMajor[1] = 0.7f;
  gRingGlowMajor[4] = 0.7f;
  gRingGlowMinor[3] = 0.3f;
  gRingGlowKey[9] = 0.2f;
}

void HoldQuality(float q) { gOrbDraw.quality = gOrbDraw.smoothQuality = q; }

// Capacities of every array the drawing keeps.
std::vector<size_t> Capacities() {
  const OrbDrawMemory& d = gOrbDraw;
  const OrbOverlayMemory& o = gOrbOverlays;
  std::vector<size_t> c;
  for (const std::vector<float>* a : {&d.sampleNoise, &d.blurR, &d.innerR, &d.sampleTheta, &d.tintGm, &d.strikeG,
                                      &d.lum, &d.body.xy, &d.body.rgba, &d.radialLines.xy, &o.trails[0].density,
                                      &o.trails[1].density, &o.waveField, &o.nodal, &o.sField, &o.trig, &o.ribbons.xy,
                                      &o.ribbons.rgba, &o.beads.xy, &o.outline.xy, &o.reach.xy})
    c.push_back(a->capacity());
  c.push_back(d.bodyIndex.capacity());
  return c;
}

// A warmed-up orb: a second of the chord at 60 frames a second.
void WarmUp(OrbParams& p, float q) {
  RestartOrbSimulation();
  ResetOrbDrawing();
  SetChord();
  for (int i = 0; i < 60; ++i) {
    p.time += 1.0f / 60.0f;
    StepOrbFrame(p);
    HoldQuality(q);
    BuildOrbDrawing(p, gOrbState);
  }
}

void BM_OrbDrawingArithmetic(benchmark::State& state) {
  const float q = static_cast<float>(state.range(0)) / 100.0f;
  OrbParams p = ChordFrame();
  WarmUp(p, q);
  const std::vector<size_t> before = Capacities();
  for (auto _ : state) {
    p.time += 1.0f / 60.0f;
    HoldQuality(q);
    benchmark::DoNotOptimize(BuildOrbDrawing(p, gOrbState));
  }
  state.counters["grew"] = Capacities() != before ? 1 : 0;
  state.counters["ribbons"] = gOrbOverlays.ribbonCount;
  state.counters["vertices"] = gOrbDraw.body.Count() + gOrbOverlays.ribbons.Count() + gOrbOverlays.beads.Count();
}
BENCHMARK(BM_OrbDrawingArithmetic)->Arg(100)->Arg(52)->Unit(benchmark::kMicrosecond);

// The passes one by one at full detail: which of them the arithmetic's time goes to.
void BM_OrbDrawingPass(benchmark::State& state) {
  OrbParams p = ChordFrame();
  WarmUp(p, 1.0f);
  for (auto _ : state) {
    p.time += 1.0f / 60.0f;
    HoldQuality(1.0f);
    AdvanceOrbDrawClock(gOrbDraw, p.time, p.level80);
    const OrbFrame f = PrepareOrbFrame(p, gOrbState, gOrbDraw);
    const OrbHarmony h = AnalyseOrbHarmony(p, gOrbState, f, gOrbDraw);
    switch (state.range(0)) {
      case 0: FillOrbBody(p, gOrbState, f, gOrbDraw); break;
      case 1: FillOrbRibbons(p, f, h, gOrbDraw, gOrbOverlays); break;
      case 2: FillOrbBeads(p, gOrbState, f, h, gOrbDraw, gOrbOverlays); break;
      default: break;  // the frame's shared values and per-sample rows alone
    }
  }
}
// 0 body colours, 1 ribbons with their trails, 2 beads, 3 the shared preparation only.
BENCHMARK(BM_OrbDrawingPass)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_OrbHarmony(benchmark::State& state) {
  OrbParams p = ChordFrame();
  WarmUp(p, 1.0f);
  const OrbFrame f = PrepareOrbFrame(p, gOrbState, gOrbDraw);
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseOrbHarmony(p, gOrbState, f, gOrbDraw).harm2);
}
BENCHMARK(BM_OrbHarmony)->Unit(benchmark::kMicrosecond);

bool OpenGl() {
  static int ready = -1;
  if (ready < 0) {
    std::string error;
    ready = StartVirtualDisplay(&error) && GlOffscreenOpen(kWidth, kHeight, &error);
    if (ready) {
      SetupGlState();
      glViewport(0, 0, kWidth, kHeight);
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      glOrtho(0, kWidth, kHeight, 0, -1, 1);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
    }
  }
  return ready == 1;
}

// A whole frame of the orb on software GL: the steps, the arithmetic and the drawing, finished.
void BM_DrawOrbFrameGl(benchmark::State& state) {
  if (!OpenGl()) {
    state.SkipWithError("no GL context on a virtual display");
    return;
  }
  const float q = static_cast<float>(state.range(0)) / 100.0f;
  OrbParams p = ChordFrame();
  WarmUp(p, q);
  const std::vector<size_t> before = Capacities();
  for (auto _ : state) {
    p.time += 1.0f / 60.0f;
    HoldQuality(q);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawOrbFrame(p);
    glFinish();
  }
  state.counters["grew"] = Capacities() != before ? 1 : 0;
}
BENCHMARK(BM_DrawOrbFrameGl)->Arg(100)->Arg(52)->Unit(benchmark::kMillisecond);

}  // namespace
