// learning_ui/learning_frame: backdrop, panel, scrollbar, side labels and scroll hint.
#include "learning_ui/learning_frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/library_view_state.h"
#include "learning/schedule.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/learning_views.h"

// ---- constants ----
static const float kPi = 3.14159265f;
static const float kGold[3] = {0.98f, 0.84f, 0.42f};
static const float kWhite[3] = {0.96f, 0.98f, 1.0f};

// ---- internal helpers ----
static float Frac(float v) { return v - std::floor(v); }

// Where the side labels would stand: their x and their room.
static float SideLabelRoom(const LearningLayout& l, const RectF& track, float* x) {
  *x = track.x + track.w + 9.0f;
  return (l.detailW > 0.0f ? l.contentRight : l.x + l.width) - 8.0f - *x;
}

// The fractional label position and the nearest label under the scroll.
static float LabelPosition(const LearningLayout& l, int count, int* nearest) {
  float maxScroll = MaxLibraryScroll(l);
  float f = (count - 1) * ClampFloat(maxScroll > 0.0f ? gLibraryScroll / maxScroll : 0.0f, 0.0f, 1.0f);
  *nearest = (int)std::lround(f);
  return f;
}

// ---- public functions ----
float LearningBackdropFade(float secondsOpen) {
  float p = ClampFloat(secondsOpen / 1.15f, 0.0f, 1.0f);
  return p * p * (3.0f - 2.0f * p);
}

void DrawLearningBackdrop(const LearningLayout& l, float W, float H) {
  uint32_t now = LearningMsStamp();
  if (gLibraryOpenedMs == 0) gLibraryOpenedMs = now;
  float t = (float)(now - gLibraryOpenedMs) / 1000.0f;
  float e = LearningBackdropFade(t);
  SetGlColor(0.01f, 0.015f, 0.03f, 0.18f + 0.48f * e);
  // The dimming leaves out the panel's inside, which the nearly opaque panel hides anyway; on a
  // software rasteriser a full-window layer costs milliseconds.
  const float ix0 = l.x + 24.0f, iy0 = l.top + 24.0f, ix1 = l.x + l.width - 24.0f, iy1 = l.top + l.height - 24.0f;
  const float bands[4][4] = {{0, 0, W, iy0}, {0, iy1, W, H}, {0, iy0, ix0, iy1}, {ix1, iy0, W, iy1}};
  glBegin(GL_QUADS);
  for (const auto& b : bands) {
    glVertex2f(b[0], b[1]);
    glVertex2f(b[2], b[1]);
    glVertex2f(b[2], b[3]);
    glVertex2f(b[0], b[3]);
  }
  glEnd();
  float bottom = l.top + l.height;
  for (int i = 0; i < 38; ++i) {
    float u = Frac(0.6180339f * i + 0.137f);
    float v = Frac((0.032f + 0.004f * (i % 6)) * t + u);
    float x = Frac(1.73f * u + 0.11f) * W;
    float radius = 1.2f + 0.15f * ((7 * i) % 11);
    float alpha = std::sin(kPi * v) * e * (0.16f + 0.03f * ((5 * i) % 9));
    if (alpha <= 0.0f) continue;
    DrawStar(x, l.top - v * (l.top + 22.0f), radius, 0.62f, 0.76f, 1.0f, alpha);
    DrawStar(x, bottom + v * (H - bottom + 22.0f), radius, 0.62f, 0.76f, 1.0f, alpha);
  }
}

