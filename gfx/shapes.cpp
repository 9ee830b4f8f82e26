// gfx/shapes: the plain immediate-mode shapes.
#include "gfx/shapes.h"

#include <GL/gl.h>

#include <cmath>

#include "gfx/draw_alpha.h"

// ---- public functions ----
void FillGradientRect(float x, float y, float w, float h, const float top[4], const float bottom[4]) {
  glBegin(GL_QUADS);
  SetGlColor(top[0], top[1], top[2], top[3]);
  glVertex2f(x, y);
  glVertex2f(x + w, y);
  SetGlColor(bottom[0], bottom[1], bottom[2], bottom[3]);
  glVertex2f(x + w, y + h);
  glVertex2f(x, y + h);
  glEnd();
}

void FillRect(float x, float y, float w, float h) {
  if (w <= 0.0f || h <= 0.0f) return;
  glBegin(GL_QUADS);
  glVertex2f(x, y);
  glVertex2f(x + w, y);
  glVertex2f(x + w, y + h);
  glVertex2f(x, y + h);
  glEnd();
}

void StrokeRect(float x, float y, float w, float h) {
  glBegin(GL_LINE_LOOP);
  glVertex2f(x, y);
  glVertex2f(x + w, y);
  glVertex2f(x + w, y + h);
  glVertex2f(x, y + h);
  glEnd();
}

void DrawLine(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINES);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glEnd();
}

void FillEllipse(float cx, float cy, float rx, float ry, int segments) {
  if (rx <= 0.0f || ry <= 0.0f || segments < 3) return;
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(cx, cy);
  for (int i = 0; i <= segments; ++i) {
    float a = 6.2831853f * (float)i / (float)segments;
    glVertex2f(cx + rx * std::cos(a), cy + ry * std::sin(a));
  }
  glEnd();
}

void FillDisc(float cx, float cy, float radius, int segments) { FillEllipse(cx, cy, radius, radius, segments); }

void StrokeCircle(float cx, float cy, float radius, int segments) {
  if (radius <= 0.0f || segments < 3) return;
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < segments; ++i) {
    float a = 6.2831853f * (float)i / (float)segments;
    glVertex2f(cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
  glEnd();
}
