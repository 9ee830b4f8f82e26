// gfx/ui_scale: the UI scale. The design is for a 1600 x 900 client area; the scale shrinks with
// the smaller ratio and stays within 0.78..1.
#include <algorithm>

#include "app/app_state.h"
#include "gfx/layout.h"

float GetUiScale() {
  float s = std::min(float(gClientWidth) / 1600.0f, float(gClientHeight) / 900.0f);
  return std::clamp(s, 0.78f, 1.0f);
}
