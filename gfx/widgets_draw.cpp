// gfx/widgets_draw: the shared looks of panels, buttons, slider tracks and scroll strips.
#include "gfx/widgets_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "gfx/draw_alpha.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/translate.h"

// ---- internal helpers ----
static float Radius(const RectF& r) { return std::min(std::max(6.0f * GetUiScale(), 4.0f), r.h / 2.0f); }

// ---- public functions ----
float FontPixelSize(UiFont font) {
  FontSizes sizes = ComputeFontSizes(GetUiScale());
  if (font != 0 && font == gFontSmall) return (float)sizes.small;
  if (font != 0 && font == gFontLarge) return (float)sizes.large;
  if (font != 0 && font == gFontMedium) return (float)sizes.medium;
  return (float)sizes.main;
}

ButtonLook ButtonLookAt(const RectF& r, bool active) {
  ButtonLook look;
  look.active = active;
  look.hovered = IsMouseInRect(&r);
  return look;
}

void DrawPanelBox(const RectF& r, float alpha) {
  float rad = std::max(10.0f * GetUiScale(), 8.0f);
  SetGlColor(0.085f, 0.1f, 0.135f, 0.94f * alpha);
  FillRoundedRect(r.x, r.y, r.w, r.h, rad, 10);
  glLineWidth(1.0f);
  SetGlColor(0.36f, 0.44f, 0.58f, 0.75f * alpha);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, rad, 10);
}

void DrawButton(const RectF& r, const std::string& label, const ButtonLook& look) {
  if (!(r.w > 2.0f) || !(r.h > 2.0f)) return;
  float rad = Radius(r);
  if (look.danger) SetGlColor(0.62f, 0.17f, 0.17f, 0.95f);
  else if (look.active) SetGlColor(0.2f, 0.42f, 0.74f, 0.95f);
  else SetGlColor(0.15f, 0.18f, 0.25f, 0.92f);
  FillRoundedRect(r.x, r.y, r.w, r.h, rad, 8);
  if (look.hovered) {
    SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
    FillRoundedRect(r.x, r.y, r.w, r.h, rad, 8);
  }
  glLineWidth(1.0f);
  SetGlColor(0.45f, 0.55f, 0.72f, look.hovered ? 0.95f : 0.6f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, rad, 8);
  if (!label.empty()) DrawTextCentred(gFontSmall, r, label, kControlText[0], kControlText[1], kControlText[2], 1.0f);
}

void DrawSliderTrack(const RectF& r, float inset, float fraction, float red, float green, float blue) {
  float x0 = r.x + inset, w = std::max(r.w - 2.0f * inset, 12.0f);
  float cy = r.y + r.h / 2.0f, th = std::max(4.0f * GetUiScale(), 3.0f);
  float f = std::clamp(fraction, 0.0f, 1.0f);
  SetGlColor(0.24f, 0.28f, 0.36f, 1.0f);
  FillRoundedRect(x0, cy - th / 2.0f, w, th, th / 2.0f, 6);
  SetGlColor(red, green, blue, 1.0f);
  FillRoundedRect(x0, cy - th / 2.0f, w * f, th, th / 2.0f, 6);
  float knob = std::max(7.0f * GetUiScale(), 6.0f);
  SetGlColor(0.95f, 0.96f, 0.98f, 1.0f);
  FillCircle(x0 + w * f, cy, knob);
}

void DrawScrollStrip(float x, float top, float bottom, float thumbH, float fraction, bool wide) {
  float width = wide ? 4.0f : 2.0f;
  SetGlColor(0.42f, 0.5f, 0.64f, 0.7f);
  FillRoundedRect(x - width / 2.0f, top, width, bottom - top, width / 2.0f, 4);
  float y = top + std::clamp(fraction, 0.0f, 1.0f) * (bottom - top - thumbH);
  SetGlColor(0.75f, 0.85f, 1.0f, 0.95f);
  FillRoundedRect(x - width, y, 2.0f * width, thumbH, width, 4);
}

void DrawTextMiddle(UiFont font, float x, const RectF& box, const std::string& text, float r, float g, float b,
                    float a) {
  float baseline = box.y + box.h / 2.0f + 0.36f * FontPixelSize(font);
  DrawTextUtf8(font, x, baseline, text, r, g, b, a);
}

// Draws a fitted label: its lines centred on the box's middle, or from x when x is not NaN.
static void DrawFitted(UiFont font, const LabelFit& fit, float x, const RectF& box, float r, float g, float b, float a) {
  float size = FontPixelSize(font), lineHeight = 1.15f * size * fit.scale;
  float first = box.y + box.h / 2.0f - lineHeight * (float)(fit.lines.size() - 1) / 2.0f;
  ScopedTrSuppress untranslated;  // fitted lines are already translated
  for (size_t i = 0; i < fit.lines.size(); ++i) {
    float w = fit.scale * MeasureText(font, fit.lines[i], size);
    float left = std::isnan(x) ? box.x + (box.w - w) / 2.0f : x;
    float baseline = first + lineHeight * (float)i + 0.36f * size * fit.scale;
    DrawTextScaled(font, left, baseline, fit.scale, fit.lines[i], r, g, b, a);
  }
}

void DrawTextScaled(UiFont font, float x, float baseline, float scale, const std::string& text, float r, float g,
                    float b, float a) {
  glPushMatrix();
  glTranslatef(x, baseline, 0.0f);
  glScalef(scale, scale, 1.0f);
  DrawTextUtf8(font, 0.0f, 0.0f, text, r, g, b, a);
  glPopMatrix();
}

void DrawTextShrunkCentred(UiFont font, float centreX, float baseline, float room, float minScale,
                           const std::string& text, float r, float g, float b, float a) {
  const float w = std::max(MeasureText(font, text, 12.0f), 1.0f);
  const float k = std::clamp(room / w, minScale, 1.0f);
  DrawTextScaled(font, centreX - k * w / 2.0f, baseline, k, text, r, g, b, a);
}

void DrawTextCentred(UiFont font, const RectF& box, const std::string& text, float r, float g, float b, float a) {
  float margin = LabelMargin(GetUiScale());
  LabelFit fit = FitLabel(font, text, FontPixelSize(font), box.w - 2.0f * margin, box.h - 2.0f);
  DrawFitted(font, fit, NAN, box, r, g, b, a);
}

void DrawTextFitted(UiFont font, float x, float right, const RectF& box, const std::string& text, float r, float g,
                    float b, float a) {
  LabelFit fit = FitLabel(font, text, FontPixelSize(font), right - x, box.h - 2.0f);
  DrawFitted(font, fit, x, box, r, g, b, a);
}

void FillTriangle(float x0, float y0, float x1, float y1, float x2, float y2) {
  glBegin(GL_TRIANGLES);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glVertex2f(x2, y2);
  glEnd();
}

void FillCircle(float cx, float cy, float radius) {
  const int kSteps = 24;
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(cx, cy);
  for (int i = 0; i <= kSteps; ++i) {
    float a = 6.2831853f * (float)i / kSteps;
    glVertex2f(cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
  glEnd();
}