void DrawLearningPanelFrame(const LearningLayout& l) {
  const float body[4] = {0.06f, 0.07f, 0.1f, 0.98f};
  // Opaque: it stands for the body and the dimming it no longer lies on, which let almost nothing
  // through together (under 0.1 percent).
  const float top[4] = {0.1f, 0.12f, 0.17f, 1.0f}, bottom[4] = {0.045f, 0.055f, 0.085f, 1.0f};
  FillRoundedRimRect(l.x, l.top, l.width, l.height, 24.0f, 2.0f, body);
  // Written without blending while nothing fades it, which spares a software rasteriser a read of
  // most of the window; the blend setting comes back right after.
  const bool opaque = gDrawAlpha >= 1.0f && glIsEnabled(GL_BLEND);
  if (opaque) glDisable(GL_BLEND);
  FillRoundedGradientRect(l.x + 2.0f, l.top + 2.0f, l.width - 4.0f, l.height - 4.0f, 22.0f, top, bottom);
  if (opaque) glEnable(GL_BLEND);
  glLineWidth(1.0f);
  SetGlColor(0.62f, 0.7f, 0.88f, 0.18f);
  StrokeRoundedRect(l.x, l.top, l.width, l.height, 24.0f, 16);
  SetGlColor(0.96f, 0.8f, 0.34f, 0.1f);
  StrokeRoundedRect(l.x + 1.0f, l.top + 1.0f, l.width - 2.0f, l.height - 2.0f, 23.0f, 16);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.05f);
  glBegin(GL_QUADS);
  float dx = l.x + l.sideW;
  glVertex2f(dx, l.top + 18.0f);
  glVertex2f(dx + 1.0f, l.top + 18.0f);
  glVertex2f(dx + 1.0f, l.top + l.height - 18.0f);
  glVertex2f(dx, l.top + l.height - 18.0f);
  glEnd();
}

void DrawLearningScrollbar(const LearningLayout& l) {
  RectF track, thumb;
  if (!GetScrollbarRects(l, track, thumb)) return;
  double now = GetAppSeconds();
  float target = (gScrollDragging || PointInRect(track, gMouseX, gMouseY)) ? 1.0f : 0.0f;
  double last = gScrollbarAnimTime < 0.0 ? now : gScrollbarAnimTime;
  float dt = ClampFloat((float)(now - last), 0.0f, 0.05f);
  gScrollbarAnimTime = now;
  gScrollbarHover = Clamp01(gScrollbarHover + (target - gScrollbarHover) * (1.0f - std::exp(-9.0f * dt)));
  const float hover = gScrollbarHover;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.045f + 0.05f * hover);
  FillRoundedRect(track.x, track.y, track.w, track.h, track.w / 2.0f, 6);

  bool complete = IsCurrentDayComplete();
  float lr = complete ? 0.98f : 0.76f, lg = complete ? 0.82f : 0.8f, lb = complete ? 0.36f : 0.86f;
  float intensity = std::min(hover + (complete ? 0.35f : 0.0f), 1.0f);
  float centreY = thumb.y + thumb.h / 2.0f, midX = track.x + track.w / 2.0f;
  // A glowing wave down the track, swelling around the thumb.
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i <= 40; ++i) {
    float f = i / 40.0f;
    float y = track.y + f * track.h;
    float d = (y - centreY) / std::max(thumb.h * 0.6f, 12.0f);
    float weight = std::exp(-d * d);
    float sway = std::sin(12.0f * f + 6.6f * now) * 2.2f * weight;
    float half = 0.6f + 1.4f * weight;
    SetGlColor(lr, lg, lb, (0.08f + 0.62f * weight) * (0.55f + 0.45f * intensity));
    glVertex2f(midX + sway - half, y);
    glVertex2f(midX + sway + half, y);
  }
  glEnd();
  float beadH = std::max(14.0f + 10.0f * intensity, 10.0f);
  SetGlColor(lr, lg, lb, (0.7f + 0.3f * intensity) * (complete ? 0.95f : 0.8f));
  FillRoundedRect(track.x, centreY - beadH / 2.0f, track.w, beadH, track.w / 2.0f, 8);
  glLineWidth(1.0f);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.3f + 0.35f * intensity);
  StrokeRoundedRect(track.x, centreY - beadH / 2.0f, track.w, beadH, track.w / 2.0f, 8);
}

