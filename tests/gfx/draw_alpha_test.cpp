// The global draw alpha, the theme factors' clamp and the angle helper's wrap.
#include <gtest/gtest.h>

#include "gfx/draw_alpha.h"

TEST(DrawAlpha, PushSetsRatherThanMultipliesAndPopRestores) {
  float outer, inner;
  PushDrawAlpha(&outer, 0.5f);
  PushDrawAlpha(&inner, 0.5f);
  EXPECT_FLOAT_EQ(gDrawAlpha, 0.5f);
  PopDrawAlpha(&inner);
  EXPECT_FLOAT_EQ(gDrawAlpha, 0.5f);
  PopDrawAlpha(&outer);
  EXPECT_FLOAT_EQ(gDrawAlpha, 1.0f);
}

TEST(DrawAlpha, AnglesTakeTheShortWayAndThemeLevelsClamp) {
  EXPECT_NEAR(LerpAngle(3.0f, -3.0f, 0.5f), 3.1416f, 1e-3);  // across pi, not through 0
  EXPECT_NEAR(LerpAngle(0.0f, 1.0f, 2.0f), 1.0f, 1e-6);
  EXPECT_NEAR(LerpAngle(0.0f, 1.0f, -1.0f), 0.0f, 1e-6);
  float hi[kThemeFactorCount], over[kThemeFactorCount];
  ComputeThemeFactors(1.0f, hi);
  ComputeThemeFactors(1.4f, over);
  for (int i = 0; i < kThemeFactorCount; ++i) EXPECT_FLOAT_EQ(over[i], hi[i]) << i;
  gThemeLevel = 1.4f;
  ClampThemeLevel();
  EXPECT_FLOAT_EQ(gThemeLevel, 1.0f);
  gThemeLevel = 0.35f;
}
