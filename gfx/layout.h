// gfx/layout: the UI scale and the layout rectangles of every panel.
#pragma once
#include <vector>

#include "gfx/rect.h"

// Recomputes every layout rectangle from the client size and the UI scale.
void RelayoutAll();
// Rebuilds the hit regions, among them the laid-out student rows.
void LayoutHitRegions();

// Per laid-out student row: the index of its student in gStudents, and the row's rectangle.
extern std::vector<int> gStudentRowStudents;
extern std::vector<RectF> gStudentRowRects;
