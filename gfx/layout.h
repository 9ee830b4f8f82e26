// gfx/layout: the UI scale and the layout rectangles of every panel.
#pragma once
#include <vector>

#include "gfx/rect.h"

// PENDING: the layout of every panel; recomputes every layout rectangle from the client size and
// the UI scale.
void RelayoutAll();
// PENDING: the hit regions; rebuilds them, among them the laid-out student rows.
void LayoutHitRegions();

// Per laid-out student row: the index of its student in gStudents, and the row's rectangle.
extern std::vector<int> gStudentRowStudents;
extern std::vector<RectF> gStudentRowRects;

// ---- geometry of the main view (pure functions of the client size and the view flags) ----
// The UI scale: min(width / 1600, height / 900) clamped to 0.78 .. 1.
float GetUiScale();
// The size of one panel element: clamp(56 s, 46, 68).
float PanelElementSize();
// Height of the header block of a panel at UI scale s.
float PanelBlockHeight(float s);
// The circle's centre, the shorter client side and the outer, inner and innermost ring radii.
void ComputeCircleLayout(float* cx, float* cy, float* minSide, float* radius, float* innerRadius,
                         float* innermostRadius);
// The panel to the right of the circle (the practice board's panel).
void ComputeSidePanelRect(float* x, float* y, float* w, float* h);

// ---- rectangles laid out by RelayoutAll ----
extern RectF gToolbarPanelRect;     // the toolbar's panel (hidden without a toolbar)
extern RectF gToolbarRects[8];      // the toolbar's buttons; 6 is the practice-run button's place
extern RectF gHeaderRowFirstRect;   // the header's row of three equal buttons, left to right
extern RectF gHeaderRowSecondRect;
extern RectF gPracticeRunSlotRect;  // the third place of that row
