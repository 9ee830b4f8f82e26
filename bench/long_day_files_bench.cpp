// Reading the longest day files a damaged or hostile Data folder can hold, on the UI thread: a
// calendar day of 100,000 assigned ids and an attendance queue of 100,000 days. Both must stay
// well under 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "classroom/attendance_sync.h"
#include "learning/learning_records.h"
#include "platform/process.h"

static void BM_CalendarDayOf100000AssignedIds(benchmark::State& state) {
  std::vector<std::string> lines = {"PLAN\tp", "DATE\t2024-05-09", "LESSON\t1"};
  for (int i = 0; i < 100000; ++i) lines.push_back("ASSIGNED\titem_" + std::to_string(i));
  lines.push_back("END");
  for (auto _ : state) {
    ResetLearningRecords();
    benchmark::DoNotOptimize(ReadCalendarLines(lines));
  }
  ResetLearningRecords();
}
BENCHMARK(BM_CalendarDayOf100000AssignedIds)->Unit(benchmark::kMillisecond);

static void BM_AttendanceFilesOf100000Days(benchmark::State& state) {
  char pattern[] = "/tmp/tonvarra_bench_XXXXXX";
  if (!mkdtemp(pattern)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  std::string folder = pattern;
  ProcessSetExecutablePathForTesting(folder + "/tonvarra");
  std::filesystem::create_directories(folder + "/Data");
  {
    std::ofstream present(AttendanceQueuePath()), pending(AttendancePendingPath());
    present << "2024-01-01\n";
    char day[16];
    for (int i = 0; i < 100000; ++i) {
      std::snprintf(day, sizeof day, "%04d-%02d-%02d", 1800 + i / 336, 1 + (i / 28) % 12, 1 + i % 28);
      present << day << "\n";
      pending << day << "\n";
    }
  }
  for (auto _ : state) {
    ResetAttendanceSync();
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    LoadAttendanceDays();
  }
  ResetAttendanceSync();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AttendanceFilesOf100000Days)->Unit(benchmark::kMillisecond);
