// Student colours: repair of stored colours, the popup's geometry and the wheel's mapping.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.h"
#include "gfx/layout.h"
#include "practice/student_colours.h"

TEST(StudentColours, NormalizeClampsAndReplacesColoursTooDarkToSee) {
  struct Case {
    float in[3];
    float out[3];
  } cases[] = {
      {{0.05f, 0.05f, 0.05f}, {0.3f, 0.48f, 0.76f}},
      {{0.06f, 0.0f, 0.0f}, {0.06f, 0.0f, 0.0f}},
      {{2.0f, -1.0f, 0.5f}, {1.0f, 0.0f, 0.5f}},
      {{-3.0f, -3.0f, -3.0f}, {0.3f, 0.48f, 0.76f}},
      {{NAN, 0.5f, NAN}, {0.0f, 0.5f, 0.0f}},
      {{NAN, NAN, NAN}, {0.3f, 0.48f, 0.76f}},
      {{INFINITY, 0.2f, 0.2f}, {1.0f, 0.2f, 0.2f}},
  };
  for (const Case& c : cases) {
    Student s;
    s.r = c.in[0];
    s.g = c.in[1];
    s.b = c.in[2];
    NormalizeStudentColour(s);
    EXPECT_FLOAT_EQ(s.r, c.out[0]) << c.in[0] << " " << c.in[1] << " " << c.in[2];
    EXPECT_FLOAT_EQ(s.g, c.out[1]);
    EXPECT_FLOAT_EQ(s.b, c.out[2]);
  }
}

class ColourWheel : public ::testing::Test {
 protected:
  ColourWheel() {
    gStudentListOpen = true;
    gColourPopupOpen = true;
    gSelectedStudentRow = 4;
    gStudentRowStudents = {3, 4};
    gStudentRowRects = {{100, 100, 200, 20}, {100, 130, 200, 20}};
    gClientWidth = 1600;
    gClientHeight = 900;
  }
  ~ColourWheel() override {
    gStudentListOpen = gColourPopupOpen = false;
    gSelectedStudentRow = -1;
    gStudentRowStudents.clear();
    gStudentRowRects.clear();
  }
};

TEST_F(ColourWheel, PopupGeometry) {
  struct Case {
    const char* what;
    RectF row;
    int width, height;
    RectF box;
    float cx, cy, radius;
  } cases[] = {
      // D = 140 (78 raised), pad 10, box 160 x 174, right of the row.
      {"row of height 20", {100, 130, 200, 20}, 1600, 900, {310, 99.2f, 160, 174}, 390, 179.2f, 70},
      // D = 156, pad 10, box 176 x 190.
      {"row of height 40", {100, 130, 200, 40}, 1600, 900, {310, 95.68f, 176, 190}, 398, 183.68f, 78},
      // At the right edge the box opens to the left of the row.
      {"row at the right edge", {1400, 300, 190, 20}, 1600, 900, {1230, 269.2f, 160, 174}, 1310, 349.2f, 70},
      // s = 0.7: pad 8 (7 raised), strip 12; the bottom edge pushes the box up.
      {"small window near the bottom", {100, 560, 150, 20}, 800, 600, {258, 422, 156, 168}, 336, 500, 70},
      // Off the top: held at 10.
      {"row at the top", {100, 0, 150, 20}, 1600, 900, {260, 10, 160, 174}, 340, 90, 70},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gStudentRowRects[1] = c.row;
    gClientWidth = c.width;
    gClientHeight = c.height;
    RectF box;
    float cx, cy, radius;
    ASSERT_TRUE(ShowColourPopup(&box, &cx, &cy, &radius));
    EXPECT_NEAR(box.x, c.box.x, 1e-3);
    EXPECT_NEAR(box.y, c.box.y, 1e-3);
    EXPECT_NEAR(box.w, c.box.w, 1e-3);
    EXPECT_NEAR(box.h, c.box.h, 1e-3);
    EXPECT_NEAR(cx, c.cx, 1e-3);
    EXPECT_NEAR(cy, c.cy, 1e-3);
    EXPECT_NEAR(radius, c.radius, 1e-3);
  }
}

TEST_F(ColourWheel, NoPopupWithoutAnOpenListPopupOrRow) {
  RectF box;
  float cx, cy, radius, r, g, b;
  ASSERT_TRUE(ShowColourPopup(&box, &cx, &cy, &radius));
  gSelectedStudentRow = 9;   // not laid out
  EXPECT_FALSE(ShowColourPopup(&box, &cx, &cy, &radius));
  gSelectedStudentRow = 4;
  gStudentRowRects.resize(1);   // laid out without a rectangle
  EXPECT_FALSE(ShowColourPopup(&box, &cx, &cy, &radius));
  gStudentRowRects.resize(2);
  gColourPopupOpen = false;
  EXPECT_FALSE(ShowColourPopup(&box, &cx, &cy, &radius));
  EXPECT_FALSE(PickWheelColour(390, 179, &r, &g, &b));
  gColourPopupOpen = true;
  gStudentListOpen = false;
  EXPECT_FALSE(ShowColourPopup(&box, &cx, &cy, &radius));
}

TEST_F(ColourWheel, PickMapsAngleToHueAndDistanceToSaturation) {
  // Row of height 20 at (100, 130): centre (390, 179.2), radius 70. Use a centre on whole pixels.
  gStudentRowRects[1] = {100, 130.8f, 200, 20};   // centre y = 130.8 - 30.8 + 10 + 70 = 180
  struct Case {
    const char* what;
    int x, y;
    bool hit;
    float r, g, b;
  } cases[] = {
      {"centre is white", 390, 180, true, 1, 1, 1},
      {"right rim is red", 460, 180, true, 1, 0, 0},
      {"below is a quarter turn clockwise", 390, 250, true, 0.5f, 1, 0},
      {"left rim is cyan", 320, 180, true, 0, 1, 1},
      {"above is three quarters", 390, 110, true, 0.5f, 0, 1},
      {"half way right is pink", 425, 180, true, 1, 0.5f, 0.5f},
      {"one pixel outside the rim", 461, 180, false, 0, 0, 0},
      {"outside diagonally", 440, 230, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    float r = -1, g = -1, b = -1;
    ASSERT_EQ(PickWheelColour(c.x, c.y, &r, &g, &b), c.hit);
    if (!c.hit) continue;
    EXPECT_NEAR(r, c.r, 1e-4);
    EXPECT_NEAR(g, c.g, 1e-4);
    EXPECT_NEAR(b, c.b, 1e-4);
  }
}
