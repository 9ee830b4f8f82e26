// classroom/panel_look: the shared look of the classroom panels.
#include "classroom/panel_look.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"

// ---- constants ----
static const float kGold[3] = {0.96f, 0.8f, 0.34f};

// ---- public functions ----
float BaselineIn(UiFont font, const RectF& box) {
  float size = FontPixelSize(font);
  return box.y + box.h / 2.0f + 0.36f * size;
}

void DrawClassroomPanel(const RectF& panel, const RectF& header, const std::string& title, float scale) {
  // One layer under the whole panel: every extra full-size layer costs a software rasteriser
  // more than all the panel's text.
  float radius = std::max(14.0f * scale, 10.0f);
  SetGlColor(0.055f, 0.07f, 0.105f, 0.97f);
  FillRoundedRect(panel.x, panel.y, panel.w, panel.h, radius, 12);
  SetGlColor(kGold[0], kGold[1], kGold[2], 0.35f);
  FillRect(header.x + 16, header.y + header.h - 1, header.w - 32, 1);
  glLineWidth(1.0f);
  SetGlColor(kGold[0], kGold[1], kGold[2], 0.55f);
  StrokeRoundedRect(panel.x, panel.y, panel.w, panel.h, radius, 12);
  // The title takes the header up to the close button at its right end, so that "Klasse und
  // Anwesenheit" is not cut where "Class and attendance" fitted.
  const float inset = std::max(18.0f * scale, 12.0f), closeRoom = std::max(30.0f * scale, 26.0f) + 2.0f * inset;
  DrawLabel(gFontMedium, header.x + inset, BaselineIn(gFontMedium, header), title,
            std::max(header.w - inset - closeRoom, 0.62f * header.w), kGold[0], kGold[1], kGold[2], 1.0f);
}

void DrawClassroomPill(const RectF& r, const std::string& label, int style, bool enabled, bool verbatim) {
  if (!(r.w > 2.0f) || !(r.h > 2.0f)) return;
  static const float kTop[3][3] = {{0.18f, 0.22f, 0.31f}, {0.36f, 0.31f, 0.14f}, {0.46f, 0.12f, 0.15f}};
  static const float kBottom[3][3] = {{0.1f, 0.13f, 0.2f}, {0.2f, 0.17f, 0.08f}, {0.22f, 0.055f, 0.075f}};
  static const float kLine[3][3] = {{0.55f, 0.72f, 1.0f}, {0.96f, 0.8f, 0.34f}, {1.0f, 0.28f, 0.32f}};
  int k = std::clamp(style, 0, 2);
  bool hovered = enabled && IsMouseInRect(&r);
  float alpha = style == 0 ? (enabled ? 0.96f : 0.42f) : (enabled ? 0.98f : 0.45f);
  float radius = r.h / 2.0f;
  // The learning screen's pills run from the top colour to the bottom one; a rounded fill cannot
  // carry a gradient, so the pill takes their middle and a lighter upper half.
  SetGlColor((kTop[k][0] + kBottom[k][0]) / 2, (kTop[k][1] + kBottom[k][1]) / 2, (kTop[k][2] + kBottom[k][2]) / 2, alpha);
  FillRoundedRect(r.x, r.y, r.w, r.h, radius, 10);
  SetGlColor(kTop[k][0], kTop[k][1], kTop[k][2], alpha * 0.6f);
  FillRoundedRect(r.x + 2, r.y + 1, r.w - 4, r.h / 2, std::min(radius, r.h / 4), 10);
  glLineWidth(1.0f);
  SetGlColor(kLine[k][0], kLine[k][1], kLine[k][2], enabled ? (hovered ? 0.95f : 0.68f) : 0.25f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, radius, 10);
  float tr = enabled ? 0.98f : 0.48f, tg = enabled ? (style == 2 ? 0.86f : 0.96f) : 0.52f;
  float tb = enabled ? (style == 2 ? 0.88f : 1.0f) : 0.6f, ta = enabled ? 0.98f : 0.62f;
  std::string shown = verbatim ? label : Tr(label);
  ScopedTrSuppress already;
  std::string fitted = FitTextToWidth(gFontSmall, shown, 12.0f, r.w - 10.0f);
  float width = MeasureText(gFontSmall, fitted, 12.0f);
  DrawTextUtf8(gFontSmall, r.x + std::max((r.w - width) / 2.0f, 5.0f), BaselineIn(gFontSmall, r), fitted, tr, tg, tb, ta);
}

