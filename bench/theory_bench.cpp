// Per-frame cost of the theory core: the key estimate, the histogram update and the chromatic-run
// detector. All must stay far below a millisecond.
#include <benchmark/benchmark.h>

#include "app/base/note_tables.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/key_detection.h"
#include "theory/scale_selection.h"

static void BM_EstimateKey(benchmark::State& state) {
  float h[12];
  for (int j = 0; j < 12; ++j) h[(7 + j) % 12] = kMajorKeyProfile[j] + 0.01f * (float)j;
  for (auto _ : state) {
    KeyEstimate e = EstimateKey(h, 0.3f);
    benchmark::DoNotOptimize(e);
    h[0] += 1e-6f;  // keep the input changing between runs
  }
}
BENCHMARK(BM_EstimateKey);

static void BM_KeyDetectionFrame(benchmark::State& state) {
  // one frame of the main loop's share: histogram update with 10 held notes plus the estimate
  PitchInput inputs[10];
  for (int i = 0; i < 10; ++i) inputs[i] = {(i * 7) % 12, 0.7f, i % 3 != 0, i % 3 == 0};
  for (auto _ : state) {
    UpdatePitchHistograms(gPcActivity, 0.017f, inputs, 10, kTonalConfig);
    UpdateKeyDisplay(1.0f, 0.017f);
    benchmark::DoNotOptimize(gKeyDisplay);
  }
}
BENCHMARK(BM_KeyDetectionFrame);

static void BM_ChromaticRunStep(benchmark::State& state) {
  // one note-on of an endless rising run: a run completes (and is recorded) every 12th note
  GetScaleCatalogue();
  uint32_t t = 1000;
  int note = 36;
  for (auto _ : state) {
    DetectChromaticRun(note, t);
    t += 80;
    note = note >= 96 ? 36 : note + 1;
    if (gAllNotesAllowed) gAllNotesAllowed = false;  // keep every run a rising one
  }
  benchmark::DoNotOptimize(gPatternEvents.size());
}
BENCHMARK(BM_ChromaticRunStep);

static void BM_VisibleListQuery(benchmark::State& state) {
  // the visible list is rebuilt on every query; the board asks many times per frame
  GetScaleCatalogue();
  gScaleFilter = 6;
  for (auto _ : state) benchmark::DoNotOptimize(VisibleScaleAt(VisibleScaleCount() - 1));
}
BENCHMARK(BM_VisibleListQuery);

static void BM_MembershipAllPitchClasses(benchmark::State& state) {
  gCurrentScale = &gScaleRows[kRowDiminished];
  for (auto _ : state) {
    int n = 0;
    for (int pc = 0; pc < 12; ++pc) n += ScaleContainsPitchClass(pc);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_MembershipAllPitchClasses);
