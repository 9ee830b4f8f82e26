// gfx/rounded_rect: rounded rectangles in immediate mode. The fill is four corner fans plus the
// bands between them, sent as one batch of triangles; the outline is one line loop through the
// four corner arcs.
#include "gfx/rounded_rect.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "gfx/draw_alpha.h"

// ---- constants ----
static constexpr float kPi = 3.14159265358979f;
static constexpr int kMaxStrokeSteps = 84;  // largest outline step count

// ---- internal helpers ----

// The current colour once more inside the batch. GL then keeps a colour in every vertex, and a
// colour set between two shapes no longer makes the driver hand its pending vertices to the
// rasteriser: on a software renderer that costs about as much as drawing the shape.
static void RepeatColour() { glColor4fv(CurrentGlColor()); }

// Corner centres and start angles in drawing order: top-left, top-right, bottom-right, bottom-left.
static void CornerCentres(float x, float y, float w, float h, float r, float cx[4], float cy[4]) {
  cx[0] = x + r;     cy[0] = y + r;
  cx[1] = x + w - r; cy[1] = y + r;
  cx[2] = x + w - r; cy[2] = y + h - r;
  cx[3] = x + r;     cy[3] = y + h - r;
}
static constexpr float kStartDegrees[4] = {180.0f, 270.0f, 0.0f, 90.0f};

static void ArcPoint(float cx, float cy, float r, int corner, int step, int steps, float* px, float* py) {
  float a = (kStartDegrees[corner] + 90.0f * float(step) / float(steps)) * kPi / 180.0f;
  *px = cx + r * std::cos(a);
  *py = cy + r * std::sin(a);
}

// ---- public functions ----

float LimitCornerRadius(float w, float h, float radius) {
  return std::max(std::min(radius, std::min(w, h) / 2.0f - 0.5f), 0.0f);
}

int RoundedFillSteps(float r, int segments) {
  long n = std::lround(std::clamp(0.7f * r, 0.0f, 26.0f)) + std::max(segments, 8);
  return int(std::clamp<long>(n, 8, 72));
}

int RoundedStrokeSteps(float r, int segments) {
  long n = std::lround(std::clamp(0.8f * r, 0.0f, 30.0f)) + std::max(segments, 12);
  return int(std::clamp<long>(n, 12, kMaxStrokeSteps));
}

void FillRoundedRect(float x, float y, float w, float h, float radius, int segments) {
  if (!(w > 0) || !(h > 0)) return;
  float r = LimitCornerRadius(w, h, radius);
  int n = RoundedFillSteps(r, segments);
  float cx[4], cy[4];
  CornerCentres(x, y, w, h, r, cx, cy);
  // One batch of separate triangles, the fans' and the bands' own, where there were five: Mesa hands
  // its pending vertices on after every 64 batches, and triangles from shape to shape join into one.
  glBegin(GL_TRIANGLES);
  RepeatColour();
  if (r > 0) {
    for (int c = 0; c < 4; ++c) {
      float px, py;
      ArcPoint(cx[c], cy[c], r, c, 0, n, &px, &py);
      for (int i = 1; i <= n; ++i) {
        float qx, qy;
        ArcPoint(cx[c], cy[c], r, c, i, n, &qx, &qy);
        glVertex2f(cx[c], cy[c]);
        glVertex2f(px, py);
        glVertex2f(qx, qy);
        px = qx, py = qy;
      }
    }
  }
  // The middle column and the two side strips between the corners meet without overlapping: a
  // see-through fill covered twice in the middle would be darker there than at its edges.
  auto quad = [](float x0, float y0, float x1, float y1) {
    glVertex2f(x0, y0), glVertex2f(x1, y0), glVertex2f(x1, y1);
    glVertex2f(x0, y0), glVertex2f(x1, y1), glVertex2f(x0, y1);
  };
  quad(x + r, y, x + w - r, y + h);
  if (r > 0) {
    quad(x, y + r, x + r, y + h - r);
    quad(x + w - r, y + r, x + w, y + h - r);
  }
  glEnd();
}

void RoundedOutlinePoints(float x, float y, float w, float h, float radius, int segments, float* out, int* count,
                          int capacity) {
  *count = 0;
  if (!(w > 0) || !(h > 0)) return;
  float r = LimitCornerRadius(w, h, radius);
  auto put = [&](float px, float py) {
    if (*count < capacity) {
      out[2 * *count] = px;
      out[2 * *count + 1] = py;
    }
    ++*count;
  };
  if (r <= 0.5f) {
    put(x + 0.5f, y + 0.5f);
    put(x + w - 0.5f, y + 0.5f);
    put(x + w - 0.5f, y + h - 0.5f);
    put(x + 0.5f, y + h - 0.5f);
    return;
  }
  int n = RoundedStrokeSteps(r, segments);
  float cx[4], cy[4];
  CornerCentres(x, y, w, h, r, cx, cy);
  for (int c = 0; c < 4; ++c)
    for (int i = 0; i <= n; ++i) {
      float px, py;
      ArcPoint(cx[c], cy[c], r, c, i, n, &px, &py);
      put(px, py);
    }
}

void StrokeRoundedRect(float x, float y, float w, float h, float radius, int segments) {
  float points[2 * 4 * (kMaxStrokeSteps + 1)];
  int count = 0;
  RoundedOutlinePoints(x, y, w, h, radius, segments, points, &count, 4 * (kMaxStrokeSteps + 1));
  if (count == 0) return;
  glBegin(GL_LINE_LOOP);
  RepeatColour();
  for (int i = 0; i < count; ++i) glVertex2f(points[2 * i], points[2 * i + 1]);
  glEnd();
}
