// gfx/rect: the layout rectangle. A hidden widget has kHiddenRect so no hit test finds it.
#pragma once

struct RectF {
  float x, y, w, h;
};

inline constexpr RectF kHiddenRect = {-10000.0f, -10000.0f, 0.0f, 0.0f};
