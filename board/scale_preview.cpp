// board/scale_preview: the scale preview block of the board view.
//
// The keyboard is laid out in units of the diagram box (301 across, 95 down) so the keys line up
// with the keyboard the diagram images show. While the image is shown the keys' own light is cut
// to 0.3 and a second, lighter pass lays the played keys over the image, so what is played shows
// through the diagram without hiding it.
#include "board/scale_preview.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/shapes.h"
#include "board/preview_keys.h"
#include "gfx/draw_alpha.h"
#include "gfx/images.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "theory/ring_palette.h"
#include "theory/scale_diagrams.h"
#include "theory/scale_selection.h"

// ---- constants ----
const char* const kHintClear = "Double-click a gold cell to clear";
const char* const kHintAgain = "it and practice again.";

// ---- internal helpers ----
// The loaded diagram of the shown mode and key, and the name searched for in vain when none was found.
static ImageTexture ShownDiagram(std::string* failedPath) {
  *failedPath = gScaleDiagramMissingName;
  return gScaleDiagramImage;
}

// A black key's clipped extent; false when it is too narrow to draw.
static bool BlackKeyExtent(const PreviewKeyboardBox& k, int i, float* x, float* w) {
  float left = k.x0 + (kPreviewBlackCentres[i] - 6.5f) * k.u;
  float l = std::max(left, k.x0), r = std::min(left + 13.0f * k.u, k.x0 + k.w);
  if (i == 10) {  // the last key hangs over the box's edge: keep a sliver flush with it
    float width = std::max(r - l, 3.4f);
    *x = k.x0 + k.w - width;
    *w = width;
    return true;
  }
  if (r - l < 0.15f) return false;
  *x = l;
  *w = r - l;
  return true;
}

static void DrawKeyBodies(const BoardViewFrame& f, const PreviewKeyboardBox& k, float imageFactor) {
  const float s = k.scale, v = k.v, r = k.radius;
  for (int i = 0; i < 15; ++i) {
    int note = kPreviewWhiteNotes[i], pc = note % 12;
    float x = k.x0 + (20.0f * (float)i + 1.0f) * k.u, w = 19.0f * k.u;
    KeyColour base = PreviewKeyColour(f, pc, false, false);
    SetGlColor(base.r, base.g, base.b, 0.96f * base.a);
    FillRoundedRect(x, k.y0 + v, w, 92.0f * v, r, 8);
    SetGlColor(0.11f, 0.13f, 0.16f, 0.26f * f.previewFade);
    StrokeRoundedRect(x, k.y0 + v, w, 92.0f * v, r, 8);
    KeyColour light = DrawPreviewKey(f, note, pc, 0.66f, false);
    light.a *= imageFactor;
    DrawPreviewKeyBody(k, x, w, pc, light, 1.0f);
  }
  const float e = std::max(0.35f * s, 0.5f), d = std::max(0.7f * s, 1.0f);
  for (int i = 0; i < 11; ++i) {
    int note = kPreviewBlackNotes[i], pc = note % 12;
    float x, w;
    if (!BlackKeyExtent(k, i, &x, &w)) continue;
    KeyColour base = PreviewKeyColour(f, pc, true, false);
    SetGlColor(base.r, base.g, base.b, base.a);
    FillRoundedRect(x, k.y0 + v, w, 60.0f * v, std::max(r - 0.8f, 2.0f), 8);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.34f * f.previewFade);
    StrokeRoundedRect(x, k.y0 + v, w, 60.0f * v, std::max(r - 0.8f, 2.0f), 8);
    KeyColour light = DrawPreviewKey(f, note, pc, 0.72f, false);
    light.a *= imageFactor;
    if (light.a > 0.001f) {
      SetGlColor(light.r, light.g, light.b, light.a);
      FillRoundedRect(x + e, k.y0 + v + e, std::max(w - d, 1.0f), std::max(60.0f * v - d, 1.0f),
                      std::max(r - 1.4f, 2.0f), 8);
    }
  }
}