void DrawCloseCross(const RectF& r) {
  if (!(r.w > 2.0f)) return;
  bool hovered = IsMouseInRect(&r);
  SetGlColor(0.16f, 0.19f, 0.26f, hovered ? 0.98f : 0.8f);
  FillRoundedRect(r.x, r.y, r.w, r.h, r.h / 2.0f, 10);
  float m = r.w * 0.32f;
  glLineWidth(2.0f);
  SetGlColor(0.95f, 0.9f, 0.8f, hovered ? 1.0f : 0.8f);
  glBegin(GL_LINES);
  glVertex2f(r.x + m, r.y + m);
  glVertex2f(r.x + r.w - m, r.y + r.h - m);
  glVertex2f(r.x + r.w - m, r.y + m);
  glVertex2f(r.x + m, r.y + r.h - m);
  glEnd();
  glLineWidth(1.0f);
}

void DrawEntryBox(const RectF& r, const std::string& text, bool active, bool secret, const std::string& hint) {
  if (!(r.w > 2.0f)) return;
  SetGlColor(0.025f, 0.035f, 0.055f, 0.95f);
  FillRoundedRect(r.x, r.y, r.w, r.h, 6.0f, 8);
  glLineWidth(1.0f);
  if (active) SetGlColor(kGold[0], kGold[1], kGold[2], 0.9f);
  else SetGlColor(0.35f, 0.45f, 0.62f, 0.6f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, 6.0f, 8);
  float pad = 8.0f, baseline = BaselineIn(gFontSmall, r);
  if (text.empty()) {
    // An empty box says what it takes, also once it has the caret: several boxes open already
    // focused, and without the hint nothing tells what to type into them.
    const float hintX = r.x + pad + (active ? 4.0f : 0.0f);
    DrawLabel(gFontSmall, hintX, baseline, hint, r.x + r.w - pad - hintX, 0.5f, 0.56f, 0.66f, active ? 0.6f : 0.9f);
    if (!active) return;
  }
  ScopedTrSuppress verbatim;
  std::string shown;
  if (secret)
    for (size_t i = 0; i < text.size(); ++i) shown += "\xE2\x80\xA2";
  else
    shown = text;
  // Keep the end in view: drop characters from the front until the rest fits.
  float room = r.w - 2 * pad - 4;
  size_t from = 0;
  while (from < shown.size() && MeasureText(gFontSmall, shown.substr(from), 12.0f) > room) {
    ++from;
    while (from < shown.size() && ((unsigned char)shown[from] & 0xC0) == 0x80) ++from;
  }
  shown = shown.substr(from);
  DrawTextUtf8(gFontSmall, r.x + pad, baseline, shown, 0.95f, 0.96f, 0.98f, 1.0f);
  if (active) {
    float cx = r.x + pad + MeasureText(gFontSmall, shown, 12.0f) + 1;
    SetGlColor(kGold[0], kGold[1], kGold[2], 1.0f);
    FillRect(cx, r.y + 6, 2, r.h - 12);
  }
}

void DrawVerbatim(UiFont font, float x, float y, const std::string& text, float maxWidth, float r, float g, float b,
                  float a) {
  ScopedTrSuppress verbatim;
  DrawTextUtf8(font, x, y, FitTextToWidth(font, text, 12.0f, maxWidth), r, g, b, a);
}

int DrawVerbatimLines(UiFont font, float x, float y, const std::string& text, float maxWidth, float lineHeight,
                      int maxLines, float r, float g, float b, float a) {
  ScopedTrSuppress verbatim;
  const std::vector<std::string> lines = WrapTextToWidth(font, text, 12.0f, maxWidth, maxLines);
  for (size_t i = 0; i < lines.size(); ++i) DrawTextUtf8(font, x, y + (float)i * lineHeight, lines[i], r, g, b, a);
  return (int)lines.size();
}

void DrawLabel(UiFont font, float x, float y, const std::string& text, float maxWidth, float r, float g, float b,
               float a) {
  DrawVerbatim(font, x, y, Tr(text), maxWidth, r, g, b, a);
}

void MarkColour(char mark, float* r, float* g, float* b) {
  switch (mark) {
    case 'P': *r = 0.3f, *g = 0.78f, *b = 0.42f; break;
    case 'L': *r = 0.95f, *g = 0.72f, *b = 0.26f; break;
    case 'A': *r = 0.9f, *g = 0.3f, *b = 0.32f; break;
    default: *r = 0.42f, *g = 0.58f, *b = 0.92f; break;
  }
}
