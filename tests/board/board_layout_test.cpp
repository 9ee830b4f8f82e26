// The board's layout record at several window sizes, worked out by hand from the layout rules:
// the UI scale's clamp, the pixel minimums, the narrow-panel and short-panel limits, and the
// practice strip growing by the HUD while a run is set up or shown.
#include <gtest/gtest.h>

#include "tests/board/board_fixture.h"

namespace {

// The fields checked, in the order of the expected values below.
constexpr float BoardLayout::*kFields[] = {
    &BoardLayout::scale,  &BoardLayout::pad,    &BoardLayout::labelColumnWidth, &BoardLayout::cellGap,
    &BoardLayout::panelX, &BoardLayout::panelY, &BoardLayout::panelW, &BoardLayout::panelH,
    &BoardLayout::gridX,  &BoardLayout::gridY,  &BoardLayout::gridW,  &BoardLayout::gridH,
    &BoardLayout::cellW,  &BoardLayout::cellH,  &BoardLayout::stripX, &BoardLayout::stripY,
    &BoardLayout::stripW, &BoardLayout::stripH, &BoardLayout::boardTop, &BoardLayout::headerBaselineY,
    &BoardLayout::headerRightX};

struct LayoutCase {
  int w, h;
  float want[21];
};

const LayoutCase kCases[] = {
    // the design size
    {1600, 900, {1.0f, 10, 126, 2, 912.32f, 12, 592.48f, 876, 1048.32f, 211.44f, 446.48f, 460, 35.3733f, 64,
                 911.32f, 160.44f, 594.48f, 522, 69.44f, 184.64f, 1487.8f}},
    // twice the design size: the scale stays 1
    {3200, 1800, {1.0f, 10, 126, 2, 1911.84f, 12, 709.5f, 1776, 2047.84f, 580.44f, 563.5f, 460, 45.125f, 64,
                  1910.84f, 529.44f, 711.5f, 522, 438.44f, 553.64f, 2604.34f}},
    // small: the scale stops at 0.78 and the pad at its 8 px minimum
    {1000, 600, {0.78f, 8, 108, 1.56f, 588.8f, 12, 334.96f, 576, 704.8f, 177.454f, 210.96f, 262.592f, 16.15f,
                 36.176f, 587.8f, 136.854f, 336.96f, 312.192f, 54.834f, 156.014f, 909.76f}},
    // a narrow panel: the grid keeps 180 px
    {600, 900, {0.78f, 8, 108, 1.56f, 398.16f, 126, 240, 594, 514.16f, 337.6012f, 180, 222.1376f, 13.57f,
                30.3968f, 397.16f, 297.0012f, 306, 271.7376f, 214.9812f, 316.1612f, 688.16f}},
    // a very short panel: 120 px of grid, and the block starts above the panel's margin
    {1600, 200, {0.78f, 8, 108, 1.56f, 633.0933f, 12, 599.1333f, 176, 749.0933f, 60, 475.1333f, 120, 38.1644f,
                 15.8057f, 632.0933f, 19.4f, 601.1333f, 169.6f, -62.62f, 38.56f, 1218.2267f}},
};

using BoardLayoutTest = BoardTest;

TEST_F(BoardLayoutTest, ValuesAtWindowSizes) {
  for (const LayoutCase& c : kCases) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    BoardLayout b = Layout();
    for (int i = 0; i < 21; ++i) EXPECT_NEAR(b.*kFields[i], c.want[i], 0.01f) << c.w << " x " << c.h << " field " << i;
    EXPECT_FLOAT_EQ(b.hudHeight, 0.0f);
    // Cells fill the grid exactly after the 11 and 6 gaps.
    EXPECT_NEAR(12 * b.cellW + 11 * b.cellGap, b.gridW, 0.01f);
    EXPECT_NEAR(7 * b.cellH + 6 * b.cellGap, b.gridH, 0.01f);
  }
}

TEST_F(BoardLayoutTest, StripGrowsByTheHudInRunStates) {
  const struct { int w, h; float hud; } sizes[] = {{1600, 900, 48.0f}, {1000, 600, 40.0f}};
  for (const auto& size : sizes) {
    gClientWidth = size.w;
    gClientHeight = size.h;
    gPracticeState = 0;
    BoardLayout off = Layout();
    for (int state = 1; state <= 4; ++state) {
      gPracticeState = state;
      BoardLayout on = Layout();
      EXPECT_FLOAT_EQ(on.hudHeight, size.hud) << size.w << " state " << state;
      EXPECT_FLOAT_EQ(on.stripH, off.stripH + size.hud);
      EXPECT_FLOAT_EQ(on.gridY, off.gridY);
    }
  }
}

}  // namespace
