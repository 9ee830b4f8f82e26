// Cost of a busy moment of input through the window procedure at 1600 x 900 with the practice
// strip shown and a song loaded: 50 moves over the board and the circle, 10 presses (grid cells,
// the seek bar, the students button) with their button-ups, and 10 command keys. No window is
// needed: the routing and the widgets' hit tests are what is measured.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/base/client_size.h"
#include "app/base/view_modes.h"
#include "app/window_proc.h"
#include "board/board_layout.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "midi/playback.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "theory/scale_selection.h"

static void SetUpView() {
  gClientWidth = 1600;
  gClientHeight = 900;
  gPracticeStrip = true;
  gPracticeStripFade = 1.0f;
  gSongEvents.clear();
  for (uint32_t t = 0; t <= 120000; t += 250) gSongEvents.push_back(SongEvent{t, 0x90, 60, 90, 0});
  RelayoutAll();
}

static void BM_InputBurst(benchmark::State& state) {
  SetUpView();
  BoardLayout b;
  ComputeBoardLayout(&b);
  const int keys[10] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyF6, kKeyUp, kKeyF7, kKeyDown, 'M', kKeyReturn};
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) {
      float a = 0.12566f * (float)i;
      int x = (int)(b.gridX + b.gridW * (0.5f + 0.45f * std::cos(a)));
      int y = (int)(b.gridY + b.gridH * (0.5f + 0.45f * std::sin(a)));
      MainWndProc(kMsgMouseMove, 0, MakePointParam(x, y));
    }
    for (int i = 0; i < 10; ++i) {
      int x, y;
      if (i < 6) {
        x = (int)(b.gridX + (float)(2 * i) * (b.cellW + b.cellGap) + b.cellW / 2);
        y = (int)(b.gridY + (float)(i % 7) * (b.cellH + b.cellGap) + b.cellH / 2);
      } else if (i < 8) {
        x = (int)(gSeekBarRect.x + gSeekBarRect.w * 0.3f * (float)(i - 5));
        y = (int)(gSeekBarRect.y + gSeekBarRect.h / 2);
      } else {
        x = (int)(gStudentsButtonRect.x + gStudentsButtonRect.w / 2);
        y = (int)(gStudentsButtonRect.y + gStudentsButtonRect.h / 2);
      }
      MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam(x, y));
      MainWndProc(kMsgLButtonUp, 0, MakePointParam(x, y));
    }
    for (int k : keys) MainWndProc(kMsgKeyDown, (uint64_t)k, 1);
  }
}
BENCHMARK(BM_InputBurst)->Unit(benchmark::kMicrosecond);
