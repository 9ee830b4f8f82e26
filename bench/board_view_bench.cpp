// Cost of the practice board's busiest frame at 1440 x 920: all 84 cells gold with their flash,
// glow and sheen running, a practice run in its running state, the preview keyboard sounding a
// chord, then the toolbar. The GL case needs a display (DISPLAY=:N, software GL is fine); the
// frame-record case (layout and the record's note tables) needs none.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <initializer_list>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/window_size.h"
#include "bench/hidden_gl_window.h"
#include "board/board_frame.h"
#include "board/board_view.h"
#include "board/toolbar.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "platform/window.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/students.h"

// The board's busiest state: every church-mode cell earned with its timers running, a run over
// two rows in its running state, a chord held.
static void MakeBusyBoard() {
  gClientWidth = 1440;
  gClientHeight = 920;
  gPracticeStrip = true;
  gPracticeStripFade = 1.0f;
  ResetAchievements();
  float now = GetAppSeconds();
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 12; ++col) {
      gAchvDone[row][col] = 1;
      gAchvTime[row][col] = NowSeconds();
      gAchvEarnedAt[row][col] = now;
      gAchvFlash[row][col] = 0.5f;
      gAchvGlow[row][col] = 20.0f;
      gAchvSheen[row][col] = 2.2f;
    }
  gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
  gActiveStudentIndex = 0;
  BeginPracticeSelection();
  OnPracticeGridDown(PracticeGridPoint{true, 1, 2, true});
  OnPracticeGridMove(PracticeGridPoint{true, 2, 6, true});
  OnPracticeGridUp(PracticeGridPoint{true, 2, 6, true});
  OnPracticeCommandKey('A');
  for (int note : {48, 52, 55, 60, 64, 66}) {
    HeldNote h{};
    h.note = note;
    h.velocity = 100;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
    gNoteGlow[note] = 1.6f;
  }
  RelayoutAll();
}

// The frame record with its layout, as DrawBoardView computes it at the start of every frame.
static void BM_BoardFrameRecord(benchmark::State& state) {
  MakeBusyBoard();
  BoardViewFrame f;
  float now = GetAppSeconds();
  for (auto _ : state) {
    now += 0.017f;
    ComputeBoardViewFrame(&f, now);
    benchmark::DoNotOptimize(f.previewFade);
  }
}
BENCHMARK(BM_BoardFrameRecord)->Unit(benchmark::kMicrosecond);

// The whole board and toolbar, drawn and finished by the rasteriser.
static void BM_BoardViewAndToolbarWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeBusyBoard();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawBoardView();
    DrawToolbar();
    glFinish();
  }
}
BENCHMARK(BM_BoardViewAndToolbarWithGl)->Unit(benchmark::kMillisecond);
