// gfx/layout_geometry: where the circle and the side panel sit for the current client size.
//
// Everything is recomputed from gClientWidth and gClientHeight (and on the learning overlay the
// staff panel's rectangle, told by the floors above) on each call: the board, the circle and the
// hit tests call these every frame and must agree with each other without a cache.
#include <algorithm>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"

// ---- state ----
static bool gReadingStaffPanel = false;  // the facts are being gathered for the circle, UI thread only

// ---- internal helpers ----
// The horizontal budget shared by the circle and the side panel.
struct HorizontalBudget {
  float sideBand;    // b
  float allowance;   // a: room kept for the side panel
  float margin1;     // m1
  float margin2;     // m2
  float rightPart;   // r
  float freeWidth;   // f
};

static HorizontalBudget ComputeBudget(float W) {
  HorizontalBudget b;
  b.sideBand = ClampFloat(0.072f * W, 72.0f, 154.0f);
  b.allowance = 430.0f + 215.0f * ClampFloat((W - 1120.0f) / 900.0f, 0.0f, 1.0f);
  b.margin1 = std::max(0.015f * W, 14.0f);
  b.margin2 = std::max(0.03f * W, 14.0f);
  float m3 = ClampFloat(0.014f * W, 12.0f, 30.0f);
  b.rightPart = b.margin1 + b.sideBand + b.allowance + 18.0f;
  b.freeWidth = std::max(W - (b.rightPart + b.margin2 + m3), 220.0f);
  return b;
}

// The circle where its share of the free width puts it: centre, shorter client side, outer radius.
struct CirclePlace {
  float cx, cy, shorter, r;
};

static CirclePlace PlaceCircleAtItsShare() {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float s = GetUiScale();
  float shorter = (float)std::min(gClientWidth, gClientHeight);
  HorizontalBudget b = ComputeBudget(W);
  bool learning = IsLearningOverlayShown();

  float r = std::min(std::max(b.freeWidth / 2.0f, 156.0f * s), 0.37f * shorter);
  if (learning) r *= 0.792f;

  float wanted = b.margin2 + (learning ? 0.32f : 0.4f) * b.freeWidth;
  float lo = b.margin2 + r + 10.0f;
  float hi = std::max(W - b.rightPart - r - 10.0f, lo);
  float x = wanted > hi ? hi : std::max(wanted, lo);
  return {x, (learning ? 0.43f : 0.47f) * H, shorter, r};
}

// On the learning overlay the staff panel stands over the circle. The panel keeps its staff's width
// in the middle of its room (a wide window, the list beside it), where the circle at its share of
// the free width stood half outside it: the circle moves in just far enough, or to the middle of a
// panel narrower than itself. The facts read the board, which reads the circle back: meanwhile the
// circle stands at its share.
static float KeptInsideStaffPanel(float x, float r) {
  if (gReadingStaffPanel) return x;
  gReadingStaffPanel = true;
  const LayoutFacts facts = GetLayoutFacts();
  gReadingStaffPanel = false;
  if (!facts.staffPanelShown) return x;
  const RectF& p = facts.staffPanel;
  if (p.w < 2.0f * r) return p.x + p.w / 2.0f;
  return ClampFloat(x, p.x + r, p.x + p.w - r);
}

// ---- public functions ----
float GetUiScale() {
  float s = std::min((float)gClientWidth / 1600.0f, (float)gClientHeight / 900.0f);
  if (s > 1.0f) return 1.0f;
  if (s < 0.78f) return 0.78f;
  return s;
}

float PanelElementSize() { return ClampFloat(56.0f * GetUiScale(), 46.0f, 68.0f); }

float PanelBlockHeight(float s) {
  return std::max(9.0f * s, 7.0f) + 3.0f * std::max(24.0f * s, 22.0f) + std::max(9.0f * s, 8.0f);
}

void ComputeCircleLayout(float* cx, float* cy, float* minSide, float* radius, float* innerRadius,
                         float* innermostRadius) {
  CirclePlace c = PlaceCircleAtItsShare();
  if (IsLearningOverlayShown()) c.cx = KeptInsideStaffPanel(c.cx, c.r);
  float inner = c.r - 0.07f * c.shorter;

  *cx = c.cx;
  *cy = c.cy;
  *minSide = c.shorter;
  *radius = c.r;
  *innerRadius = inner;
  *innermostRadius = inner - 0.066f * c.shorter;
}

void ComputeSidePanelRect(float* x, float* y, float* w, float* h) {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float s = GetUiScale();
  // The board stands beside the circle's share, not where the staff panel moves the circle to: the
  // panel stands below the band, which stands on the board, and each would wait on the other.
  const CirclePlace c = PlaceCircleAtItsShare();
  const float cx = c.cx, cy = c.cy, shorter = c.shorter, r = c.r;
  HorizontalBudget b = ComputeBudget(W);

  float px = cx + r + b.sideBand + b.margin1 + std::max(34.0f * s, 28.0f) +
             4.0f * std::max(0.0042f * shorter, 3.2f);
  // The subtracted sum keeps the toolbar column free at the right edge.
  float toolbar = std::max(12.0f * s, 10.0f) + PanelElementSize() + std::max(8.0f * s, 6.0f);
  float pw = std::min(std::max(W - std::max(0.012f * W, 14.0f) - toolbar - px, 240.0f), 1.1f * b.allowance);
  float ph = std::min(0.99f * shorter, H - 24.0f);
  float py = std::max(cy - ph / 2.0f, 12.0f);
  py = std::min(py, std::max(H - ph - 12.0f, 12.0f));

  *x = px;
  *y = py;
  *w = pw;
  *h = ph;
}
