// board/toolbar: the toolbar's buttons and their icons.
//
// Only the practice-run flag and the day/night toggle are laid out; the other view states have
// their own controls. The toolbar draws but takes no clicks: the layout copies the two buttons'
// rectangles into the practice-run button and the day toggle, whose owners handle them.
#include "board/toolbar.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/shapes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "practice/practice_run_state.h"

// ---- constants ----
constexpr float kIdleColour[3] = {0.175f, 0.18f, 0.203f};
constexpr float kFlagLitColour[3] = {0.52f, 0.4f, 0.13f};
constexpr float kDayLitColour[3] = {0.31f, 0.319f, 0.36f};
constexpr float kWagSeconds = 0.8f;

// ---- state ----
static int gToolbarSeenPracticeState = kPracticeOff;   // the practice-run state last seen
static double gToolbarPracticeChangeTime = -1.0;       // app time of its last change, -1 none

// ---- internal helpers ----
static bool IsHovered(const RectF& r) { return r.w > 0.0f && IsMouseInRect(&r); }

// The chequered flag on its pole, rotated about the button's centre.
static void DrawFlagIcon(float cx, float cy, float h, bool hovered, float angle) {
  const float s = 0.62f * h, a = 0.97f;
  float r = hovered ? 0.98f : 0.84f, g = hovered ? 0.96f : 0.88f, b = hovered ? 0.72f : 0.94f;
  glPushMatrix();
  glTranslatef(cx, cy, 0.0f);
  glRotatef(angle, 0.0f, 0.0f, 1.0f);
  float poleX = -0.3f * s, top = -0.4f * s;
  glLineWidth(std::max(0.07f * s, 1.2f));
  SetGlColor(r, g, b, 0.9f * a);
  DrawLine(poleX, top, poleX, 0.42f * s);
  glLineWidth(1.0f);
  float fx = poleX + std::max(0.04f * s, 1.0f), sq = 0.14f * s;
  SetGlColor(r, g, b, a);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col)
      if ((row + col) % 2 == 0) FillRect(fx + (float)col * sq, top + (float)row * (0.4f * s / 3.0f), sq, 0.4f * s / 3.0f);
  SetGlColor(r, g, b, 0.55f * a);
  StrokeRect(fx, top, 0.56f * s, 0.4f * s);
  glPopMatrix();
}

static void DrawSunIcon(float cx, float cy, float h) {
  const float radius = 0.235f * h, len = std::max(0.115f * h, 2.0f), half = std::max(0.03f * h, 0.9f);
  SetGlColor(1.0f, 0.86f, 0.36f, 0.97f);
  FillDisc(cx, cy, radius, 28);
  glBegin(GL_QUADS);
  for (int i = 0; i < 8; ++i) {
    float ang = 0.7853982f * (float)i, dx = std::cos(ang), dy = std::sin(ang), nx = -dy, ny = dx;
    float r0 = 1.42f * radius, r1 = r0 + len, h1 = 0.6f * half;
    glVertex2f(cx + dx * r0 + nx * half, cy + dy * r0 + ny * half);
    glVertex2f(cx + dx * r1 + nx * h1, cy + dy * r1 + ny * h1);
    glVertex2f(cx + dx * r1 - nx * h1, cy + dy * r1 - ny * h1);
    glVertex2f(cx + dx * r0 - nx * half, cy + dy * r0 - ny * half);
  }
  glEnd();
}