void DrawScrollSectionLabels(const LearningLayout& l) {
  RectF track, thumb;
  if (!GetScrollbarRects(l, track, thumb)) return;
  std::vector<std::string> labels;
  ListSectionLabels(labels);
  int n = (int)labels.size();
  if (n < 2) return;
  float x;
  float room = SideLabelRoom(l, track, &x);
  if (room < 40.0f) return;
  int idx;
  float f = LabelPosition(l, n, &idx);
  const float* lead = IsCurrentDayComplete() ? kGold : kWhite;
  for (int k = -2; k <= 2; ++k) {
    int i = idx + k;
    if (i < 0 || i >= n) continue;
    float d = std::fabs(i - f);
    float alpha = Clamp01(1.0f - 0.42f * d) * (d < 0.5f ? 1.0f : 0.85f);
    float y = l.contentY + l.contentH / 2.0f + 24.0f * (i - f) + 4.0f;
    std::string text = ElideTextToWidth(gFontSmall, labels[(size_t)i], room, 6.4f);
    ScopedTrSuppress suppress;
    if (d < 0.5f) {
      DrawTextUtf8(gFontSmall, x, y, text, lead[0], lead[1], lead[2], alpha);
    } else {
      float b = ClampFloat(1.0f - 0.26f * d, 0.45f, 1.0f);
      DrawTextUtf8(gFontSmall, x, y, text, 0.92f * b, 0.95f * b, std::min(1.02f * b, 1.0f), alpha);
    }
  }
}

void DrawLearningScrollHintWith(const LearningLayout& l) {
  RectF track, thumb;
  if (!GetScrollbarRects(l, track, thumb) || gRunsDropDown != 0 || gLibraryViewKey == "skills") return;
  float sideX;
  if (SideLabelRoom(l, track, &sideX) >= 40.0f) return;
  std::vector<std::string> labels;
  ListSectionLabels(labels);
  int n = (int)labels.size();
  if (n < 2) return;
  double now = GetAppSeconds();
  if (gScrollHintLastScroll < 0.0f || std::fabs(gLibraryScroll - gScrollHintLastScroll) > 0.5f) {
    gScrollHintLastScroll = gLibraryScroll;
    gScrollHintChangedAt = now;
  }
  float age = (float)(now - gScrollHintChangedAt);
  float visible = age < 0.9f ? 1.0f : Clamp01(1.0f - (age - 0.9f) / 0.45f);
  float o = std::max(Clamp01(gScrollbarHover), visible);
  if (o <= 0.01f) return;
  int idx;
  LabelPosition(l, n, &idx);
  float fitW = ClampFloat(0.45f * l.contentW, 90.0f, 260.0f);
  std::string lines[3];
  float widest = 0.0f;
  for (int j = 0; j < 3; ++j) {
    int i = idx - 1 + j;
    if (i < 0 || i >= n) continue;
    lines[j] = ElideTextToWidth(gFontSmall, labels[(size_t)i], fitW, 6.4f);
    ScopedTrSuppress suppress;
    widest = std::max(widest, MeasureText(gFontSmall, lines[j], 6.4f));
  }
  float boxW = widest + 22.0f, boxH = 65.0f;
  float boxX = track.x - 10.0f - boxW;
  float boxY = ClampFloat(thumb.y + thumb.h / 2.0f - 32.5f, l.contentY, l.contentY + l.contentH - boxH);
  SetGlColor(0.035f, 0.045f, 0.065f, 0.92f * o);
  FillRoundedRect(boxX, boxY, boxW, boxH, 8.0f, 8);
  glLineWidth(1.0f);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.14f * o);
  StrokeRoundedRect(boxX, boxY, boxW, boxH, 8.0f, 8);
  const float* lead = IsCurrentDayComplete() ? kGold : kWhite;
  ScopedTrSuppress suppress;
  for (int j = 0; j < 3; ++j) {
    if (lines[j].empty()) continue;
    float y = boxY + 17.0f + 19.0f * j;
    if (j == 1)
      DrawTextUtf8(gFontSmall, boxX + 11.0f, y, lines[j], lead[0], lead[1], lead[2], o);
    else
      DrawTextUtf8(gFontSmall, boxX + 11.0f, y, lines[j], 0.62f, 0.66f, 0.72f, 0.62f * o);
  }
}

void DrawLearningScrollHint() {
  if (!gLibraryOpen) return;
  DrawLearningScrollHintWith(ComputeLearningLayout());
}
