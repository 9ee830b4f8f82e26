// gfx/layout: RelayoutAll, in the order its rectangles depend on each other: the board frame inside
// the side panel, the toolbar column beside it, the lower panel, the hit regions, the slider panel
// and last the click targets copied from the toolbar.
#include <algorithm>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/slider_panel.h"

// ---- state ----
RectF gToolbarRects[8] = {kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect,
                          kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect};
RectF gToolbarPanelRect = kHiddenRect;      // shown in the plain board view
RectF gToolbarToggleHitRect = kHiddenRect;  // button 7 when shown, else the hit regions' top-right place
RectF gLowerPanelRect = kHiddenRect;        // plain board view without song view
RectF gHeaderRowFirstRect = kHiddenRect;    // never shown by this layout
RectF gHeaderRowSecondRect = kHiddenRect;
RectF gPracticeRunSlotRect = kHiddenRect;   // copy of toolbar button 6 when shown
RectF gLaneAnchorRect = kHiddenRect;        // never shown by this layout

// ---- internal helpers ----
static bool IsShown(const RectF& r) { return r.w > 2.0f; }

// The board frame inside the side panel: the quantities that also place the board.
struct BoardFrame {
  float px, py, pw, ph;   // the side panel
  float pad, labelCol, cellGap, gridW, gridH, rowBase, gridTop;
};

static BoardFrame ComputeBoardFrame(float s) {
  BoardFrame b;
  ComputeSidePanelRect(&b.px, &b.py, &b.pw, &b.ph);
  float cx, cy, minSide, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
  b.pad = std::max(10.0f * s, 8.0f);
  float headerH = PanelBlockHeight(s);
  b.labelCol = std::max(126.0f * s, 108.0f);
  b.cellGap = std::max(2.0f * s, 1.0f);
  b.gridW = std::max(b.pw - 2.0f * b.pad - b.labelCol, 180.0f);
  float rowH = ClampFloat((b.gridW - 11.0f * b.cellGap) / 12.0f * 2.24f, 28.0f * s, 64.0f * s);
  float m12 = std::max(12.0f * s, 10.0f), m20a = std::max(20.0f * s, 15.0f), m20b = std::max(20.0f * s, 16.0f);
  float room = std::max(b.ph - 2.0f * b.pad - headerH - m12 - m20a - m20b, 120.0f);
  b.gridH = std::min(7.0f * rowH + 6.0f * b.cellGap, room);
  float contentH = m20b + m20a + b.gridH + m12 + headerH;
  float wanted = cy - contentH / 2.0f - 0.06f * b.ph;
  float lo = b.py + b.pad, hi = b.py + b.ph - b.pad - contentH;
  float top = wanted > hi ? hi : std::max(wanted, lo);
  b.rowBase = top + headerH + m12;
  b.gridTop = b.rowBase + m20b + m20a + b.cellGap;
  return b;
}

static void LayoutToolbar(const BoardFrame& b, float s, float W) {
  float E = PanelElementSize();
  float tx = std::min(b.px + b.pw + std::max(12.0f * s, 10.0f), std::max(W - E - std::max(8.0f * s, 6.0f), 0.0f));
  float tw = std::max(W - tx - std::max(8.0f * s, 6.0f), 18.0f);
  float cw = std::min(tw, E);
  for (RectF& r : gToolbarRects) r = kHiddenRect;
  gToolbarPanelRect = kHiddenRect;
  if (gPracticeMode || gLearningOverlay || gRingMode) return;

  float n = gSongView ? 8.0f : 7.0f;
  float bs = ClampFloat(0.84f * cw, 24.0f, 54.0f), g = std::max(7.0f * s, 6.0f), p = std::max(24.0f * s, 20.0f);
  float hp = std::max(b.gridH, 120.0f);
  float t = n * bs + (n - 2.0f) * g + p;
  if (t > hp) {
    float k = hp / t;
    bs = std::max(k * bs, 20.0f * s);
    g = std::max(k * g, 3.0f);
    p = std::max(k * p, 10.0f);
  }
  gToolbarPanelRect = {tx, b.gridTop, cw, hp};
  float x = tx + (cw - bs) / 2.0f;
  float y6 = b.gridTop + std::max((hp - 2.0f * bs - p) / 2.0f, 0.0f);
  gToolbarRects[6] = {x, y6, bs, bs};
  gToolbarRects[7] = {x, y6 + bs + p, bs, bs};
}

static void LayoutLowerPanel(const BoardFrame& b, float s, float H, bool practiceRun) {
  gLowerPanelRect = kHiddenRect;
  if (gPracticeMode || gLearningOverlay || gSongView || gRingMode) return;
  float m = std::max(11.0f * s, 9.0f);
  float hud = practiceRun ? std::max(48.0f * s, 40.0f) : 0.0f;
  float y = b.rowBase + std::max(20.0f * s, 16.0f) + std::max(20.0f * s, 15.0f) + b.gridH + m + hud +
            std::max(14.0f * s, 10.0f);
  float h = std::max(0.0f, std::min(std::max(250.0f * s, 190.0f),
                                    H - std::max(30.0f * s, 26.0f) - ClampFloat(5.0f * s, 4.0f, 7.0f) - y));
  gLowerPanelRect = {b.px + b.pad - m, y, b.gridW + b.labelCol + 2.0f * m, h};
}

static void LayoutSliderPanel(float s, float W, float H) {
  float side = std::max(22.0f * s, 18.0f), between = std::max(18.0f * s, 16.0f);
  float cw2 = std::max((ClampFloat(0.64f * W, 700.0f, 980.0f) - 2.0f * side - between) / 2.0f, 250.0f);
  float w = 2.0f * cw2 + 2.0f * side + between;
  float sh = ClampFloat(55.0f * s, 50.0f, 72.0f), vg = std::max(10.0f * s, 8.0f);
  float top = std::max(20.0f * s, 16.0f) + std::max(28.0f * s, 24.0f) + std::max(14.0f * s, 12.0f);
  float h = 2.0f * std::max(20.0f * s, 16.0f) + std::max(28.0f * s, 24.0f) + std::max(14.0f * s, 12.0f) +
            6.0f * sh + 5.0f * vg;
  float x = std::min(std::max(W / 2.0f - w / 2.0f, 8.0f), std::max(W - w - 8.0f, 8.0f));
  float y = std::min(std::max(H / 2.0f - h / 2.0f, 8.0f), std::max(H - h - 8.0f, 8.0f));
  gSliderPanelRect = {x, y, w, h};
  for (int i = 0; i < kSmokeSliderCount; ++i)
    gSliderRects[i] = {x + side + (float)(i % 2) * (cw2 + between), y + top + (float)(i / 2) * (sh + vg), cw2, sh};
}

// ---- public functions ----
bool IsMouseInRect(const RectF* r) { return r && PointInRect(*r, gMouseX, gMouseY); }

void RelayoutAll() {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float s = GetUiScale();
  LayoutFacts facts = GetLayoutFacts();
  BoardFrame b = ComputeBoardFrame(s);
  LayoutToolbar(b, s, W);
  LayoutLowerPanel(b, s, H, facts.practiceRunActive);
  LayoutHitRegions();
  LayoutSliderPanel(s, W, H);

  if (gRingMode) {
    gPracticeRunSlotRect = kHiddenRect;
  } else {
    gPracticeRunSlotRect = IsShown(gToolbarRects[6]) ? gToolbarRects[6] : kHiddenRect;
  }
  gHeaderRowFirstRect = gHeaderRowSecondRect = gLaneAnchorRect = kHiddenRect;
}
