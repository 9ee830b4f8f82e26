// Costs of the classroom stores: wrapping a full 4000-byte teacher note with the real default font
// (in a hidden GL window on a private X server), as the note box does on every key, and building
// the class report for 200 students with a year of calendar each, read cold from their files.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "classroom/class_report.h"
#include "classroom/note_editor.h"
#include "gfx/text.h"
#include "learning/learning_files.h"
#include "platform/clock.h"
#include "platform/gl_offscreen.h"
#include "platform/process.h"
#include "platform/virtual_display.h"
#include "practice/students.h"

namespace fs = std::filesystem;

static bool EnsureFonts() {
  static bool ready = [] {
    std::string error;
    if (!StartVirtualDisplay(&error) || !GlOffscreenOpen(1600, 900, &error)) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      return false;
    }
    std::atexit(StopVirtualDisplay);
    RebuildFonts();
    return gFontMain != 0;
  }();
  return ready;
}

static std::string FullNote() {
  static const char* const kWords[] = {"scales", "in", "thirds,", "left", "hand", "legato;", "watch", "the",
                                       "thumb-under", "on", "F", "major", "arpeggio", "metronome=72"};
  std::string note;
  for (int i = 0; note.size() < 4000; ++i) note += std::string(kWords[i % 14]) + (i % 23 == 22 ? "\n" : " ");
  return note.substr(0, 4000);
}

static void BM_WrapFullNote(benchmark::State& state) {
  if (!EnsureFonts()) return state.SkipWithError("no GL");
  std::string note = FullNote();
  size_t lines = 0;
  for (auto _ : state) lines = WrapNoteLines(note, 380).size();
  state.counters["lines"] = (double)lines;
}
BENCHMARK(BM_WrapFullNote)->Unit(benchmark::kMicrosecond);

// A program folder with 200 students, each with a year of calendar and 60 mastery rows.
static void WriteClass(const std::string& folder) {
  fs::create_directories(folder + "/Data");
  gStudents.clear();
  for (int s = 0; s < 200; ++s) {
    std::string id = "student_" + std::to_string(s);
    gStudents.push_back(Student{"Student " + std::to_string(s), id});
    std::string calendar = "PLAN\tplan\n";
    for (int d = 0; d < 365; ++d) {
      calendar += "DATE\t" + DateDaysAgo(d) + "\nLESSON\t" + std::to_string(d + 1) + "\n";
      for (int k = 0; k < 3; ++k) calendar += "ASSIGNED\titem_" + std::to_string(k) + "\n";
      if ((d + s) % 3) calendar += "COMPLETE\titem_0\nCOMPLETE\titem_1\n";
      calendar += "END\n";
    }
    std::string mastery = "id\tattempts\tpasses\n";
    for (int k = 0; k < 60; ++k) mastery += "item_" + std::to_string(k) + "\t4\t" + std::to_string(k % 3) + "\t1\n";
    SaveFileAtomic(folder + "/Data/learning_calendar_" + id + ".dat", calendar);
    SaveFileAtomic(folder + "/Data/learning_mastery_" + id + ".dat", mastery);
  }
}

static void BM_BuildReport200Students(benchmark::State& state) {
  std::string folder = (fs::temp_directory_path() / ("tonvarra_bench_" + std::to_string(ProcessId()))).string();
  ProcessSetExecutablePathForTesting(folder + "/tonvarra");
  ClockDriveBegin(5000000000ull);
  ClockDriveSetLocal(LocalDateTime{2025, 3, 31, 12, 0, 0, 0, 1}, 1743415200);
  WriteClass(folder);
  size_t bytes = 0;
  for (auto _ : state) {
    gReportFiguresCache.clear();   // every student's files read again, as after opening the panel
    bytes = BuildInstitutionReport().size();
  }
  state.counters["bytes"] = (double)bytes;
  ClockDriveEnd();
  ProcessSetExecutablePathForTesting("");
  fs::remove_all(folder);
}
BENCHMARK(BM_BuildReport200Students)->Unit(benchmark::kMillisecond);