// A crescent: a disc with a second disc in the button's own colour cut out of it, and a star.
static void DrawMoonIcon(float cx, float cy, float h, const float body[3]) {
  const float r = 0.3f * h, mx = cx - 0.045f * h, my = cy + 0.03f * h;
  SetGlColor(0.9f, 0.93f, 1.0f, 0.95f);
  FillDisc(mx, my, r, 28);
  SetGlColor(body[0], body[1], body[2], 1.0f);
  FillDisc(mx + 0.44f * r, my - 0.2f * r, 0.86f * r, 28);
  float sx = cx + 0.24f * h, sy = cy - 0.2f * h, o = 0.085f * h, in = 0.025f * h;
  SetGlColor(0.92f, 0.95f, 1.0f, 0.9f);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(sx, sy);
  const float pts[9][2] = {{0, -o}, {in, -in}, {o, 0}, {in, in}, {0, o}, {-in, in}, {-o, 0}, {-in, -in}, {0, -o}};
  for (const auto& p : pts) glVertex2f(sx + p[0], sy + p[1]);
  glEnd();
}

// ---- public functions ----
void DrawToolbarButton(const RectF& rc, bool lit, bool hovered, const float litRgb[3], const float idleRgb[3]) {
  const float r = std::max(0.26f * rc.h, 3.0f);
  float c[3] = {lit ? litRgb[0] : idleRgb[0], lit ? litRgb[1] : idleRgb[1], lit ? litRgb[2] : idleRgb[2]};
  if (hovered) {
    SetGlColor(0.62f, 0.72f, 0.95f, 0.16f);
    FillRoundedRect(rc.x - 3.0f, rc.y - 3.0f, rc.w + 6.0f, rc.h + 6.0f, r + 2.5f, 14);
    for (float& ch : c) ch = std::min(ch * 1.14f, 1.0f);
  }
  SetGlColor(c[0], c[1], c[2], lit ? (hovered ? 0.96f : 0.9f) : (hovered ? 0.88f : 0.74f));
  FillRoundedRect(rc.x, rc.y, rc.w, rc.h, r, 12);
  SetGlColor(0.8f, 0.85f, 0.96f, lit ? 0.55f : (hovered ? 0.44f : 0.22f));
  StrokeRoundedRect(rc.x + 0.5f, rc.y + 0.5f, rc.w - 1.0f, rc.h - 1.0f, r, 12);
}

void NoteToolbarPracticeState(int state, double now) {
  if (state == gToolbarSeenPracticeState) return;
  gToolbarSeenPracticeState = state;
  gToolbarPracticeChangeTime = now;
}

float ToolbarFlagAngle(double now) {
  float t = (float)(now - gToolbarPracticeChangeTime);
  if (gToolbarPracticeChangeTime < 0.0 || t < 0.0f || t >= kWagSeconds) return -38.0f;
  return 30.0f * std::sin(17.0f * t) * std::exp(-4.6f * t) - 38.0f;
}

void ResetToolbar() {
  gToolbarSeenPracticeState = kPracticeOff;
  gToolbarPracticeChangeTime = -1.0;
}

void DrawToolbar() {
  double now = GetAppSeconds();
  NoteToolbarPracticeState(gPracticeState, now);
  if (gToolbarPanelRect.w <= 2.0f) return;

  const RectF& flag = gToolbarRects[6];
  if (flag.w > 0.0f) {
    bool hovered = IsHovered(flag);
    DrawToolbarButton(flag, gPracticeState != kPracticeOff, hovered, kFlagLitColour, kIdleColour);
    DrawFlagIcon(flag.x + flag.w / 2.0f, flag.y + flag.h / 2.0f, flag.h, hovered, ToolbarFlagAngle(now));
  }
  if (gToolbarRects[7].w > 0.0f) DrawDayModeButton(gToolbarRects[7]);
}

void DrawDayModeButton(const RectF& day) {
  bool hovered = IsHovered(day), lit = gBackdropTint;
  DrawToolbarButton(day, lit, hovered, kDayLitColour, kIdleColour);
  float cx = day.x + day.w / 2.0f, cy = day.y + day.h / 2.0f;
  if (lit) {
    DrawSunIcon(cx, cy, day.h);
  } else {
    float body[3];
    for (int i = 0; i < 3; ++i) body[i] = std::min(kIdleColour[i] * (hovered ? 1.14f : 1.0f), 1.0f);
    DrawMoonIcon(cx, cy, day.h, body);
  }
}
