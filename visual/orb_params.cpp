// visual/orb_params: the circle view's orb record and its theme factors.
#include "visual/orb_params.h"

#include <cstddef>

#include "gfx/draw_alpha.h"

// ---- state ----
OrbParams gVisualParams;  // filled each frame by the frame's orb feed and ComputeThemeColours

// The theme factors are written in record order starting at tempo; keep the record laid out so.
static_assert(offsetof(OrbParams, tempo) == 24 && offsetof(OrbParams, theme56) == 56,
              "theme factors must be nine consecutive floats after six leading ones");
static_assert(offsetof(OrbParams, level80) == 80 && offsetof(OrbParams, aux88) == 88 &&
                  offsetof(OrbParams, focusIsMinor) == 288 && sizeof(OrbParams) == 292,
              "every field is 32 bits, in a fixed order");

// ---- public functions ----
void ComputeThemeColours(OrbParams& out) {
  float f[kThemeFactorCount];
  ComputeThemeFactors(gThemeLevel, f);
  out.tempo = f[0];
  out.theme28 = f[1];
  out.theme32 = f[2];
  out.theme36 = f[3];
  out.theme40 = f[4];
  out.theme44 = f[5];
  out.fade = f[6];
  out.flow = f[7];
  out.theme56 = f[8];
}
