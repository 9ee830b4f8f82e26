// Loading a large lesson library with a student's records (2,000 items, 2,000 mastery rows, a
// year of calendar days, a plan of 300 lessons), saving the mastery file, building a day's blocks
// and rebuilding the schedule.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lesson_plan.h"
#include "learning/library_browser.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/schedule.h"
#include "platform/process.h"

namespace fs = std::filesystem;

// A program folder of the benchmark's own with the generated library and records, removed at exit.
struct GeneratedLibrary {
  std::string path;
  GeneratedLibrary() {
    char pattern[] = "/tmp/tonvarra_bench_XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
    ProcessSetExecutablePathForTesting(path + "/tonvarra");
    fs::create_directories(path + "/MIDI/Library");
    fs::create_directories(path + "/Data");
    std::ofstream index(path + "/MIDI/Library/library_index.tsv");
    std::ofstream mastery(path + "/Data/learning_mastery_default.dat");
    index << "header\n";
    mastery << "id\tattempts\n";
    const char* sections[] = {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"};
    for (int i = 0; i < 2000; ++i) {
      std::string id = "item_" + std::to_string(i);
      index << id << "\t" << i % 6 << "\t" << sections[i % 7] << "\tType &amp; " << i % 5 << "\tName of item "
            << i << "\tSubtitle &ndash; " << i << "\tF#\tmajor\tBaroque\tPrelude\tVoicing &amp; Texture\tf/" << id
            << ".mid\t90\t100\t0.9\t0.8\trh\ta\tb\tc\n";
      // Half the records passed on some day of the past year, the rest only attempted.
      std::string passed = i % 2 ? AddDaysIsoDate("2024-01-01", i % 365) : "";
      mastery << id << "\t3\t" << (i % 2) << "\t" << 1 + i % 7 << "\t0.950\t0.880\t96.000\t" << passed << "\t0.900\t0.800\t90.000\t2024-05-03"
              << "\t40\t38\t30\t6\t2\t2\t0\t1\t1\t1\t12.500\t-3.250\t1\t38\t71.500\t9.000\t11.250\t0\t1\t1"
              << "\t0.625000\t2\t0.000000\t1\t0.750000\t4\t0.000000\t1\t0.812500\t3\n";
    }
    std::ofstream plan(path + "/MIDI/Library/lesson_plan.tsv");
    for (int i = 0; i < 2000; ++i) plan << 1 + i * 300 / 2000 << "\tx\titem_" << i << "\tLesson\t7\n";
    std::ofstream calendar(path + "/Data/learning_calendar_default.dat");
    calendar << "PLAN\t\n";
    for (int d = 0; d < 365; ++d) {
      calendar << "DATE\t" << AddDaysIsoDate("2024-01-01", d) << "\nLESSON\t" << d + 1 << "\n";
      for (int b = 0; b < 14; ++b) calendar << "ASSIGNED\titem_" << (d * 14 + b) % 2000 << "\n";
      for (int b = 0; b < 10; ++b) calendar << "COMPLETE\titem_" << (d * 14 + b) % 2000 << "\n";
      calendar << "END\n";
    }
  }
  ~GeneratedLibrary() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

static GeneratedLibrary& Library() {
  static GeneratedLibrary library;
  return library;
}

static void BM_LoadLibraryWithRecords(benchmark::State& state) {
  Library();
  for (auto _ : state) {
    ResetLearningRecords();
    ResetLibraryIndex();
    ResetLessonPlan();
    LoadLibraryIndex();
    benchmark::DoNotOptimize(gLibraryItems.size());
  }
  state.counters["items"] = (double)gLibraryItems.size();
  state.counters["records"] = (double)gMasteryRecords.size();
  state.counters["days"] = (double)gLearningCalendar.size();
}
BENCHMARK(BM_LoadLibraryWithRecords)->Unit(benchmark::kMillisecond);

static void BM_SaveMastery(benchmark::State& state) {
  Library();
  ResetLearningRecords();
  ResetLibraryIndex();
  LoadLibraryIndex();
  for (auto _ : state) SaveMastery();
}
BENCHMARK(BM_SaveMastery)->Unit(benchmark::kMillisecond);

static void BM_BuildLessonBlocks(benchmark::State& state) {
  Library();
  ResetLearningRecords();
  ResetLibraryIndex();
  ResetLessonPlan();
  LoadLibraryIndex();
  for (auto _ : state) benchmark::DoNotOptimize(BuildLessonBlocks("2024-12-31"));
}
BENCHMARK(BM_BuildLessonBlocks)->Unit(benchmark::kMillisecond);

static void BM_RebuildSchedule(benchmark::State& state) {
  Library();
  ResetLearningRecords();
  ResetLibraryIndex();
  ResetLessonPlan();
  LoadLibraryIndex();
  for (auto _ : state) RebuildSchedule();
}
BENCHMARK(BM_RebuildSchedule)->Unit(benchmark::kMillisecond);

// One frame of the library screen's model: the rollover check, the filter over every item with a
// search text, and the status and group progress of 30 shown cards.
static void BM_LibraryFrameLogic(benchmark::State& state) {
  Library();
  ResetLearningRecords();
  ResetLibraryIndex();
  ResetLessonPlan();
  LoadLibraryIndex();
  gLibraryViewKey = "";
  gSearchQuery = "item 1";
  for (auto _ : state) {
    CheckDayRollover();
    int listed = 0;
    for (const LibraryItem& item : gLibraryItems) listed += ItemMatchesFilters(item);
    for (int i = 0; i < 30; ++i) {
      benchmark::DoNotOptimize(ItemStatusText(gLibraryItems[i * 61]));
      benchmark::DoNotOptimize(GroupProgressText(gLibraryItems[i * 61]));
    }
    benchmark::DoNotOptimize(listed);
  }
  gSearchQuery.clear();
}
BENCHMARK(BM_LibraryFrameLogic)->Unit(benchmark::kMicrosecond);

// The library's order for each view that sorts by more than the file order.
static void BM_SortLibraryItems(benchmark::State& state) {
  static const char* const kViews[] = {"", "rep_era", "rep_composer", "forms", "study"};
  Library();
  ResetLearningRecords();
  ResetLibraryIndex();
  LoadLibraryIndex();
  gLibraryViewKey = kViews[state.range(0)];
  for (auto _ : state) {
    std::reverse(gLibraryItems.begin(), gLibraryItems.end());   // from another order each time
    SortLibraryItems();
  }
  state.SetLabel(gLibraryViewKey.empty() ? "file order" : gLibraryViewKey);
  gLibraryViewKey = "today";
}
BENCHMARK(BM_SortLibraryItems)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
