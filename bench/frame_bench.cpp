// Cost of one frame of the loop's own work (drain, clock, decays, fades, per-frame calls and the
// background clear), without presenting and pacing. The GL case needs a display (for example a
// virtual one: DISPLAY=:N); the window stays hidden. The arithmetic case needs none.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/main_loop.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "midi/midi_input.h"
#include "platform/clock.h"
#include "platform/event_translate.h"
#include "platform/messages.h"
#include "platform/window.h"

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

// A hidden 1440 x 920 window with its GL context, made once; false without a display.
static bool MakeHiddenGlWindow() {
  static int ready = -1;
  if (ready < 0) {
    ready = WindowCreate("Tonvarra", "Orvanel", 100, 100, 1440, 920) && WindowCreateGlContext() == kGlReady;
    if (ready) {
      gMainWindowOpen = true;
      gGlReady = true;
      gClientWidth = 1440;
      gClientHeight = 920;
      SetupGlState();
      SetProjection2D();
    }
  }
  return ready == 1;
}

// A whole pass on the hidden window, without presenting and pacing.
static void BM_FrameWorkWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  SetAppMessageHandler(MainWndProc);
  for (auto _ : state) {
    RunFrameWork(ClockMs32());
    glFinish();  // the drawing itself is part of the frame's cost
  }
  SetAppMessageHandler(nullptr);
}
BENCHMARK(BM_FrameWorkWithGl)->Unit(benchmark::kMicrosecond);

// Whole passes with presenting and pacing: the loop's period (17 ms when the work fits).
static void BM_FramePassPaced(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  SetAppMessageHandler(MainWndProc);
  for (auto _ : state) RunFramePass();
  SetAppMessageHandler(nullptr);
}
BENCHMARK(BM_FramePassPaced)->Unit(benchmark::kMillisecond)->Iterations(60);
