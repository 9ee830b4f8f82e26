// gfx/shapes: the plain immediate-mode shapes (rectangles, lines, discs, circles), in the current
// GL colour (set it with SetGlColor, so the global draw alpha applies). None changes GL state.
#pragma once

#include "gfx/rect.h"

// A filled axis-aligned rectangle; nothing when it has no width or height.
void FillRect(float x, float y, float w, float h);
inline void FillRect(const RectF& r) { FillRect(r.x, r.y, r.w, r.h); }
// A closed one-pixel outline of the rectangle.
void StrokeRect(float x, float y, float w, float h);
// One line.
void DrawLine(float x0, float y0, float x1, float y1);
// A filled axis-aligned ellipse of the given number of segments; nothing without a size.
void FillEllipse(float cx, float cy, float rx, float ry, int segments);
// A filled disc of the given number of segments.
void FillDisc(float cx, float cy, float radius, int segments);
// A circle as a closed line.
void StrokeCircle(float cx, float cy, float radius, int segments);
// A rectangle from the top colour (RGBA) to the bottom one; it sets the GL colour as it goes, so
// the global draw alpha applies and the current colour is left at the bottom one.
void FillGradientRect(float x, float y, float w, float h, const float top[4], const float bottom[4]);
