// Student colours: repair of stored colours, the popup's geometry and the wheel's mapping.
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "gfx/layout.h"
#include "practice/student_colours.h"

TEST(StudentColours, NormalizeClampsAndReplacesColoursTooDarkToSee) {
  struct Case { float in[3]; float out[3]; } cases[] = {
      {{0.05f, 0.05f, 0.05f}, {0.3f, 0.48f, 0.76f}},
      {{2.0f, -1.0f, 0.5f}, {1.0f, 0.0f, 0.5f}},
      {{NAN, 0.5f, NAN}, {0.0f, 0.5f, 0.0f}},
      {{INFINITY, 0.2f, 0.2f}, {1.0f, 0.2f, 0.2f}},
  };
  for (const Case& c : cases) {
    Student s;
    s.r = c.in[0], s.g = c.in[1], s.b = c.in[2];
    NormalizeStudentColour(s);
    EXPECT_EQ(std::make_tuple(s.r, s.g, s.b), std::make_tuple(c.out[0], c.out[1], c.out[2])) << c.in[0] << " " << c.in[1];
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

TEST_F(ColourWheel, PickMapsAngleToHueAndDistanceToSaturation) {
  // Row of height 20 at (100, 130): centre (390, 179.2), radius 70. Use a centre on whole pixels.
  gStudentRowRects[1] = {100, 130.8f, 200, 20};   // centre y = 130.8 - 30.8 + 10 + 70 = 180
  struct Case { const char* what; int x, y; bool hit; float r, g, b; } cases[] = {
      {"centre is white", 390, 180, true, 1, 1, 1},
      {"right rim is red", 460, 180, true, 1, 0, 0},
      {"below is a quarter turn clockwise", 390, 250, true, 0.5f, 1, 0},
      {"half way right is pink", 425, 180, true, 1, 0.5f, 0.5f},
      {"one pixel outside the rim", 461, 180, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    float r = -1, g = -1, b = -1;
    ASSERT_EQ(PickWheelColour(c.x, c.y, &r, &g, &b), c.hit);
    if (!c.hit) continue;
    EXPECT_NEAR(r + g * 10 + b * 100, c.r + c.g * 10 + c.b * 100, 1e-3);
  }
}
