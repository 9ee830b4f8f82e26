// The global draw alpha, the theme factors and the angle helper.
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

TEST(DrawAlpha, ClampAndAngles) {
  EXPECT_FLOAT_EQ(ClampFloat(5, 0, 1), 1);
  EXPECT_FLOAT_EQ(ClampFloat(-1, 0, 1), 0);
  EXPECT_FLOAT_EQ(ClampFloat(0.3f, 0, 1), 0.3f);
  EXPECT_NEAR(LerpAngle(3.0f, -3.0f, 0.5f), 3.1416f, 1e-3);
  EXPECT_NEAR(LerpAngle(0.0f, 1.0f, 2.0f), 1.0f, 1e-6);
  EXPECT_NEAR(LerpAngle(0.0f, 1.0f, -1.0f), 0.0f, 1e-6);
}

TEST(DrawAlpha, ThemeFactorsAtBothEndsAndClamped) {
  float lo[kThemeFactorCount], hi[kThemeFactorCount], over[kThemeFactorCount];
  ComputeThemeFactors(0.0f, lo);
  ComputeThemeFactors(1.0f, hi);
  ComputeThemeFactors(1.4f, over);
  const float kLo[] = {0.35f, 0.1f, 0.12f, 0.22f, 0.7f, 0.9f, 1.0f, 0.85f, 0.9f};
  const float kHi[] = {1.0f, 0.35f, 0.42f, 0.14f, 1.6f, 1.3f, 1.0f, 1.3f, 1.3f};
  for (int i = 0; i < kThemeFactorCount; ++i) {
    EXPECT_NEAR(lo[i], kLo[i], 1e-6) << i;
    EXPECT_NEAR(hi[i], kHi[i], 1e-6) << i;
    EXPECT_FLOAT_EQ(over[i], hi[i]) << i;
  }
  gThemeLevel = 1.4f;
  ClampThemeLevel();
  EXPECT_FLOAT_EQ(gThemeLevel, 1.0f);
  gThemeLevel = 0.35f;
}
