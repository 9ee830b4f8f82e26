// Cost of the note road and the harmony frame with ten keys held: one device note message, one
// frame of the chord recogniser, one frame of the glow feed, one fill of the orb's record.
#include <benchmark/benchmark.h>

#include "app/base/note_tables.h"
#include "app/chord_recogniser.h"
#include "app/note_input.h"
#include "app/orb_feed.h"
#include "app/ring_glow.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "theory/scale_selection.h"

// Ten keys of a C major ninth voicing spread over three octaves, with the pedal up.
static void HoldTenKeys() {
  ResetScaleSelection();
  gHeldNotes.clear();
  gPlayedNotes.clear();
  const int notes[10] = {36, 48, 52, 55, 59, 62, 64, 67, 71, 74};
  for (int n : notes)
    HandleMidiNoteMessage(MakeNoteWParam(n, 0, ClockMs32()), MakeNoteLParam(90, false));
}

static void BM_NoteMessage(benchmark::State& state) {
  HoldTenKeys();
  // Fill the played-note list so every note-on also drops the oldest entry.
  for (int i = 0; i < kPlayedNoteMax; ++i)
    HandleMidiNoteMessage(MakeNoteWParam(80, 0, 0), MakeNoteLParam(60, true));
  bool on = true;
  for (auto _ : state) {
    // One device message per iteration: a note-on of a sixth key, then its release.
    HandleMidiNoteMessage(MakeNoteWParam(77, 0, ClockMs32()), on ? 100 : 0);
    on = !on;
  }
  benchmark::DoNotOptimize(gHeldNotes.data());
}
BENCHMARK(BM_NoteMessage);

static void BM_RecogniserFrame(benchmark::State& state) {
  HoldTenKeys();
  ResetChordRecogniser();
  for (auto _ : state) {
    DecayHarmonyGlow(0.017f);
    const RecognisedChord& c = RunChordRecogniser();
    benchmark::DoNotOptimize(c.root);
  }
}
BENCHMARK(BM_RecogniserFrame);

static void BM_GlowFeedFrame(benchmark::State& state) {
  HoldTenKeys();
  ResetRingGlow();
  float now = 1.0f;
  for (auto _ : state) {
    FeedRingGlowBeforeCircle(0.017f);
    FeedRingGlowAfterCircle(0.017f, now);
    now += 0.017f;
    benchmark::DoNotOptimize(gRingGlowMajor[0]);
  }
}
BENCHMARK(BM_GlowFeedFrame);

static void BM_HarmonyFrame(benchmark::State& state) {
  // The whole per-frame share: glow decay, recogniser, glow feed and the orb's record.
  HoldTenKeys();
  ResetChordRecogniser();
  ResetRingGlow();
  OrbParams params;
  float now = 1.0f;
  for (auto _ : state) {
    DecayHarmonyGlow(0.017f);
    RunChordRecogniser();
    FeedRingGlowBeforeCircle(0.017f);
    FeedRingGlowAfterCircle(0.017f, now);
    FillOrbParams(OrbFeedFrame{800, 450, 900, 180, 1600, 900, now, 0.017f}, &params);
    now += 0.017f;
    benchmark::DoNotOptimize(params.accentPos);
  }
}
BENCHMARK(BM_HarmonyFrame);

static void BM_DisplayOnlyNoteMessage(benchmark::State& state) {
  // The same message marked display-only: the tables without the judges.
  HoldTenKeys();
  for (int i = 0; i < kPlayedNoteMax; ++i)
    HandleMidiNoteMessage(MakeNoteWParam(80, 0, 0), MakeNoteLParam(60, true));
  bool on = true;
  for (auto _ : state) {
    HandleMidiNoteMessage(MakeNoteWParam(77, 0, 0), MakeNoteLParam(on ? 100 : 0, true));
    on = !on;
  }
  benchmark::DoNotOptimize(gHeldNotes.data());
}
BENCHMARK(BM_DisplayOnlyNoteMessage);
