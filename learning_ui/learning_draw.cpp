// learning_ui/learning_draw: shared drawing pieces of the learning screens.
#include "learning_ui/learning_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/widgets_draw.h"
#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/mastery_figures.h"

// ---- constants ----
static const float kLevelColours[6][3] = {{0.42f, 0.46f, 0.54f}, {0.34f, 0.8f, 0.42f}, {0.62f, 0.83f, 0.34f},
                                          {0.95f, 0.78f, 0.4f},  {0.96f, 0.55f, 0.3f}, {0.95f, 0.36f, 0.45f}};
static const float kPi = 3.14159265f;

// ---- internal helpers ----
static bool MouseIn(const RectF& r) { return PointInRect(r, gMouseX, gMouseY); }

static void FillCircleAt(float cx, float cy, float radius) { FillRoundedRect(cx - radius, cy - radius, 2 * radius, 2 * radius, radius, 8); }

// ---- public functions ----
void FillRoundedGradientRect(float x, float y, float w, float h, float radius, const float top[4],
                             const float bottom[4]) {
  if (w <= 0.0f || h <= 0.0f) return;
  radius = ClampFloat(radius, 0.0f, std::min(w, h) / 2.0f);
  const int steps = 8;
  // Rows down the corner arcs, then straight down the middle: one strip of left-right pairs.
  float ys[2 * steps + 2];
  int n = 0;
  for (int i = 0; i <= steps; ++i) ys[n++] = y + radius * i / steps;
  for (int i = 0; i <= steps; ++i) ys[n++] = y + h - radius + radius * i / steps;
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i < n; ++i) {
    float yy = ys[i];
    float d = 0.0f;
    if (yy < y + radius) d = y + radius - yy;
    if (yy > y + h - radius) d = yy - (y + h - radius);
    float inset = radius - std::sqrt(std::max(radius * radius - d * d, 0.0f));
    float t = (yy - y) / h;
    SetGlColor(top[0] + (bottom[0] - top[0]) * t, top[1] + (bottom[1] - top[1]) * t, top[2] + (bottom[2] - top[2]) * t,
               top[3] + (bottom[3] - top[3]) * t);
    glVertex2f(x + inset, yy);
    glVertex2f(x + w - inset, yy);
  }
  glEnd();
}

void FillRoundedRimRect(float x, float y, float w, float h, float radius, float rim, const float colour[4]) {
  if (w <= 2 * rim || h <= 2 * rim) return;
  radius = ClampFloat(radius, 0.0f, std::min(w, h) / 2.0f);
  const float inner = std::max(radius - rim, 0.0f);
  const int steps = 8;
  // One strip between the outer outline and the inner one, corner by corner.
  const float cx[4] = {x + radius, x + w - radius, x + w - radius, x + radius};
  const float cy[4] = {y + radius, y + radius, y + h - radius, y + h - radius};
  const float start[4] = {kPi, 1.5f * kPi, 0.0f, 0.5f * kPi};
  SetGlColor(colour[0], colour[1], colour[2], colour[3]);
  glBegin(GL_QUAD_STRIP);
  for (int c = 0; c < 4; ++c)
    for (int i = 0; i <= steps; ++i) {
      float a = start[c] + 0.5f * kPi * i / steps;
      glVertex2f(cx[c] + radius * std::cos(a), cy[c] + radius * std::sin(a));
      glVertex2f(cx[c] + inner * std::cos(a), cy[c] + inner * std::sin(a));
    }
  glVertex2f(cx[0] - radius, cy[0]);
  glVertex2f(cx[0] - inner, cy[0]);
  glEnd();
}

