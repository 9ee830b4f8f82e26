// The scale diagram's search: a first resolve over the program's real roots when no diagram
// exists anywhere (every probe fails, every scan runs; aim below 20 ms), and a resolve that the
// cache answers (the board's cost when the selection moves back to a key searched before).
#include <benchmark/benchmark.h>

#include "platform/process.h"
#include "theory/scale_diagram_search.h"
#include "theory/scale_diagrams.h"
#include "theory/scale_selection.h"

static void QuietLog(const char*) {}

static void BM_FirstResolveWithoutDiagrams(benchmark::State& state) {
  const ScaleRowId rows[] = {kRowDorian, kRowMelodicMinor, kRowHarmonicMinor, kRowOctatonicHW};
  int i = 0;
  for (auto _ : state) {
    ScaleRowId row = rows[i++ % 4];
    DiagramQuery query;
    BuildDiagramQuery(&gScaleRows[row], -1, i % 12, &query);
    std::string path = ResolveDiagramPath(query, DiagramSearchRoots(), i % 12);
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_FirstResolveWithoutDiagrams)->Unit(benchmark::kMillisecond);

static void BM_CachedResolve(benchmark::State& state) {
  DebugOutputSetSinkForTesting(QuietLog);
  ResetScaleDiagrams();
  gPickedScale = gCurrentScale = &gScaleRows[kRowMelodicMinor];
  gRingPos = 4;
  ShowScaleDiagram();  // fills the cache
  for (auto _ : state) {
    gScaleDiagramDirty = true;
    UpdateScaleDiagram();
    benchmark::DoNotOptimize(gScaleDiagramMissingName);
  }
  DebugOutputSetSinkForTesting(nullptr);
}
BENCHMARK(BM_CachedResolve)->Unit(benchmark::kMicrosecond);
