// gfx/rect: the layout rectangle. A hidden widget has kHiddenRect so no hit test finds it.
#pragma once

struct RectF {
  float x, y, w, h;
};

inline constexpr RectF kHiddenRect = {-10000.0f, -10000.0f, 0.0f, 0.0f};

// The point lies in the rectangle, edges included.
inline bool PointInRect(const RectF& r, int px, int py) {
  float x = (float)px, y = (float)py;
  return r.x <= x && x <= r.x + r.w && r.y <= y && y <= r.y + r.h;
}
