// Cost of the performance notes at 1440 x 920: the layout of six open cards alone, and a whole
// frame of the six cards (each with a run on record and every feedback area) under the skills
// radar's flash, drawn on the software GL of a hidden window (needs a display, DISPLAY=:N).
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "bench/hidden_gl_window.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "learning/radar_flash.h"
#include "learning_ui/performance_note.h"
#include "platform/clock.h"

// Six items with a full record each, their cards open and cascaded.
static void OpenSixCards() {
  gLibraryItems.clear();
  gMasteryRecords.clear();
  ResetPerformanceNotes();
  for (int i = 0; i < 6; ++i) {
    LibraryItem item;
    item.id = "bench_" + std::to_string(i);
    item.name = "Study number " + std::to_string(i) + " in a long and winding title";
    item.category = "etude";
    item.type = "Studies";
    item.file = item.id + ".mid";
    item.row_index = i;
    gLibraryItems.push_back(item);
    MasteryRecord& r = gMasteryRecords[item.id];
    r.attempts = 3;
    r.latest_expected = 120;
    r.latest_landed = 110;
    r.latest_missed = 4;
    r.latest_timing = 0.8f;
    r.latest_bpm = 92;
    r.latest_dynamics_state = r.latest_rhythm_state = r.latest_articulation_state = r.latest_pedal_state =
        r.latest_intervals_state = 1;
    r.latest_dynamics = r.latest_rhythm = r.latest_articulation = r.latest_pedal = r.latest_intervals = 0.6f + 0.05f * i;
  }
  InvalidateLibraryItemIndex();
  gLibraryLoaded = true;
  gClientWidth = 1440;
  gClientHeight = 920;
  for (const LibraryItem& item : gLibraryItems) OpenPerformanceNote(item.id);
}

static void BM_PerformanceNoteLayouts(benchmark::State& state) {
  OpenSixCards();
  for (auto _ : state)
    for (const PerformanceNoteCard& card : gPerformanceNotes) {
      NoteCardLayout l = LayoutNoteCard(card, *FindLibraryItem(card.itemId), &gMasteryRecords[card.itemId]);
      benchmark::DoNotOptimize(l);
    }
}
BENCHMARK(BM_PerformanceNoteLayouts)->Unit(benchmark::kMicrosecond);

// Six cards and the flash over them, a frame in the middle of the flash.
static void BM_SixNotesAndRadarFlashWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  OpenSixCards();
  for (auto _ : state) {
    StartRadarFlash("bench_0", ClockMs32() - 1300, 2600);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawPerformanceNotes();
    DrawSkillsRadarFlash();
    glFinish();
  }
  gRadarFlashEndMs = 0;
}
BENCHMARK(BM_SixNotesAndRadarFlashWithGl)->Unit(benchmark::kMillisecond);
