// Cost of one start-screen frame at 1440 x 920 at its busiest: every hill light, the thirteen
// mark copies, all 48 wordmark slices and the language list open. The GL case needs a display
// (DISPLAY=:N, software GL is fine); the logic case (layout, clock, silhouettes, lights) needs none.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/text.h"
#include "gfx/ui_language.h"
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

static bool MakeHiddenGlWindow() {
  static int ready = -1;
  if (ready < 0) {
    KeepFreedHeapForReuse();  // as the program does
    ready = WindowCreate("Tonvarra", "Orvanel", 100, 100, 1440, 920) && WindowCreateGlContext() == kGlReady;
    if (ready) {
      gMainWindowOpen = true;
      gGlReady = true;
      gClientWidth = 1440;
      gClientHeight = 920;
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

// One whole start-screen frame, the clock held at 3.4 s by the open list.
static void BM_StartScreenFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  ResetStartScreen();
  float now = GetAppSeconds() + 10.0f;
  gStartClock = now - 3.4f;
  SetLanguageListOpen(true, now);
  for (auto _ : state) {
    now += 0.017f;
    glClear(GL_COLOR_BUFFER_BIT);
    benchmark::DoNotOptimize(DrawStartScreen(now));
    glFinish();
  }
  ResetStartScreen();
}
BENCHMARK(BM_StartScreenFrameWithGl)->Unit(benchmark::kMillisecond);
