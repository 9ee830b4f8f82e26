// board/practice_run_mouse: the practice run's pixels: the button's place and the hit tests.
#include "board/practice_run_mouse.h"

#include <algorithm>
#include <string>

#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "practice/practice_run.h"

// ---- internal helpers ----
// The board's answer for a point: the cell under it and whether it lies in the practice strip.
static PracticeGridPoint GridPointAt(int x, int y) {
  PracticeGridPoint p;
  p.onCell = HitTestScaleGrid(x, y, &p.slot, &p.col);
  if (!p.onCell) p.slot = p.col = -1;
  p.inStrip = IsPointInPracticeStrip(x, y);
  return p;
}

// Number of UTF-16 code units of a UTF-8 text.
static int Utf16Length(const std::string& text) {
  int n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80) continue;
    n += (c >= 0xF0) ? 2 : 1;
  }
  return n;
}

// ---- public functions ----
bool OnPracticeMouseDown(int x, int y) {
  if (IsPracticeStripShown()) {
    if (PointInRect(GetPracticeRunButtonRect(), x, y)) {
      TogglePracticeRun();
      return true;
    }
  }
  return OnPracticeGridDown(GridPointAt(x, y));
}

bool OnPracticeMouseMove() {
  if (!IsPracticeRegionDragging()) return false;
  return OnPracticeGridMove(GridPointAt(gMouseX, gMouseY));
}

bool OnPracticeMouseUp(int x, int y) { return OnPracticeGridUp(GridPointAt(x, y)); }

void UpdatePracticeRunFrame(double nowSeconds) {
  PracticeGridPoint pointer;
  if (IsPracticeRegionDragging()) pointer = GridPointAt(gMouseX, gMouseY);
  UpdatePracticeFrame(nowSeconds, pointer);
}

RectF GetPracticeRunButtonRect() {
  if (gToolbarRects[6].w > 2.0f) return gToolbarRects[6];
  if (gHeaderRowFirstRect.w > 2.0f && gHeaderRowSecondRect.w > 2.0f) {
    RectF r = gHeaderRowSecondRect;
    r.x = gHeaderRowSecondRect.x + (gHeaderRowSecondRect.x - gHeaderRowFirstRect.x);
    return r;
  }
  if (gPracticeRunSlotRect.w > 2.0f && gPracticeRunSlotRect.h > 2.0f) return gPracticeRunSlotRect;

  // A place in the board's header line.
  BoardLayout b;
  ComputeBoardLayout(&b);
  const float s = b.scale;
  float bw = std::max(82.0f * s, 74.0f);
  float limit = b.headerRightX - b.headerGap - std::max(9.0f * s, 8.0f) - bw;
  std::string label = Tr("PRACTICE RUN");
  int n = Utf16Length(label);
  if (n == 0) n = (int)label.size();
  float cw = std::max(8.0f * s, 6.4f);
  float natural = (float)std::max(n, 10) * cw + std::max(12.0f * s, 10.0f) + std::max(18.0f * s, 14.0f) + 3.0f * cw;
  float w = std::max(natural, 144.0f);
  float h = std::max(19.0f * s, 16.0f);
  float m = std::max(10.0f * s, 8.0f);
  float x = b.gridX;
  float y = b.headerBaselineY - 0.82f * h;
  float room = limit - 2.0f * m - std::max(7.0f * s, 6.0f) - std::max(84.0f * s, 70.0f);
  if (x + w > room) w = std::max(room - b.gridX, 110.0f);
  float minX = b.stripX + m + 28.0f * s;
  if (minX > b.gridX) {
    x = minX;
    w = std::max(room - minX, 124.0f);
  }
  if (w < 84.0f) {
    w = std::max(natural, 148.0f);
    x = std::max(limit + bw - w, minX);
    y = b.headerCentreY + 1.5f * std::max(6.0f * s, 5.0f);
  }
  return RectF{x, y - 4.0f, w, h};
}
