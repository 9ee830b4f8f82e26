// The layout as the frame runs it while the board fades (RelayoutAll's rectangles and the hit
// regions, each frame), and drawing every control of the main window on software GL at 1440 x 920:
// the header, the band with a song and its loop, the students panel with its colour wheel, the
// filter panel and the settings sliders; once with the rasteriser's work finished each frame, once
// for the calls alone.
#include <GL/gl.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/view_modes.h"
#include "app/controls_draw.h"
#include "app/floor_links.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text.h"
#include "midi/playback.h"
#include "platform/gl_offscreen.h"
#include "platform/virtual_display.h"
#include "practice/students.h"
#include "theory/filter_tabs.h"
#include "theory/scale_selection.h"

static void SetUpScene() {
  ConnectFloors();
  gClientWidth = 1440;
  gClientHeight = 920;
  gStudents = {{"Ada Lovelace", "ada", 0.9f, 0.4f, 0.3f}, {"Béla", "bela", 0.3f, 0.7f, 0.5f}};
  gActiveStudentIndex = 0;
  gStudentListOpen = gColourPopupOpen = true;
  gSelectedStudentRow = 1;
  gSongEvents.clear();
  for (uint32_t t = 0; t < 60000; t += 500) gSongEvents.push_back(SongEvent{t, 0x90, 60, 90, 0});
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 12000;
  gLoopEndMs = 36000;
  gScaleListMode = true;
  gFilterPanelOpen = true;
  gFilterOpenFade = gFilterPanelFade = 1.0f;
  gSliderPanelOpen = true;
  RelayoutAll();
}

static bool EnsureGl() {
  static bool ready = [] {
    std::string error;
    if (!StartVirtualDisplay(&error) || !GlOffscreenOpen(1440, 920, &error)) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      return false;
    }
    std::atexit(StopVirtualDisplay);
    gClientWidth = 1440;
    gClientHeight = 920;
    glViewport(0, 0, 1440, 920);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1440, 920, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    RebuildFonts();
    return true;
  }();
  return ready;
}

// One frame of a board fade: the frame relays the hit regions; a mode change relays everything.
static void BM_RelayoutAndHitRegions(benchmark::State& state) {
  SetUpScene();
  gPracticeModeFade = 0.5f;
  for (auto _ : state) {
    RelayoutAll();
    LayoutHitRegions();
    benchmark::DoNotOptimize(gSeekBarRect);
  }
}
BENCHMARK(BM_RelayoutAndHitRegions)->Unit(benchmark::kMicrosecond);

static void BM_DrawAllControls(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  SetUpScene();
  glClear(GL_COLOR_BUFFER_BIT);
  for (auto _ : state) {
    DrawMainControls(1.0f);
    glFinish();
  }
}
BENCHMARK(BM_DrawAllControls)->Unit(benchmark::kMillisecond);

// The same without waiting for the rasteriser: what issuing the calls costs the UI thread.
static void BM_IssueAllControls(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  SetUpScene();
  glClear(GL_COLOR_BUFFER_BIT);
  int drawn = 0;
  for (auto _ : state) {
    DrawMainControls(1.0f);
    if (++drawn % 16 == 0) {
      state.PauseTiming();
      glFinish();
      state.ResumeTiming();
    }
  }
  glFinish();
}
BENCHMARK(BM_IssueAllControls)->Unit(benchmark::kMillisecond);
