// bench/view_scenes: the loads the drawing benchmarks put on each view, set up in one place: the
// circle view with ten keys held and a full chord history, the note-fall lane over a dense song
// with five keys held (and its particle stores at their caps), the learning screen's card grid of
// a 400-item library, and the start screen at its busiest. Each set-up writes only the globals a
// user's actions would have written; the benchmarks choose the window and the clock.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/start_clock.h"
#include "app/base/view_modes.h"
#include "app/chord_trail.h"
#include "app/orb_feed.h"
#include "app/pattern_list.h"
#include "app/ring_glow.h"
#include "board/board_motes.h"
#include "board/board_particles.h"
#include "board/lane_notes.h"
#include "board/lane_sprites.h"
#include "board/note_fall_lane.h"
#include "gfx/layout.h"
#include "learning/library_browser.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "theory/chromatic_runs.h"
#include "visual/circle_pass.h"
#include "visual/orb_params.h"
#include "visual/ring_labels.h"
#include "visual/start_screen.h"

// ---- the circle view ----
// Ten keys held, a full chord history and (with patterns) a full pattern list, all young enough to
// be drawn.
inline void LoadCircleView(bool patterns) {
  static const int kNotes[10] = {48, 52, 55, 59, 60, 62, 64, 66, 67, 71};
  gHeldNotes.clear();
  for (int note : kNotes) {
    HeldNote h{};
    h.note = note;
    h.velocity = 100;
    h.sounding = h.keyDown = 1;
    h.arrivalMs = ClockMs32();
    gHeldNotes.push_back(h);
  }
  uint32_t now = ClockMs32();
  gRingLabels.clear();
  for (int i = 0; i < kRingLabelMax; ++i)
    BuildRingLabels(i % 12, i % 3 == 0 ? "m7" : i % 3 == 1 ? "" : "dim", now - 40u * (uint32_t)i, (uint32_t)(i % 3),
                    false);
  gPatternEvents.clear();
  for (int i = 0; patterns && i < kMaxPatternEvents; ++i)
    gPatternEvents.push_back({i % 5 == 0 ? "CHROMATIC" : "Scale run up an octave", now - 300u - 15u * (uint32_t)i});
}

// Keeps the history and the patterns young while a benchmark runs.
inline void RefreshCircleView() {
  uint32_t now = ClockMs32();
  for (size_t i = 0; i < gRingLabels.size(); ++i) gRingLabels[i].timeMs = now - 40u * (uint32_t)i;
  for (size_t i = 0; i < gPatternEvents.size(); ++i) gPatternEvents[i].timeMs = now - 300u - 15u * (uint32_t)i;
}

// The circle view's window-free records of one frame: the ring pass's colours, the trail's and the
// pattern list's looks, the glow feed and the orb's record.
inline void ComputeCircleViewRecords(CirclePassInput& in, CircleLook* look, float dt) {
  const uint32_t nowMs = ClockMs32();
  in.nowMs = nowMs;
  FeedRingGlowBeforeCircle(dt);
  ComputeCirclePass(in, look);
  TrailColumn column = ComputeTrailColumn();
  TrailEntryLook entry;
  for (size_t i = 0; i < gRingLabels.size(); ++i)
    ComputeTrailEntryLook(gRingLabels[i], (int)i, nowMs, column, 0.5f, false, &entry);
  PatternLabelLook label;
  for (size_t i = 0; i < gPatternEvents.size(); ++i)
    ComputePatternLabelLook(gPatternEvents, (int)i, nowMs, column, 0.5f, false, &label);
  FeedRingGlowAfterCircle(dt, 1.0f);
  OrbFeedFrame frame{in.centreX, in.centreY, in.minSide, in.innermost, (float)gClientWidth, (float)gClientHeight, 1.0f, dt};
  FillOrbParams(frame, &gVisualParams);
}

// ---- the note-fall lane ----
constexpr int kLaneHeldKeys[5] = {48, 55, 60, 64, 67};

// No song, and none of its keys sounding, as after the program's own stop: the pump posts from the
// cursor on, so a cursor left where an earlier scene's song stood would pass over every event of
// the next scene that plays the same song again over the same stretch, and the keys that song left
// sounding would stay down all through it.
inline void StopSceneSong() {
  gPlaying = false;
  gPaused = false;
  gSongEvents.clear();
  gEventCursor = 0;
  std::fill(gKeySounding, gKeySounding + 128, false);
  std::fill(gKeyLevel, gKeyLevel + 128, 0.0f);
}

// A dense song: a chord of four notes every 20 ms over ten minutes, each 300 ms long, so that the
// walk meets more than 281 notes in its window; playing from 30 s in (the first pass posts what
// came before, as a pass that came late would).
inline void LoadDenseSong() {
  StopSceneSong();
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

// Note-fall mode over the dense song; with holdKeys, five keys held at full velocity as if for 8 s.
inline void SetUpLaneScene(bool holdKeys) {
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
    for (int note : kLaneHeldKeys) {
      HeldNote h{};
      h.note = note, h.velocity = 127, h.sounding = h.keyDown = 1, h.arrivalMs = ClockMs32(), h.serial = gNoteOnSerial++;
      gHeldNotes.push_back(h);
    }
  RelayoutAll();
}

// The splashes of the held keys at their cooldown rate.
inline void SplashHeldKeys() {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  for (int note : kLaneHeldKeys) {
    float x, w;
    bool black;
    GetLaneKeyRect(f.keys, note, &x, &w, &black);
    SpawnHitSplash(f, note, x + w / 2, false, 1.0f, 1, 1, 1, false);
  }
}

// The stores at their caps: plumes of every key of the keyboard (as many keys held long enough
// would leave), the lane's ambient motes and sparks of every note.
inline void FillLaneToCaps() {
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

// Counts the sprites a frame draws.
struct CountingSpriteSink : GlowSpriteSink {
  size_t n = 0;
  void Add(const GlowSprite&) override { ++n; }
};

// The sprites the lane would draw now.
inline size_t CountLaneSprites() {
  const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), 1.0f);
  CountingSpriteSink sprites;
  EmitParticleSprites(f, &sprites);
  return sprites.n;
}

// ---- the learning screen ----
// 400 items over five sections of study pieces, as the grid of "Explore Library" lists them, with
// the screen open on the whole library.
inline void MakeLibrary() {
  static const char* const kCategories[] = {"foundations", "etude", "repertoire"};
  gLibraryItems.clear();
  for (int i = 0; i < 400; ++i) {
    LibraryItem item;
    item.id = "bench_" + std::to_string(i);
    item.name = "Study number " + std::to_string(i) + " in a long and winding title";
    item.subtitle = "Composer " + std::to_string(i % 17);
    item.category = kCategories[i % 3];
    item.type = "Type " + std::to_string(i / 80);
    item.file = item.id + ".mid";
    item.level = 1 + i % 5;
    item.row_index = i;
    gLibraryItems.push_back(item);
  }
  gLibraryLoaded = true;
  gPracticeMode = true;
  gLibraryOpen = true;
  gLibraryViewKey = "";
  SortLibraryItems();
}

// ---- the start screen ----
// The busiest start-screen frame: the clock held at 3.4 s by the open language list.
inline void OpenStartScreenList(float now) {
  ResetStartScreen();
  gStartClock = now - 3.4f;
  SetLanguageListOpen(true, now);
}
