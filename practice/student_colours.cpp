// practice/student_colours: colour repair and the colour wheel's geometry and mapping.
//
// The wheel maps angle to hue (0 to the right of the centre, growing clockwise on screen) and
// distance to saturation (white at the centre, full colour at the rim), at full value.
#include "practice/student_colours.h"

#include <algorithm>
#include <cmath>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "gfx/layout.h"
#include "gfx/rect.h"

// ---- public functions ----
void NormalizeStudentColour(Student& student) {
  // NaN from a damaged file must not survive the clamp.
  auto clamp01 = [](float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); };
  student.r = clamp01(student.r);
  student.g = clamp01(student.g);
  student.b = clamp01(student.b);
  if (std::max({student.r, student.g, student.b}) < 0.06f) {
    student.r = kDefaultStudentColour[0];
    student.g = kDefaultStudentColour[1];
    student.b = kDefaultStudentColour[2];
  }
}

bool ShowColourPopup(RectF* box, float* cx, float* cy, float* radius) {
  if (!gStudentListOpen || !gColourPopupOpen || gSelectedStudentRow < 0) return false;
  int row = -1;
  for (size_t i = 0; i < gStudentRowStudents.size(); ++i) {
    if (gStudentRowStudents[i] == gSelectedStudentRow) {
      row = (int)i;
      break;
    }
  }
  if (row < 0 || row >= (int)gStudentRowRects.size()) return false;
  const RectF& r = gStudentRowRects[row];
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float s = std::clamp(std::min(W, H) / 900.0f, 0.7f, 1.6f);
  float D = std::max(3.9f * r.h, 140.0f);
  float pad = std::max(10.0f * s, 8.0f);
  float bw = D + 2.0f * pad;
  float bh = bw + std::max(14.0f * s, 12.0f);
  float bx = r.x + r.w + pad;
  if (bx + bw > W - 10.0f) bx = r.x - bw - pad;
  bx = std::max(bx, 10.0f);
  float by = r.y - 0.22f * D;
  if (by + bh > H - 10.0f) by = H - 10.0f - bh;
  by = std::max(by, 10.0f);
  *box = RectF{bx, by, bw, bh};
  *cx = bx + bw / 2.0f;
  *cy = by + pad + D / 2.0f;
  *radius = D / 2.0f;
  return true;
}

bool PickWheelColour(int x, int y, float* r, float* g, float* b) {
  RectF box;
  float cx, cy, radius;
  if (!ShowColourPopup(&box, &cx, &cy, &radius)) return false;
  double dx = x - cx, dy = y - cy;
  double distance = std::sqrt(dx * dx + dy * dy);
  if (distance > radius) return false;
  double hue = std::atan2(dy, dx) / (2.0 * M_PI);
  hue -= std::floor(hue);
  double saturation = std::clamp(distance / std::max((double)radius, 0.0001), 0.0, 1.0);
  HsvToRgb((float)hue, (float)saturation, 1.0f, r, g, b);
  return true;
}
