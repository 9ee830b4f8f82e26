// The glow texels and the two colour helpers.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/gl_setup.h"

TEST(GlowTexture, OpaqueCoreTransparentRimWhiteEverywhere) {
  std::vector<uint8_t> t(kGlowTextureSize * kGlowTextureSize * 4);
  ComputeGlowTexels(t.data());
  auto alpha = [&](int x, int y) { return t[((size_t)y * kGlowTextureSize + x) * 4 + 3]; };
  const struct {
    int x, y, a;
  } cases[] = {{31, 31, 255}, {32, 32, 255}, {31, 32, 255}, {0, 0, 0}, {63, 63, 0}, {0, 31, 0}, {31, 63, 0}};
  for (const auto& c : cases) EXPECT_EQ(alpha(c.x, c.y), c.a) << c.x << "," << c.y;
  for (int y = 0; y < kGlowTextureSize; ++y)
    for (int x = 0; x < kGlowTextureSize; ++x) {
      ASSERT_EQ(alpha(x, y), alpha(63 - x, 63 - y));  // symmetric about the centre
      const uint8_t* p = &t[((size_t)y * kGlowTextureSize + x) * 4];
      ASSERT_EQ(p[0] & p[1] & p[2], 255);
    }
  EXPECT_GT(alpha(16, 31), alpha(8, 31));  // falls off outwards
  EXPECT_GT(alpha(8, 31), 0);
}

TEST(ColourHelpers, SaturationAndScaling) {
  const struct { float r, g, b, k, offset, er, eg, eb; } cases[] = {
      {0.2f, 0.4f, 0.6f, 0.0f, 0.0f, 0.4f, 0.4f, 0.4f},  // grey of the mean
      {0.2f, 0.4f, 0.9f, 3.0f, 0.1f, 0.0f, 0.3f, 1.0f},  // clamped both ways
  };
  for (const auto& c : cases) {
    float r = c.r, g = c.g, b = c.b;
    AdjustSaturation(r, g, b, c.k, c.offset);
    EXPECT_NEAR(r, c.er, 1e-5f);
    EXPECT_NEAR(g, c.eg, 1e-5f);
    EXPECT_NEAR(b, c.eb, 1e-5f);
  }
  float r = 0.5f, g = 0.9f, b = -0.2f;
  ScaleColourClamped(r, g, b, 2.0f, 1.5f);
  EXPECT_FLOAT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(g, 1.5f);
  EXPECT_FLOAT_EQ(b, 0.0f);
}
