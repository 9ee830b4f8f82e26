// Cost of one start-screen frame at its busiest: every hill light, the thirteen
// mark copies, all 48 wordmark slices and the language list open. The GL case needs a display
// (DISPLAY=:N, software GL is fine); the logic case (layout, clock, silhouettes, lights) needs none.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/main_loop.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/text.h"
#include "gfx/ui_language.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/window.h"
#include "visual/start_screen.h"

// The scene's logic for one frame: the layout, the clock, nine silhouettes and their lights.
static void BM_StartScreenLogic(benchmark::State& state) {
  gClientWidth = 1440;
  gClientHeight = 920;
  float xs[kHillSamples], ys[kHillSamples];
  static HillLight lights[2000];
  float elapsed = 3.4f;
  for (auto _ : state) {
    StartScreenLayout l = ComputeStartScreenLayout();
    benchmark::DoNotOptimize(l);
    benchmark::DoNotOptimize(GetStartScreenElapsed(GetAppSeconds()));
    int n = 0;
    for (int k = 0; k < kHillLayers; ++k) {
      HillSilhouette(k, elapsed, 1440, 920, xs, ys);
      n += PlaceHillLights(k, elapsed, 1440, 920, xs, ys, lights, 2000);
    }
    benchmark::DoNotOptimize(n);
    elapsed += 0.017f;
  }
}
BENCHMARK(BM_StartScreenLogic)->Unit(benchmark::kMicrosecond);

// 1440 x 920 unless TONVARRA_BENCH_SIZE says otherwise ("1920x1080").
static bool MakeHiddenGlWindow() {
  static int ready = -1;
  if (ready < 0) {
    int width = 1440, height = 920;
    const char* size = std::getenv("TONVARRA_BENCH_SIZE");
    if (size) std::sscanf(size, "%dx%d", &width, &height);
    KeepFreedHeapForReuse();  // as the program does
    ready = WindowCreate("Tonvarra", "Orvanel", 100, 100, width, height) && WindowCreateGlContext() == kGlReady;
    if (ready) {
      gMainWindowOpen = true;
      gGlReady = true;
      gClientWidth = width;
      gClientHeight = height;
      SetupGlState();
      SetProjection2D();
      RebuildFonts();
      std::string images = std::string(TONVARRA_SOURCE_ROOT) + "/assets/images/";
      LoadImageTexture(images + "splash_screen.png", gSplashImage);
      LoadImageTexture(images + "tv_mark.png", gMarkImage);
      LoadImageTexture(images + "tv_wordmark.png", gWordmarkImage);
      InitUiLanguage();
    }
  }
  return ready == 1;
}

// One whole start-screen frame, the clock held at 3.4 s by the open list: the scene alone, and
// the main loop's whole pass with the start screen up (the background under it included) on a
// clock that advances 17 ms a pass. Real time with the rasteriser finished; CPU time of the whole
// process, the rasteriser's threads included; p50_ms and p99_ms over the passes.
static void BM_StartScreenFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  bool wholePass = state.range(0) != 0;
  SetAppMessageHandler(MainWndProc);
  ClockDriveBegin(ClockTickMs64());
  ResetStartScreen();
  float now = GetAppSeconds();
  gStartClock = now - 3.4f;
  SetLanguageListOpen(true, now);
  std::vector<double> frameMs;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    ClockDriveAdvance(17);
    if (wholePass) {
      RunFrameWork(ClockMs32());
    } else {
      glClear(GL_COLOR_BUFFER_BIT);
      benchmark::DoNotOptimize(DrawStartScreen(GetAppSeconds()));
    }
    glFinish();
    frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(frameMs.begin(), frameMs.end());
  if (!frameMs.empty()) {
    state.counters["p50_ms"] = frameMs[frameMs.size() / 2];
    state.counters["p99_ms"] = frameMs[std::min(frameMs.size() - 1, frameMs.size() * 99 / 100)];
  }
  ResetStartScreen();
  ClockDriveEnd();
  SetAppMessageHandler(nullptr);
}
// 0: the scene alone; 1: the loop's whole pass.
BENCHMARK(BM_StartScreenFrameWithGl)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
