// The orb record's theme fields follow the brightness setting.
#include <gtest/gtest.h>

#include "gfx/draw_alpha.h"
#include "visual/orb_params.h"

TEST(OrbParams, ThemeColoursFollowTheLevelAndLeaveTheRestAlone) {
  struct Case {
    float level;
    float tempo, theme28, theme36, flow, theme56;
  };
  const Case kCases[] = {
      {0.0f, 0.35f, 0.1f, 0.22f, 0.85f, 0.9f},
      {1.0f, 1.0f, 0.35f, 0.14f, 1.3f, 1.3f},
      {0.5f, 0.675f, 0.225f, 0.18f, 1.075f, 1.1f},
      {-3.0f, 0.35f, 0.1f, 0.22f, 0.85f, 0.9f},  // out of range is clamped, not extrapolated
      {7.0f, 1.0f, 0.35f, 0.14f, 1.3f, 1.3f},
  };
  const float saved = gThemeLevel;
  for (const Case& c : kCases) {
    OrbParams p;
    p.fade = 0.25f;
    p.liveliness = 0.6f;
    p.time = 12.5f;
    gThemeLevel = c.level;
    ComputeThemeColours(p);
    EXPECT_NEAR(p.tempo, c.tempo, 1e-6) << c.level;
    EXPECT_NEAR(p.theme28, c.theme28, 1e-6) << c.level;
    EXPECT_NEAR(p.theme36, c.theme36, 1e-6) << c.level;
    EXPECT_NEAR(p.flow, c.flow, 1e-6) << c.level;
    EXPECT_NEAR(p.theme56, c.theme56, 1e-6) << c.level;
    EXPECT_FLOAT_EQ(p.fade, 1.0f) << "the caller overwrites the fade after the theme";
    EXPECT_FLOAT_EQ(p.liveliness, 0.6f);
    EXPECT_FLOAT_EQ(p.time, 12.5f);
  }
  gThemeLevel = saved;
}
