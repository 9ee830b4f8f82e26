// Costs of the helpers that run on every frame or every message.
#include <benchmark/benchmark.h>

#include "app/base/app_clock.h"
#include "platform/messages.h"

static void BM_GetMonotonicMs(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GetMonotonicMs());
}
BENCHMARK(BM_GetMonotonicMs);

static int64_t Ignore(uint32_t, uint64_t, int64_t) { return 0; }

static void BM_PostAndDrainOneMessage(benchmark::State& state) {
  SetAppMessageHandler(Ignore);
  for (auto _ : state) {
    PostAppMessage(kMsgMidiNote, 60, 100);
    benchmark::DoNotOptimize(DrainAppMessages());
  }
}
BENCHMARK(BM_PostAndDrainOneMessage);
