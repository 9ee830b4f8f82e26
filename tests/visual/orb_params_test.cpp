// The orb record's theme fields follow the brightness setting.
#include <gtest/gtest.h>

#include "gfx/draw_alpha.h"
#include "visual/orb_params.h"

TEST(OrbParams, ThemeColoursFollowTheClampedLevelAndLeaveTheRestAlone) {
  struct Case { float level, tempo, theme28, theme36, flow, theme56; } cases[] = {
      {0.0f, 0.35f, 0.1f, 0.22f, 0.85f, 0.9f},   {1.0f, 1.0f, 0.35f, 0.14f, 1.3f, 1.3f},
      {-3.0f, 0.35f, 0.1f, 0.22f, 0.85f, 0.9f},  // out of range is clamped, not extrapolated
      {7.0f, 1.0f, 0.35f, 0.14f, 1.3f, 1.3f},
  };
  const float saved = gThemeLevel;
  for (const Case& c : cases) {
    OrbParams p;
    p.liveliness = 0.6f;
    p.time = 12.5f;
    gThemeLevel = c.level;
    ComputeThemeColours(p);
    const float got[] = {p.tempo, p.theme28, p.theme36, p.flow, p.theme56};
    const float want[] = {c.tempo, c.theme28, c.theme36, c.flow, c.theme56};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << c.level << " field " << i;
    EXPECT_FLOAT_EQ(p.liveliness, 0.6f);
    EXPECT_FLOAT_EQ(p.time, 12.5f);
  }
  gThemeLevel = saved;
}