void DrawPillButton(const RectF& r, const std::string& label, int style, bool enabled, float nudge, float yOffset,
                    float opacity) {
  static const float kTop[3][3] = {{0.18f, 0.22f, 0.31f}, {0.36f, 0.31f, 0.14f}, {0.46f, 0.12f, 0.15f}};
  static const float kBottom[3][3] = {{0.1f, 0.13f, 0.2f}, {0.2f, 0.17f, 0.08f}, {0.22f, 0.055f, 0.075f}};
  static const float kOutline[3][3] = {{0.55f, 0.72f, 1.0f}, {0.96f, 0.8f, 0.34f}, {1.0f, 0.28f, 0.32f}};
  style = ClampInt(style, 0, 2);
  bool hovered = enabled && MouseIn(r);
  float alpha = (style == 0 ? (enabled ? 0.96f : 0.42f) : (enabled ? 0.98f : 0.45f)) * opacity;
  float radius = r.h / 2.0f;
  float top[4] = {kTop[style][0], kTop[style][1], kTop[style][2], alpha};
  float bottom[4] = {kBottom[style][0], kBottom[style][1], kBottom[style][2], alpha};
  FillRoundedGradientRect(r.x, r.y, r.w, r.h, radius, top, bottom);
  glLineWidth(1.0f);
  SetGlColor(kOutline[style][0], kOutline[style][1], kOutline[style][2],
             (enabled ? (hovered ? 0.95f : 0.68f) : 0.25f) * opacity);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, radius, 12);
  if (label.empty()) return;
  float size = ClampFloat(0.235f * r.h, 6.5f, 8.0f);
  float labelW = MeasureText(gFontSmall, label, size);
  float cr = 0.48f, cg = 0.52f, cb = 0.6f, ca = 0.62f * opacity;
  if (enabled) cr = 0.98f, cg = style == 2 ? 0.86f : 0.96f, cb = style == 2 ? 0.88f : 1.0f, ca = 0.98f * opacity;
  // A translated word wider than the pill's straight middle ("WÄHLEN", "ВЫБРАТЬ") is set smaller
  // rather than drawn against the outline.
  const float margin = std::max(0.3f * r.h, 4.0f);
  if (labelW > r.w - 2.0f * margin) {
    DrawTextFitted(gFontSmall, r.x + margin, r.x + r.w - margin, RectF{r.x, r.y + yOffset, r.w, r.h}, label, cr, cg,
                   cb, ca);
    return;
  }
  float x = r.x + ClampFloat((r.w - labelW) / 2.0f - size * nudge, margin, r.w - labelW - margin);
  float y = r.y + r.h / 2.0f + 0.62f * size + yOffset;
  DrawTextUtf8(gFontSmall, x, y, label, cr, cg, cb, ca);
}

void DrawStar(float cx, float cy, float radius, float r, float g, float b, float a) {
  SetGlColor(r, g, b, a);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(cx, cy);
  for (int i = 0; i <= 10; ++i) {
    float angle = (i * 36.0f - 90.0f) * kPi / 180.0f;
    float rr = (i % 2 == 0) ? radius : 0.46f * radius;
    glVertex2f(cx + rr * std::cos(angle), cy + rr * std::sin(angle));
  }
  glEnd();
}

void LevelColour(int level, float* r, float* g, float* b) {
  int i = (level >= 0 && level <= 4) ? level : 5;
  *r = kLevelColours[i][0];
  *g = kLevelColours[i][1];
  *b = kLevelColours[i][2];
}

