// Cost of one frame of the loop's own work (drain, clock, decays, fades, per-frame calls, the
// background and the circle view with ten keys held, a full chord history and a full pattern list),
// without presenting and pacing. The GL case needs a display (for example a
// virtual one: DISPLAY=:N); the window stays hidden, 1440 x 920 unless TONVARRA_BENCH_SIZE says
// otherwise ("1920x1080"). The arithmetic case needs none.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/chord_trail.h"
#include "app/main_loop.h"
#include "app/orb_feed.h"
#include "app/pattern_list.h"
#include "app/ring_glow.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "bench/hidden_gl_window.h"
#include "bench/view_scenes.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "midi/midi_input.h"
#include "platform/clock.h"
#include "platform/event_translate.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"
#include "visual/circle_pass.h"
#include "visual/circle_still.h"
#include "visual/orb_params.h"
#include "visual/ring_labels.h"

// The window-free part of a pass: a few input messages, the clock step, decays and fades.
static void BM_FrameArithmetic(benchmark::State& state) {
  SetAppMessageHandler(MainWndProc);
  float now = 100.0f;
  for (auto _ : state) {
    PostMouseMove(200, 300, 0, false);
    DrainAppMessages();
    now += 0.017f;
    float dt = AdvanceFrameClock(now);
    DecayFrameLevels(dt);
    AdvanceViewFades(dt);
    RunMidiRescan(ClockMs32());
    benchmark::DoNotOptimize(dt);
  }
  SetAppMessageHandler(nullptr);
}
BENCHMARK(BM_FrameArithmetic);

// ---- the circle view under load (bench/view_scenes) ----
// The circle view's work without GL: the ring pass's colours, the trail's and the pattern list's
// looks, the glow feed and the orb's record.
static void BM_CircleViewLogic(benchmark::State& state) {
  gClientWidth = 1440;
  gClientHeight = 920;
  ValidateCurrentScale();
  LoadCircleView(true);
  static float hold[12] = {};
  CirclePassInput in;
  ComputeCircleLayout(&in.centreX, &in.centreY, &in.minSide, &in.outer, &in.inner, &in.innermost);
  in.holdSeconds = hold;
  in.matched = {true, 0, 0};
  in.matchedInScaleRatio = 0.8f;
  CircleLook look;
  for (auto _ : state) {
    RefreshCircleView();
    ComputeCircleViewRecords(in, &look, 0.017f);
    benchmark::DoNotOptimize(look.positions[0].outerFill[3]);
  }
  gHeldNotes.clear();
}
BENCHMARK(BM_CircleViewLogic)->Unit(benchmark::kMicrosecond);

// The hidden window at the size the environment asks for.
static bool MakeBenchWindow() {
  int width = 1440, height = 920;
  const char* size = std::getenv("TONVARRA_BENCH_SIZE");
  if (size) std::sscanf(size, "%dx%d", &width, &height);
  return MakeHiddenGlWindow(width, height);
}

// A whole pass on the hidden window, without presenting and pacing, on a clock that advances
// 17 ms a pass as the paced loop's does: every pass does one frame's animation (the orb's fixed
// steps among it), however long the machine takes. Real time with the rasteriser finished; CPU
// time of the whole process, the rasteriser's threads included. `redrawn` counts the ring
// positions drawn afresh in a pass (12: the whole circle; 0: all of it put back from its texture);
// p50_ms and p99_ms are the median and 99th percentile of the passes' real times.
static void BM_FrameWorkWithGl(benchmark::State& state) {
  if (!MakeBenchWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  SetAppMessageHandler(MainWndProc);
  ValidateCurrentScale();
  ClockDriveBegin(ClockTickMs64());
  bool loaded = state.range(0) != 0;
  if (loaded) LoadCircleView(state.range(0) == 2);
  // Held keys as they stand after a few seconds: the chord tones have faded to their floor.
  ClockDriveAdvance(6000);
  for (int i = 0; i < 30; ++i) {
    ClockDriveAdvance(17);
    if (loaded) RefreshCircleView();
    RunFrameWork(ClockMs32());
  }
  glFinish();
  double redrawn = 0;
  std::vector<double> frameMs;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    ClockDriveAdvance(17);
    if (loaded) RefreshCircleView();
    RunFrameWork(ClockMs32());
    glFinish();  // the drawing itself is part of the frame's cost
    frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    redrawn += CircleStillRedrawnCount();
  }
  state.counters["redrawn"] = benchmark::Counter(redrawn, benchmark::Counter::kAvgIterations);
  std::sort(frameMs.begin(), frameMs.end());
  if (!frameMs.empty()) {
    state.counters["p50_ms"] = frameMs[frameMs.size() / 2];
    state.counters["p99_ms"] = frameMs[std::min(frameMs.size() - 1, frameMs.size() * 99 / 100)];
  }
  ClockDriveEnd();
  SetAppMessageHandler(nullptr);
  gHeldNotes.clear();
}
// 0: nothing played; 1: ten keys held and a full chord history; 2: also 256 pattern events.
BENCHMARK(BM_FrameWorkWithGl)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

// Whole passes with presenting and pacing: the loop's period (17 ms when the work fits).
static void BM_FramePassPaced(benchmark::State& state) {
  if (!MakeBenchWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  SetAppMessageHandler(MainWndProc);
  for (auto _ : state) RunFramePass();
  SetAppMessageHandler(nullptr);
}
BENCHMARK(BM_FramePassPaced)->Unit(benchmark::kMillisecond)->Iterations(60);
