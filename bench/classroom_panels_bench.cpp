// Cost of one frame of the register at 1440 x 920: 30 students, a month with marks on every past
// day, the notes view open on a 2,000-byte note with its caret. The GL case needs a display
// (DISPLAY=:N, Mesa's software GL is fine); the layout case needs none. The Data folder is a
// temporary one, so the marks written here go nowhere.
#include <GL/gl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/window_size.h"
#include "bench/hidden_gl_window.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_panels.h"
#include "classroom/teacher_notes.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "platform/process.h"
#include "platform/window.h"
#include "practice/students.h"

static void SetUpRegister() {
  static bool done = false;
  if (done) return;
  done = true;
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tonvarra_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "Data");
  ProcessSetExecutablePathForTesting((dir / "tonvarra").string());
  gClientWidth = 1440;
  gClientHeight = 920;
  for (int i = 0; i < 30; ++i)
    gStudents.push_back(Student{"Student number " + std::to_string(i + 1), "bench" + std::to_string(i + 1)});
  gActiveStudentIndex = 0;
  OpenAttendancePanel();
  for (int c = 0; c < 4; ++c) AddAttendanceClass();
  gClassFilterIndex = -1;
  for (int day = 1; day <= 28; ++day) ToggleAttendance("bench1", CalendarDayDate(day));
  gNotesViewOpen = true;
  LoadNotes("bench1");
  gEditField.text.clear();
  while (gEditField.text.size() < 2000) gEditField.text += "Scales in thirds, then the etude slowly. ";
  gEditField.text.resize(2000);
  gEditField.cursor = gEditField.anchor = 1000;
  for (int i = 0; i < 100; ++i) StepAttendancePanes(0.05f);
}

// The layout and the note's wrapping, as every press and every frame computes them.
static void BM_RegisterLayout(benchmark::State& state) {
  SetUpRegister();
  for (auto _ : state) {
    AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
    benchmark::DoNotOptimize(l);
  }
}
BENCHMARK(BM_RegisterLayout)->Unit(benchmark::kMicrosecond);

// One frame of the open register drawn and finished by the rasteriser.
static void BM_RegisterFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  SetUpRegister();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    StepClassroomPanels(0.017f);
    DrawClassroomPanels();
    glFinish();
  }
}
BENCHMARK(BM_RegisterFrameWithGl)->Unit(benchmark::kMillisecond);
