// Start-up with a very large class: reading (and writing back) "students.dat" with 100,000
// students, all with their own ids or all with one name and no id, and making one more unique id
// and name among them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/process.h"
#include "practice/students.h"

// The files go to a folder of the benchmark's own, removed at exit.
struct TemporaryProgramFolder {
  std::string path;
  TemporaryProgramFolder() {
    char pattern[] = "/tmp/tonvarra_bench_XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
    ProcessSetExecutablePathForTesting(path + "/tonvarra");
    std::filesystem::create_directories(path + "/Data");
  }
  ~TemporaryProgramFolder() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
};

static const TemporaryProgramFolder& Folder() {
  static TemporaryProgramFolder folder;
  return folder;
}

// 100,000 student lines: "Student n|student_n|..." or, with sameName, "Anna|" each time.
static void WriteStudentsFile(bool sameName) {
  std::ofstream out(Folder().path + "/Data/students.dat", std::ios::binary | std::ios::trunc);
  out << "STUDENTS_V2\nactive=0\n";
  for (int i = 0; i < 100000; ++i) {
    if (sameName) {
      out << "Anna|\n";
    } else {
      out << "Student " << i << "|student_" << i << "|0.3|0.48|0.76\n";
    }
  }
}

static void BM_LoadStudents(benchmark::State& state) {
  bool sameName = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    WriteStudentsFile(sameName);
    state.ResumeTiming();
    LoadStudents();
  }
  state.counters["students"] = (double)gStudents.size();
}
BENCHMARK(BM_LoadStudents)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

static void BM_MakeUniqueIdAndNameAmong100000(benchmark::State& state) {
  WriteStudentsFile(true);
  LoadStudents();   // anna, anna_2 ... anna_100000, all named Anna
  for (auto _ : state) {
    benchmark::DoNotOptimize(MakeUniqueStudentId("Anna"));
    benchmark::DoNotOptimize(MakeUniqueStudentName("Anna"));
  }
}
BENCHMARK(BM_MakeUniqueIdAndNameAmong100000)->Unit(benchmark::kMillisecond);