// The diagram image in two passes: tinted by the key's ring colour, then a light additive wash.
// Leaves texturing off, no texture bound and normal blending.
static void DrawDiagramImage(const BoardViewFrame& f, const RectF& box, uint32_t texture) {
  const float* P = kRingPalette[ClampInt(gRingPos, 0, 11)];
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  auto quad = [&] {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(box.x, box.y);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(box.x + box.w, box.y);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(box.x + box.w, box.y + box.h);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(box.x, box.y + box.h);
    glEnd();
  };
  SetGlColor(Clamp01(0.8f + 0.16f * P[0]), Clamp01(0.82f + 0.16f * P[1]), Clamp01(0.86f + 0.14f * P[2]),
             0.62f * f.previewFade);
  quad();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  SetGlColor(Clamp01(0.26f + 0.9f * P[0]), Clamp01(0.26f + 0.9f * P[1]), Clamp01(0.3f + 0.9f * P[2]),
             0.2f * f.previewFade);
  quad();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

static void DrawSecondPass(const BoardViewFrame& f, const PreviewKeyboardBox& k) {
  const float s = k.scale, v = k.v, r = k.radius;
  for (int i = 0; i < 15; ++i) {
    int note = kPreviewWhiteNotes[i], pc = note % 12;
    KeyColour light = DrawPreviewKey(f, note, pc, 0.74f, false);
    if (light.a > 0.001f) DrawPreviewKeyBody(k, k.x0 + (20.0f * (float)i + 1.0f) * k.u, 19.0f * k.u, pc, light, 0.34f);
  }
  const float e2 = std::max(0.3f * s, 0.45f), d2 = std::max(0.6f * s, 0.9f);
  for (int i = 0; i < 11; ++i) {
    int note = kPreviewBlackNotes[i], pc = note % 12;
    float x, w;
    if (!BlackKeyExtent(k, i, &x, &w)) continue;
    KeyColour light = DrawPreviewKey(f, note, pc, 0.78f, false);
    if (light.a <= 0.001f) continue;
    SetGlColor(light.r, light.g, light.b, Clamp01(0.46f * light.a));
    FillRoundedRect(x + e2, k.y0 + v + e2, std::max(w - d2, 1.0f), std::max(60.0f * v - d2, 1.0f),
                    std::max(r - 1.2f, 2.0f), 8);
  }
}

static void HintLineColour(const std::string& line, int i, float* c) {
  auto set = [c](float r, float g, float b, float a) {
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
  };
  if (line.find(kHintClear) != std::string::npos || line.find(kHintAgain) != std::string::npos)
    set(0.98f, 0.86f, 0.42f, 0.95f);
  else if (i >= 5)  // the missing file, in the UI language already
    set(0.66f, 0.74f, 0.86f, 0.72f);
  else if (i < 2)
    set(0.82f, 0.88f, 0.96f, 0.93f);
  else
    set(0.75f, 0.83f, 0.93f, 0.86f);
}

// ---- public functions ----
RectF FitDiagramBox(const RectF& inner, int imageWidth, int imageHeight) {
  if (imageWidth <= 0 || imageHeight <= 0 || inner.w <= 0.0f || inner.h <= 0.0f) return inner;
  float aspect = (float)imageWidth / (float)imageHeight;
  float w = inner.w, h = inner.h;
  if (aspect > inner.w / inner.h)
    h = inner.w / aspect;
  else
    w = inner.h * aspect;
  return {inner.x + (inner.w - w) / 2.0f, inner.y + (inner.h - h) / 2.0f, w, h};
}

std::vector<std::string> PreviewHintLines(bool pickPresent, bool imageLoaded, const std::string& failedPath) {
  std::vector<std::string> lines = {"Click any scale cell to preview", "that mode/key diagram.", "", kHintClear,
                                    kHintAgain};
  if (pickPresent && !imageLoaded && !failedPath.empty()) {
    lines.push_back("");
    lines.push_back(TrF("Missing file: %s", failedPath.c_str()));
  }
  return lines;
}

float HintTextInset(float s) { return std::max(10.0f * s, 8.0f); }

RectF PlaceHintBox(float cx, float cy, float R, float s, const RectF& area, int lineCount, float clientW,
                   float clientH, float textWidth) {
  int n = std::max(lineCount, 1);
  float lh = std::max(17.0f * s, 14.0f), margin = std::max(14.0f * s, 12.0f);
  // A translated line may be longer than the English the width was chosen for.
  float width = std::max({312.0f * s, 268.0f, textWidth + 2.0f * HintTextInset(s)});
  width = std::min(width, std::max(clientW - 16.0f, 268.0f));
  float height = std::max(margin + (float)(n - 1) * lh + std::max(10.0f * s, 9.0f) + margin, 104.0f);
  float gap = std::max(8.0f * s, 7.0f);
  float x = cx + R + gap, y = cy - 0.16f * height;
  if (x + width > clientW - 8.0f) x = cx - R - gap - width;
  if (x < 8.0f) {
    x = ClampFloat(cx - width / 2.0f, 8.0f, std::max(clientW - width - 8.0f, 8.0f));
    y = area.y - height - std::max(7.0f * s, 6.0f);
  }
  if (y < 8.0f) y = area.y + std::max(12.0f * s, 10.0f);
  if (y + height > clientH - 8.0f) y = std::max(clientH - height - 8.0f, 8.0f);
  return {x, y, width, height};
}

void PreviewInfoMarkGeometry(const RectF& area, float s, float* cx, float* cy, float* radius) {
  *radius = std::max(8.5f * s, 7.0f);
  *cx = area.x + area.w + std::max(6.0f * s, 5.0f) + 6.0f;
  *cy = area.y + *radius + std::max(2.0f * s, 2.0f);
}

void DrawScalePreview(const BoardViewFrame& f) {
  const float s = f.layout.scale, m = std::max(10.0f * s, 8.0f);
  const RectF& area = f.lower;
  if (!f.laneMode) {
    SetGlColor(0.03f, 0.05f, 0.08f, 0.74f);
    FillRoundedRect(area.x, area.y, area.w, area.h, m, 12);
    SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
    StrokeRoundedRect(area.x + 0.5f, area.y + 0.5f, area.w - 1.0f, area.h - 1.0f, m, 14);
  }
  RectF inner = {area.x + m, area.y + m, std::max(area.w - 2.0f * m, 1.0f), std::max(area.h - 2.0f * m, 1.0f)};
  UpdateScaleDiagram();
  std::string failedPath;
  ImageTexture image = ShownDiagram(&failedPath);
  bool loaded = image.texture != 0 && image.width > 0 && image.height > 0;
  RectF box = loaded ? FitDiagramBox(inner, image.width, image.height) : inner;
  if (!f.noLane) return;

  bool imageShown = loaded && f.pickPresent && f.previewFade > 0.001f && !gLearningOverlay;
  PreviewKeyboardBox k{box.x, box.y, box.w, box.h, box.w / 301.0f, box.h / 95.0f, std::max(2.8f * s, 2.0f), s};
  DrawKeyBodies(f, k, imageShown ? 0.3f : 1.0f);
  if (imageShown) DrawDiagramImage(f, box, image.texture);
  if (f.anySounding && f.previewFade > 0.001f && !gLearningOverlay) DrawSecondPass(f, k);
}

void DrawPreviewInfoMark(const BoardViewFrame& f) {
  if (!f.noLane) return;
  const float s = f.layout.scale;
  float cx, cy, R;
  PreviewInfoMarkGeometry(f.lower, s, &cx, &cy, &R);
  float dx = (float)gMouseX - cx, dy = (float)gMouseY - cy;
  bool hovered = dx * dx + dy * dy <= R * R;

  SetGlColor(0.03f, 0.05f, 0.08f, 0.88f);
  FillDisc(cx, cy, R, 28);
  SetGlColor(0.88f, 0.92f, 1.0f, hovered ? 0.95f : 0.72f);
  StrokeCircle(cx, cy, R - 0.6f, 28);
  SetGlColor(0.9f, 0.95f, 1.0f, hovered ? 0.95f : 0.8f);
  float ws = std::max(0.18f * R, 0.9f);
  FillRoundedRect(cx - ws / 2.0f, cy - 0.06f * R, ws, std::max(0.56f * R, 2.8f), std::max(0.45f * ws, 0.6f), 6);
  FillDisc(cx, cy - 0.4f * R, std::max(0.14f * R, 0.75f), 20);
  if (!hovered) return;

  std::string failedPath;
  ImageTexture image = ShownDiagram(&failedPath);
  std::vector<std::string> lines = PreviewHintLines(f.pickPresent, image.texture != 0, failedPath);
  int n = (int)lines.size();
  float widest = 0.0f;
  for (const std::string& line : lines) widest = std::max(widest, MeasureText(gFontSmall, line, 12.0f) + 0.7f);
  RectF box = PlaceHintBox(cx, cy, R, s, f.lower, n, (float)gClientWidth, (float)gClientHeight, widest);
  float radius = std::max(7.0f * s, 6.0f);
  SetGlColor(0.02f, 0.04f, 0.08f, 0.7f);
  FillRoundedRect(box.x, box.y, box.w, box.h, radius, 10);
  SetGlColor(0.86f, 0.92f, 1.0f, 0.15f);
  StrokeRoundedRect(box.x + 0.5f, box.y + 0.5f, box.w - 1.0f, box.h - 1.0f, radius, 14);

  float lh = std::max(17.0f * s, 14.0f), margin = std::max(14.0f * s, 12.0f);
  float x = box.x + HintTextInset(s);
  float y1 = std::min(box.y + margin + std::max(3.0f * s, 2.0f), box.y + box.h - margin - (float)(n - 1) * lh);
  for (int i = 0; i < n; ++i) {
    if (lines[i].empty()) continue;
    float y = y1 + (float)i * lh, c[4];
    HintLineColour(lines[i], i, c);
    DrawTextUtf8(gFontSmall, x + 0.7f, y + 0.7f, lines[i], 0.08f, 0.06f, 0.02f, 0.62f);
    DrawTextUtf8(gFontSmall, x, y, lines[i], c[0], c[1], c[2], c[3]);
  }
}
