// The preview's hint box beside its info mark, kept inside the window near every edge, and its
// lines with and without a missing diagram.
#include <gtest/gtest.h>

#include "board/scale_preview.h"
#include "tests/board/board_fixture.h"

namespace {

using PreviewHintTest = BoardTest;

TEST_F(PreviewHintTest, HintBoxOpensWhereItFits) {
  const float s = 1.0f, R = 8.5f, W = 1600.0f, H = 900.0f;
  const RectF area = {900.0f, 600.0f, 600.0f, 250.0f};
  const float width = 312.0f;
  // Room on the right: right of the mark.
  RectF box = PlaceHintBox(1000.0f, 400.0f, R, s, area, 5, W, H);
  EXPECT_FLOAT_EQ(box.x, 1000.0f + R + 8.0f);
  EXPECT_FLOAT_EQ(box.w, width);
  EXPECT_GT(box.y, 400.0f - box.h);
  // Near the right edge: left of the mark.
  box = PlaceHintBox(1500.0f, 400.0f, R, s, area, 5, W, H);
  EXPECT_FLOAT_EQ(box.x + box.w, 1500.0f - R - 8.0f);
  // Neither side fits: centred on the mark, above the area.
  box = PlaceHintBox(200.0f, 400.0f, R, s, area, 5, 400.0f, H);
  EXPECT_FLOAT_EQ(box.x, 200.0f - width / 2.0f);
  EXPECT_FLOAT_EQ(box.y + box.h, area.y - 7.0f);
  // Above the window's top: below the area's top instead.
  box = PlaceHintBox(200.0f, 20.0f, R, s, {100.0f, 30.0f, 100.0f, 50.0f}, 5, 400.0f, H);
  EXPECT_FLOAT_EQ(box.y, 30.0f + 12.0f);
  // Past the window's bottom: pulled up, but never above 8.
  box = PlaceHintBox(1000.0f, 880.0f, R, s, area, 7, W, H);
  EXPECT_FLOAT_EQ(box.y + box.h, H - 8.0f);
  box = PlaceHintBox(1000.0f, 50.0f, R, s, area, 7, W, 60.0f);
  EXPECT_FLOAT_EQ(box.y, 8.0f);
  // Every box stays inside a window that can hold it.
  for (float cx = 0.0f; cx <= W; cx += 50.0f)
    for (float cy = 0.0f; cy <= H; cy += 50.0f) {
      box = PlaceHintBox(cx, cy, R, s, {cx - 300.0f, cy, 300.0f, 200.0f}, 7, W, H);
      EXPECT_GE(box.x, 8.0f - 1e-3f) << cx << "," << cy;
      EXPECT_LE(box.x + box.w, W - 8.0f + 1e-3f) << cx << "," << cy;
      EXPECT_GE(box.y, 8.0f - 1e-3f) << cx << "," << cy;
      EXPECT_LE(box.y + box.h, H - 8.0f + 1e-3f) << cx << "," << cy;
    }
  // A translated line wider than the box widens it, still inside the window, and only so far.
  box = PlaceHintBox(1000.0f, 400.0f, R, s, area, 5, W, H, 330.0f);
  EXPECT_FLOAT_EQ(box.w, 330.0f + 2.0f * HintTextInset(s));
  EXPECT_FLOAT_EQ(box.x, 1000.0f + R + 8.0f);
  box = PlaceHintBox(1250.0f, 400.0f, R, s, area, 5, W, H, 330.0f);
  EXPECT_FLOAT_EQ(box.x + box.w, 1250.0f - R - 8.0f) << "now too wide for the right side";
  box = PlaceHintBox(200.0f, 400.0f, R, s, area, 5, 400.0f, H, 2000.0f);
  EXPECT_FLOAT_EQ(box.w, 400.0f - 16.0f);
  EXPECT_GE(box.x, 8.0f);
}

TEST_F(PreviewHintTest, MissingDiagramLineOnlyForAPickWithoutItsImage) {
  EXPECT_EQ(PreviewHintLines(true, false, "scales/dorian_D.png").size(), 7u);
  EXPECT_EQ(PreviewHintLines(true, false, "scales/dorian_D.png").back(), "Missing file: scales/dorian_D.png");
  EXPECT_EQ(PreviewHintLines(false, false, "scales/dorian_D.png").size(), 5u);
  EXPECT_EQ(PreviewHintLines(true, true, "scales/dorian_D.png").size(), 5u);
  EXPECT_EQ(PreviewHintLines(true, false, "").size(), 5u);
}


}  // namespace