void DrawMasteryBadge(const LibraryItem& item, const RectF& r) {
  bool hovered = MouseIn(r);
  bool mastered = IsItemMastered(item);
  SetGlColor(0.025f, 0.035f, 0.055f, hovered ? 0.92f : 0.7f);
  FillRoundedRect(r.x, r.y, r.w, r.h, 0.42f * r.h, 10);
  glLineWidth(1.0f);
  if (mastered)
    SetGlColor(0.96f, 0.8f, 0.34f, hovered ? 0.68f : 0.28f);
  else
    SetGlColor(0.5f, 0.68f, 0.96f, hovered ? 0.68f : 0.28f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, 0.42f * r.h, 10);
  float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f;
  if (mastered) {
    SetGlColor(0.98f, 0.82f, 0.34f, 0.18f);
    FillRoundedRect(cx - 4.92f, cy - 4.92f, 9.84f, 9.84f, 4.92f, 8);
    SetGlColor(0.96f, 0.8f, 0.32f, 0.94f);
    glBegin(GL_QUADS);
    glVertex2f(cx, cy - 6.0f);
    glVertex2f(cx + 6.0f, cy);
    glVertex2f(cx, cy + 6.0f);
    glVertex2f(cx - 6.0f, cy);
    glEnd();
    SetGlColor(0.1f, 0.16f, 0.12f, 0.96f);
    glLineWidth(1.08f);
    glBegin(GL_LINE_STRIP);
    glVertex2f(cx - 2.52f, cy + 0.12f);
    glVertex2f(cx - 0.6f, cy + 2.1f);
    glVertex2f(cx + 2.88f, cy - 2.04f);
    glEnd();
    glLineWidth(1.0f);
    return;
  }
  float overall = ComputeMasteryProgress(item).overall;
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", (int)std::floor(overall * 100.0f + 0.5f));
  DrawTextUtf8(gFontSmall, r.x + 7.0f, r.y + r.h / 2.0f + 2.0f, text, 0.8f, 0.88f, 1.0f, 0.94f);
  float trackW = r.w - 14.0f, trackY = r.y + r.h - 6.0f;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
  FillRoundedRect(r.x + 7.0f, trackY, trackW, 3.0f, 1.5f, 4);
  SetGlColor(0.52f, 0.72f, 1.0f, 0.9f);
  FillRoundedRect(r.x + 7.0f, trackY, std::max(overall * trackW, 1.0f), 3.0f, 1.5f, 4);
  SetGlColor(0.98f, 0.82f, 0.34f, 0.72f);
  glBegin(GL_QUADS);
  float tickX = r.x + 7.0f + trackW - 1.0f;
  glVertex2f(tickX, trackY - 1.5f);
  glVertex2f(tickX + 1.0f, trackY - 1.5f);
  glVertex2f(tickX + 1.0f, trackY + 4.5f);
  glVertex2f(tickX, trackY + 4.5f);
  glEnd();
}

void DrawRetentionDots(const LibraryItem& item, const RectF& r) {
  auto found = gMasteryRecords.find(item.id);
  const MasteryRecord* record = found == gMasteryRecords.end() ? nullptr : &found->second;
  int filled = IsItemMastered(item) ? 2 : (record ? std::min(record->distinct_pass_days, 2) : 0);
  bool progressing = filled < 2 && record && (record->attempts > 0 || record->passes > record->distinct_pass_days);
  float cy = r.y + r.h / 2.0f;
  glLineWidth(1.0f);
  for (int i = 0; i < 2; ++i) {
    float cx = RetentionDotsLeft(r) + 16.0f * i + 5.5f;
    if (i < filled) {
      SetGlColor(0.3f, 0.82f, 0.44f, 0.97f);
      FillCircleAt(cx, cy, 5.5f);
    } else if (i == filled && progressing) {
      SetGlColor(0.96f, 0.72f, 0.28f, 0.92f);
      FillCircleAt(cx, cy, 5.5f);
      SetGlColor(0.1f, 0.12f, 0.16f, 0.85f);
      FillCircleAt(cx, cy, 2.2f);
      SetGlColor(0.99f, 0.84f, 0.46f, 0.95f);
      StrokeRoundedRect(cx - 5.5f, cy - 5.5f, 11.0f, 11.0f, 5.5f, 8);
    } else {
      SetGlColor(0.32f, 0.37f, 0.43f, 0.55f);
      FillCircleAt(cx, cy, 5.5f);
      SetGlColor(0.92f, 0.95f, 1.0f, 0.85f);
      StrokeRoundedRect(cx - 5.5f, cy - 5.5f, 11.0f, 11.0f, 5.5f, 8);
    }
  }
}
