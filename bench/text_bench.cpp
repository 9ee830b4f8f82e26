// Cost of building the font set (it runs before the first frame) and of drawing and measuring one
// 60-character line, in a hidden GL window on a private X server.
#include <GL/gl.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/base/client_size.h"
#include "gfx/text.h"
#include "platform/gl_offscreen.h"
#include "platform/virtual_display.h"

static bool EnsureGl() {
  static bool ready = [] {
    std::string error;
    if (!StartVirtualDisplay(&error) || !GlOffscreenOpen(1600, 900, &error)) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      return false;
    }
    std::atexit(StopVirtualDisplay);
    gClientWidth = 1600;
    gClientHeight = 900;
    glViewport(0, 0, 1600, 900);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1600, 900, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return true;
  }();
  return ready;
}

// The very first build in a process, with the font configuration read cold.
static void BM_RebuildFontsFirst(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  for (auto _ : state) {
    RebuildFonts();
    glFinish();
  }
}
BENCHMARK(BM_RebuildFontsFirst)->Iterations(1)->Unit(benchmark::kMillisecond);

// A rebuild on a size change.
static void BM_RebuildFonts(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  for (auto _ : state) {
    RebuildFonts();
    glFinish();
  }
}
BENCHMARK(BM_RebuildFonts)->Unit(benchmark::kMillisecond);

static const std::string kLatinLine = "Playing visualization only; the synth is unavailable now....";
static const std::string kMixedLine = "Skala: Dorian - \u0414\u043e\u0440\u0438\u0439\u0441\u043a\u0438\u0439 "
                                      "\u0627\u0644\u0644\u063a\u0629 \u65e5\u672c\u8a9e \u0939\u093f\u0928\u094d\u0926\u0940 "
                                      "\u3053\u3093\u306b\u3061\u306f 12345678901";

static void DrawLineBench(benchmark::State& state, const std::string& line) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  if (!gFontMain) RebuildFonts();
  DrawTextUtf8(gFontMain, 20, 100, line, 1, 1, 1, 1);  // glyph lists made once
  glFinish();
  for (auto _ : state) {
    DrawTextUtf8(gFontMain, 20, 100, line, 1, 1, 1, 1);
    glFinish();
  }
}

// Many lines per frame: the GL work is finished once per 64 lines, as a frame would.
static void DrawLinesInFrameBench(benchmark::State& state, const std::string& line) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  if (!gFontMain) RebuildFonts();
  DrawTextUtf8(gFontMain, 20, 100, line, 1, 1, 1, 1);
  glFinish();
  int drawn = 0;
  for (auto _ : state) {
    DrawTextUtf8(gFontMain, 20, float(40 + (drawn % 64) * 13), line, 1, 1, 1, 1);
    if (++drawn % 64 == 0) glFinish();
  }
  glFinish();
}

static void BM_DrawLine60LatinInFrame(benchmark::State& state) { DrawLinesInFrameBench(state, kLatinLine); }
BENCHMARK(BM_DrawLine60LatinInFrame)->Unit(benchmark::kMicrosecond);

static void BM_DrawLine60MixedInFrame(benchmark::State& state) { DrawLinesInFrameBench(state, kMixedLine); }
BENCHMARK(BM_DrawLine60MixedInFrame)->Unit(benchmark::kMicrosecond);

static void BM_DrawLine60Latin(benchmark::State& state) { DrawLineBench(state, kLatinLine); }
BENCHMARK(BM_DrawLine60Latin)->Unit(benchmark::kMicrosecond);

static void BM_DrawLine60Mixed(benchmark::State& state) { DrawLineBench(state, kMixedLine); }
BENCHMARK(BM_DrawLine60Mixed)->Unit(benchmark::kMicrosecond);

static void BM_MeasureLine60(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  if (!gFontMain) RebuildFonts();
  const std::string& line = state.range(0) ? kMixedLine : kLatinLine;
  for (auto _ : state) benchmark::DoNotOptimize(MeasureText(gFontMain, line, 20));
}
BENCHMARK(BM_MeasureLine60)->Arg(0)->Arg(1);

static void BM_DrawLine6InFrame(benchmark::State& state) { DrawLinesInFrameBench(state, "Tempo:"); }
BENCHMARK(BM_DrawLine6InFrame)->Unit(benchmark::kMicrosecond);

// The first line of a script the UI face lacks, right after a rebuild: fallback faces are found.
static void BM_FirstCyrillicLineAfterRebuild(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL");
  for (auto _ : state) {
    state.PauseTiming();
    RebuildFonts();
    glFinish();
    state.ResumeTiming();
    DrawTextUtf8(gFontMain, 20, 100, "\u041c\u0435\u0434\u043b\u0435\u043d\u043d\u043e\u0435 \u0432\u0440\u0435\u043c\u044f", 1, 1, 1, 1);
    glFinish();
  }
}
BENCHMARK(BM_FirstCyrillicLineAfterRebuild)->Unit(benchmark::kMillisecond)->Iterations(5);
