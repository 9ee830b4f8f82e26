// gfx/pending: graphics services that other subsystems already call, whose bodies come later.
#include "gfx/layout.h"

// Filled in later with the hit regions.
std::vector<int> gStudentRowStudents;
// Filled in later with the hit regions.
std::vector<RectF> gStudentRowRects;

// Filled in later with the UI scale and layout.
void RelayoutAll() {}
// Filled in later with the hit regions.
void LayoutHitRegions() {}
