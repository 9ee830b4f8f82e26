// app/base/maths: the colour conversion behind the maths header.
#include "app/base/maths.h"

#include <cmath>

// ---- public functions ----
void HsvToRgb(float h, float s, float v, float* r, float* g, float* b) {
  s = s < 0 ? 0 : (s > 1 ? 1 : s);
  v = v < 0 ? 0 : (v > 1 ? 1 : v);
  if (s <= 0.0001f) {
    *r = *g = *b = v;
    return;
  }
  float hf = (h - std::floor(h)) * 6.0f;
  int i = (int)std::floor(hf);
  float f = hf - (float)i;
  float p = (1 - s) * v, q = (1 - f * s) * v, t = (1 - (1 - f) * s) * v;
  switch (((i % 6) + 6) % 6) {
    case 0: *r = v; *g = t; *b = p; break;
    case 1: *r = q; *g = v; *b = p; break;
    case 2: *r = p; *g = v; *b = t; break;
    case 3: *r = p; *g = q; *b = v; break;
    case 4: *r = t; *g = p; *b = v; break;
    default: *r = v; *g = p; *b = q; break;
  }
}
