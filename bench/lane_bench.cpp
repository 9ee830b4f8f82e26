// One note-fall lane frame at 1440 x 920 on software GL, the clock driven at 60 frames a second:
// (a) a dense song with 281 notes drawn and the ambient motes; (b) the same with five keys held at
// full velocity for 8 s and splashes at their cooldown rate; (c) the particle stores filled to
// their caps. Each load is measured for the logic alone (walk, emission, grid, forces, motion,
// caps) and for the whole frame with the rasteriser's work finished; the counters give the
// particles, the sprites drawn and the pools' capacities, which must not change.
#include <GL/gl.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "bench/view_scenes.h"
#include "board/board_frame.h"
#include "board/board_motes.h"
#include "board/board_particles.h"
#include "board/lane_notes.h"
#include "board/lane_sprites.h"
#include "board/note_fall_lane.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/gl_offscreen.h"
#include "platform/virtual_display.h"

namespace {

bool EnsureGl() {
  static bool ready = [] {
    std::string error;
    if (!StartVirtualDisplay(&error) || !GlOffscreenOpen(1440, 920, &error)) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      return false;
    }
    std::atexit(StopVirtualDisplay);
    gClientWidth = 1440;
    gClientHeight = 920;
    SetupGlState();
    SetProjection2D();
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(5000000000ull);
    return true;
  }();
  return ready;
}

BoardViewFrame gFrame;

// One lane frame: the board frame record, then the lane's three drawers.
void DrawLaneFrame() {
  ComputeBoardViewFrame(&gFrame, (float)(ClockMs32() % 100000u) * 0.001f);
  DrawNoteFallButton(gFrame);
  DrawNoteFallLane(gFrame);
  DrawLaneKeyboard(gFrame);
}

void Report(benchmark::State& state, size_t moteCapacity, size_t sparkCapacity) {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  CountingSpriteSink sprites;
  EmitParticleSprites(f, &sprites);
  state.counters["motes"] = (double)gBoardMotes.size();
  state.counters["sparks"] = (double)gSplashParticles.size();
  state.counters["sprites"] = (double)sprites.n;
  state.counters["trails"] = (double)gLaneTrails.size();
  state.counters["pools_fixed"] = gBoardMotes.capacity() == moteCapacity && gSplashParticles.capacity() == sparkCapacity;
}

enum Load { kDense = 0, kHeldKeys = 1, kCaps = 2 };

void Prepare(Load load) {
  SetUpLaneScene(load != kDense);
  // Eight seconds of play (the held keys' plumes at full rate) before measuring.
  for (int i = 0; i < 480; ++i) {
    ClockDriveAdvance(16);
    if (load != kDense) SplashHeldKeys();
    DrawLaneFrame();
  }
  glFinish();
}

void BM_LaneFrame(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL context");
  const Load load = (Load)state.range(0);
  Prepare(load);
  const size_t moteCapacity = gBoardMotes.capacity(), sparkCapacity = gSplashParticles.capacity();
  for (auto _ : state) {
    if (load == kCaps) {
      state.PauseTiming();
      FillLaneToCaps();
      state.ResumeTiming();
    }
    ClockDriveAdvance(16);
    if (load != kDense) SplashHeldKeys();
    DrawLaneFrame();
    glFinish();
  }
  Report(state, moteCapacity, sparkCapacity);
}
BENCHMARK(BM_LaneFrame)->Arg(kDense)->Arg(kHeldKeys)->Arg(kCaps)->Unit(benchmark::kMillisecond);

// The logic of one frame: walk, emission, grid, forces, motion and caps, without GL.
void BM_LaneLogic(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL context");
  const Load load = (Load)state.range(0);
  Prepare(load);
  const size_t moteCapacity = gBoardMotes.capacity(), sparkCapacity = gSplashParticles.capacity();
  LaneNotesOut out;
  for (auto _ : state) {
    if (load == kCaps) {
      state.PauseTiming();
      FillLaneToCaps();
      state.ResumeTiming();
    }
    ClockDriveAdvance(16);
    if (load != kDense) SplashHeldKeys();
    const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
    StepParticleClock(f.nowMs);
    RunLaneNotes(f, &out);
    AdvanceBoardParticles(f, out);
    benchmark::DoNotOptimize(gBoardMotes.data());
  }
  state.counters["bars"] = (double)out.bars.size();
  Report(state, moteCapacity, sparkCapacity);
}
BENCHMARK(BM_LaneLogic)->Arg(kDense)->Arg(kHeldKeys)->Arg(kCaps)->Unit(benchmark::kMillisecond);

// The sprites alone (the glow pass's arithmetic), per sprite.
void BM_LaneSprites(benchmark::State& state) {
  if (!EnsureGl()) return state.SkipWithError("no GL context");
  Prepare(kCaps);
  FillLaneToCaps();
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  CountingSpriteSink sink;
  for (auto _ : state) {
    sink.n = 0;
    EmitParticleSprites(f, &sink);
  }
  state.SetItemsProcessed((int64_t)state.iterations() * (int64_t)sink.n);
  state.counters["sprites"] = (double)sink.n;
}
BENCHMARK(BM_LaneSprites)->Unit(benchmark::kMillisecond);

}  // namespace
