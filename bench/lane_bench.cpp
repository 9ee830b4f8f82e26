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

constexpr int kHeld[5] = {48, 55, 60, 64, 67};

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

// A dense song: a chord of four notes every 20 ms over ten minutes, each 300 ms long, so that the
// walk meets more than 281 notes in its window.
void LoadDenseSong() {
  gSongEvents.clear();
  for (uint32_t t = 0, k = 0; t < 600000; t += 20, ++k)
    for (int v = 0; v < 4; ++v) {
      uint8_t note = (uint8_t)(30 + (k * 7 + (uint32_t)v * 13) % 70);
      gSongEvents.push_back({t, 0x90, note, 100, 0});
    }
  std::vector<SongEvent> offs;
  for (const SongEvent& e : gSongEvents) offs.push_back({e.timeMs + 300, 0x80, e.data1, 0, 0});
  gSongEvents.insert(gSongEvents.end(), offs.begin(), offs.end());
  std::stable_sort(gSongEvents.begin(), gSongEvents.end(),
                   [](const SongEvent& a, const SongEvent& b) { return a.timeMs < b.timeMs; });
  gPlaying = true;
  gPaused = false;
  gPlaybackSpeed = 1.0f;
  gPlayStartMs = ClockMs32() - 30000;
}

void SetUpScene(bool holdKeys) {
  ResetViewModes();
  gPracticeMode = true;
  gPracticeModeFade = 1.0f;
  ResetNoteTables();
  ResetLaneNotes();
  ResetBoardParticles();
  std::srand(23);
  LoadDenseSong();
  for (int pc = 0; pc < 12; ++pc) gLaneFeed.pcHoldSeconds[pc] = holdKeys ? 8.0f : 0.0f;
  if (holdKeys)
    for (int note : kHeld) {
      HeldNote h{};
      h.note = note, h.velocity = 127, h.sounding = h.keyDown = 1, h.arrivalMs = ClockMs32(), h.serial = gNoteOnSerial++;
      gHeldNotes.push_back(h);
    }
  RelayoutAll();
}

BoardViewFrame gFrame;

// One lane frame: the board frame record, then the lane's three drawers.
void DrawLaneFrame() {
  ComputeBoardViewFrame(&gFrame, (float)(ClockMs32() % 100000u) * 0.001f);
  DrawNoteFallButton(gFrame);
  DrawNoteFallLane(gFrame);
  DrawLaneKeyboard(gFrame);
}

// The splashes of the held keys at their cooldown rate.
void SplashHeldKeys() {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  for (int note : kHeld) {
    float x, w;
    bool black;
    GetLaneKeyRect(f.keys, note, &x, &w, &black);
    SpawnHitSplash(f, note, x + w / 2, false, 1.0f, 1, 1, 1, false);
  }
}

// The stores at their caps: plumes of every key of the keyboard (as many keys held long enough
// would leave), the lane's ambient motes and sparks of every note.
void FillToCaps() {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  const size_t moteCap = MoteCap(1.0f, f.practiceLevel), sparkCap = SplashCap(1.0f);
  for (int note = 21; gBoardMotes.size() < moteCap; note = note == 108 ? 21 : note + 1)
    SpawnPlumeMotes(f, note, 1.0f, 1.0f, 60), SpawnAmbientMote(f);
  while (gBoardMotes.size() > moteCap) gBoardMotes.pop_back();
  for (int note = 0; gSplashParticles.size() < sparkCap; note = (note + 1) % 128) {
    gSplashLastMs[note] = ClockMs32() - 1000;
    SpawnHitSplash(f, note, f.laneX + (float)note * 8.0f, true, 1.0f, 1, 1, 1, false);
  }
  while (gSplashParticles.size() > sparkCap) gSplashParticles.pop_back();
  for (BoardMote& m : gBoardMotes) m.y -= (float)(std::rand() % 400);
}

// Counts the sprites the frame draws.
struct CountingSink : GlowSpriteSink {
  size_t n = 0;
  void Add(const GlowSprite&) override { ++n; }
};

void Report(benchmark::State& state, size_t moteCapacity, size_t sparkCapacity) {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  CountingSink sprites;
  EmitParticleSprites(f, &sprites);
  state.counters["motes"] = (double)gBoardMotes.size();
  state.counters["sparks"] = (double)gSplashParticles.size();
  state.counters["sprites"] = (double)sprites.n;
  state.counters["trails"] = (double)gLaneTrails.size();
  state.counters["pools_fixed"] = gBoardMotes.capacity() == moteCapacity && gSplashParticles.capacity() == sparkCapacity;
}

enum Load { kDense = 0, kHeldKeys = 1, kCaps = 2 };

void Prepare(Load load) {
  SetUpScene(load != kDense);
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
      FillToCaps();
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
      FillToCaps();
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
  FillToCaps();
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  CountingSink sink;
  for (auto _ : state) {
    sink.n = 0;
    EmitParticleSprites(f, &sink);
  }
  state.SetItemsProcessed((int64_t)state.iterations() * (int64_t)sink.n);
  state.counters["sprites"] = (double)sink.n;
}
BENCHMARK(BM_LaneSprites)->Unit(benchmark::kMillisecond);

}  // namespace
