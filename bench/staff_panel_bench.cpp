// One staff-panel frame at 1440 x 920 at its busiest: the step labels lit by six held notes, ten
// played heads and a song in wait mode with a coming note every 100 ms, on the learning overlay
// (a panel of 1400 x 550 pixels, whose fill is most of the cost on a software rasteriser). Needs a
// display (DISPLAY=:N, software GL is fine); each frame waits for the rasteriser.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "app/staff_song_feed.h"
#include "bench/hidden_gl_window.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

static void BM_StaffPanelFrame(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no GL window (set DISPLAY)");
    return;
  }
  ConnectFloors();
  ValidateCurrentScale();
  gLearningOverlay = true;
  gPlayedNotes.clear();
  gHeldNotes.clear();
  gSongEvents.clear();
  gStaffNoteOption = true;
  gWaitMode = true;
  uint32_t now = ClockMs32();
  for (int i = 0; i < 10; ++i) gPlayedNotes.push_back({60 + 2 * i, now - 100u * (uint32_t)i, (uint32_t)i + 1, 0.8f, 0.5f, 0.3f, 0});
  for (int n : {48, 55, 60, 64, 67, 73}) {
    HeldNote h{};
    h.note = n;
    h.velocity = 100;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
  }
  for (uint32_t t = 0; t < 600000; t += 100) {
    uint8_t note = (uint8_t)(48 + (t / 100) % 36);
    gSongEvents.push_back({t, 0x90, note, 90, 0});
    gSongEvents.push_back({t + 90, 0x80, note, 0, 0});
  }
  gPlaying = gPaused = true;
  gPlayStartMs = now - 300000;
  gPauseMs = now;
  gStaffSongFeedHook = FillStaffSongFeed;
  float time = 1.0f;
  for (auto _ : state) {
    DrawStaffPanel(time, 1.0f);
    glFinish();
    time += 0.017f;
  }
  gSongEvents.clear();
  gPlaying = gPaused = false;
}
BENCHMARK(BM_StaffPanelFrame)->Unit(benchmark::kMicrosecond);

// The floor under the figures above: a frame that draws nothing and waits for the rasteriser.
static void BM_EmptyFrameFinish(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no GL window (set DISPLAY)");
    return;
  }
  for (auto _ : state) {
    DrawStaffPanel(1.0f, 0.0f);
    glFinish();
  }
}
BENCHMARK(BM_EmptyFrameFinish)->Unit(benchmark::kMicrosecond);
