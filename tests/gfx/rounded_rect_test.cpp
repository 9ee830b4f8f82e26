// Rounded rectangles: radius limits, steps per corner, outline points, and what the fill and the
// outline put on the screen.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "tests/gfx/gl_fixture.h"

namespace {

TEST(RoundedRect, RadiusIsLimitedToTheShape) {
  const std::tuple<float, float, float, float> cases[] = {
      {20, 10, 100, 4.5f}, {21, 21, 10, 10}, {100, 100, 0, 0}, {100, 100, -5, 0}, {1, 1, 3, 0},
  };
  for (const auto& [w, h, radius, expected] : cases)
    EXPECT_FLOAT_EQ(LimitCornerRadius(w, h, radius), expected) << w << "x" << h << " r" << radius;
}

TEST(RoundedRect, StepsPerCorner) {
  const struct { float r; int segments, fill, stroke; } cases[] = {
      {10, 8, 15, 20},    // 7 + 8; 8 + 12
      {10, 0, 15, 20},    // segments below 8 (12) count as 8 (12)
      {0, 6, 8, 12},
      {0.7f, 6, 8, 13},   // 0.49 rounds to 0 for the fill, 0.56 to 1 for the outline
      {2.5f, 10, 12, 14}, // 1.75 -> 2; 2.0 -> 2
      {50, 14, 40, 44},   // 0.7 r capped at 26, 0.8 r at 30
      {500, 100, 72, 84}, // both capped
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundedFillSteps(c.r, c.segments), c.fill) << c.r << "/" << c.segments;
    EXPECT_EQ(RoundedStrokeSteps(c.r, c.segments), c.stroke) << c.r << "/" << c.segments;
  }
}

TEST(RoundedRect, OutlinePoints) {
  float pts[2 * 4 * 85];
  int count = -1;
  RoundedOutlinePoints(10, 20, 30, 40, 0, 8, pts, &count, 4 * 85);
  ASSERT_EQ(count, 4);  // inset rectangle
  EXPECT_FLOAT_EQ(pts[0], 10.5f);
  EXPECT_FLOAT_EQ(pts[1], 20.5f);
  EXPECT_FLOAT_EQ(pts[4], 39.5f);
  EXPECT_FLOAT_EQ(pts[5], 59.5f);
  RoundedOutlinePoints(0, 0, 21, 21, 10, 8, pts, &count, 4 * 85);
  ASSERT_EQ(count, 4 * 21);
  // First arc starts at the left edge and ends at the top edge of the top-left corner.
  EXPECT_NEAR(pts[0], 0, 1e-4);
  EXPECT_NEAR(pts[1], 10, 1e-4);
  EXPECT_NEAR(pts[2 * 20], 10, 1e-4);
  EXPECT_NEAR(pts[2 * 20 + 1], 0, 1e-4);
  for (int i = 0; i < count; ++i) {
    EXPECT_GE(pts[2 * i], -1e-4);
    EXPECT_LE(pts[2 * i], 21 + 1e-4);
  }
  for (float w : {0.0f, -3.0f}) {
    RoundedOutlinePoints(0, 0, w, 10, 2, 8, pts, &count, 4 * 85);
    EXPECT_EQ(count, 0);
  }
}

class RoundedDrawing : public GlFixture {};

TEST_F(RoundedDrawing, FillCoversInsideAndLeavesCornersEmpty) {
  SetGlColor(1, 1, 1, 1);
  FillRoundedRect(100, 100, 200, 100, 30, 8);
  FillRoundedRect(400, 100, 0, 100, 30, 8);   // nothing
  FillRoundedRect(500, 100, 100, -1, 30, 8);  // nothing
  std::vector<uint8_t> frame = ReadFrame();
  // Middle, left band, top band, inside the arc; then outside the top-left and bottom-right arcs.
  const struct { int x, y, value; } points[] = {
      {200, 150, 255}, {101, 150, 255}, {200, 101, 255}, {110, 110, 255}, {101, 101, 0}, {298, 198, 0}};
  for (const auto& p : points) EXPECT_EQ(Brightest(frame, p.x, p.y), p.value) << p.x << "," << p.y;
  for (int y = 0; y < kHeight; y += 3)
    for (int x = 350; x < kWidth; x += 3) ASSERT_EQ(Brightest(frame, x, y), 0) << x << "," << y;
}

// A see-through fill is equally dark everywhere inside: no part of the shape is covered twice.
TEST_F(RoundedDrawing, HalfAlphaFillIsEvenInsideTheShape) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetGlColor(1, 1, 1, 0.5f);
  FillRoundedRect(100, 100, 200, 100, 30, 8);
  glDisable(GL_BLEND);
  std::vector<uint8_t> frame = ReadFrame();
  // Middle, left strip, right strip, top band, bottom band, inside a corner's fan.
  const int middle = Brightest(frame, 200, 150);
  EXPECT_NEAR(middle, 128, 2);
  for (auto [x, y] : {std::pair{105, 150}, {295, 150}, {200, 105}, {200, 195}, {112, 112}})
    EXPECT_NEAR(Brightest(frame, x, y), middle, 3) << x << "," << y;  // covered twice: about 191
}

TEST_F(RoundedDrawing, OutlineLeavesTheInsideEmpty) {
  SetGlColor(1, 1, 1, 1);
  glLineWidth(1);
  StrokeRoundedRect(100, 100, 200, 100, 20, 12);
  std::vector<uint8_t> frame = ReadFrame();
  EXPECT_EQ(Brightest(frame, 200, 150), 0);
  int topInk = 0;
  for (int y = 98; y <= 102; ++y) topInk = std::max(topInk, Brightest(frame, 200, y));
  EXPECT_GT(topInk, 100);
  EXPECT_EQ(Brightest(frame, 101, 101), 0);
}

}  // namespace
