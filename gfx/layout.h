// gfx/layout: the UI scale, the geometry of the circle and the side panel, and the layout
// rectangles of the main window that RelayoutAll recomputes after a size or view change. Nothing
// here draws; the drawing and the hit tests of many floors read the same rectangles.
#pragma once
#include <vector>

#include "gfx/rect.h"

// ---- geometry of the main view (pure functions of the client size and the view flags) ----
// The UI scale: min(width / 1600, height / 900) clamped to 0.78 .. 1.
float GetUiScale();
// The size of one panel element: clamp(56 s, 46, 68).
float PanelElementSize();
// Height of the header block of a panel at UI scale s.
float PanelBlockHeight(float s);
// The circle's centre, the shorter client side and the outer, inner and innermost ring radii. On
// the learning overlay the circle stays within the staff panel's width.
void ComputeCircleLayout(float* cx, float* cy, float* minSide, float* radius, float* innerRadius,
                         float* innermostRadius);
// The panel to the right of the circle (the practice board's panel).
void ComputeSidePanelRect(float* x, float* y, float* w, float* h);
// The last mouse position lies in the rectangle, edges included.
bool IsMouseInRect(const RectF* r);

// Recomputes every layout rectangle (below, the slider panel's and the hit regions) from the client
// size, the UI scale and the view flags.
void RelayoutAll();
// Rebuilds the hit regions of the header, the control band and the students panel (gfx/hit_regions).
void LayoutHitRegions();

// ---- rectangles laid out by RelayoutAll ----
extern RectF gToolbarRects[8];      // the toolbar's buttons: 6 the practice-run button, 7 the day toggle
extern RectF gToolbarPanelRect;     // the toolbar's column (plain board view only)
extern RectF gToolbarToggleHitRect; // click target of the day toggle: toolbar button 7, else top right
extern RectF gLowerPanelRect;       // the panel below the board grid (plain board view without song view)
extern RectF gHeaderRowFirstRect;   // the header row of three equal buttons: hidden in this layout
extern RectF gHeaderRowSecondRect;
extern RectF gPracticeRunSlotRect;  // the practice-run button's place: toolbar button 6, or hidden
extern RectF gLaneAnchorRect;       // hidden: the note-fall lane then sits on the practice strip

// Per laid-out student row: the index of its student in gStudents, and the row's rectangle.
extern std::vector<int> gStudentRowStudents;
extern std::vector<RectF> gStudentRowRects;
