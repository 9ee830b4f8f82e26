// Cost of offering one device note to every tracker of the achievement matrix, and of the
// size check that nearly every matrix operation starts with.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/process.h"
#include "practice/achievement_tracking.h"
#include "practice/achievements.h"

// Any file a completion saves goes to a folder of the benchmark's own, removed at exit.
struct TemporaryProgramFolder {
  std::string path;
  TemporaryProgramFolder() {
    char pattern[] = "/tmp/tonvarra_bench_XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
    ProcessSetExecutablePathForTesting(path + "/tonvarra");
  }
  ~TemporaryProgramFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
};

static void UseTemporaryProgramFolder() { static TemporaryProgramFolder folder; }

static void BM_TrackAchievementNote(benchmark::State& state) {
  UseTemporaryProgramFolder();
  SyncAchievementRows();
  // Up a major scale to its seventh and back: attempts start, advance and restart in many cells,
  // but no run reaches its octave, so this is the cost of stepping alone.
  const int kNotes[] = {60, 62, 64, 65, 67, 69, 71, 69, 67, 65, 64, 62};
  uint32_t ms = 1000;
  size_t i = 0;
  for (auto _ : state) {
    ms += 90;
    TrackAchievementNote(kNotes[i++ % 12], ms);
  }
  state.counters["rows"] = (double)AchievementRowCount();
}
BENCHMARK(BM_TrackAchievementNote);

static void BM_SyncAchievementRows(benchmark::State& state) {
  SyncAchievementRows();
  for (auto _ : state) SyncAchievementRows();
}
BENCHMARK(BM_SyncAchievementRows);
