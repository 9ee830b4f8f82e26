// board/note_fall_button: the NOTE FALL button and the strip's backdrop behind it.
#include "board/note_fall_button.h"

#include <algorithm>

#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "board/lane_keys.h"
#include "board/note_fall_lane.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"

#include <GL/gl.h>

// ---- state ----
RectF gNoteFallButtonRect = kHiddenRect;          // the button, or hidden

// ---- public functions ----
void DrawNoteFallButton(const BoardViewFrame& bf) {
  NoteFallStrip st = ComputeNoteFallStrip();
  gNoteFallButtonRect = kHiddenRect;  // a frame that does not draw it cannot be clicked
  if (!st.shown) return;
  const float s = st.s, ba = bf.previewFade;
  const float fade = Clamp01(1.0f - gPracticeModeFade);
  if (!gPracticeMode && fade > 0.001f) {
    // The strip's empty backdrop gives way as the lane fades in.
    const float radius = std::max(8.0f, 10.0f * s);
    SetGlColor(0.008f, 0.01f, 0.014f, 0.94f * fade * ba);
    FillRoundedRect(st.x, st.y, st.w, st.h, radius, 12);
    glBegin(GL_QUADS);
    SetGlColor(0.08f, 0.14f, 0.22f, 0.1f * fade * ba);
    glVertex2f(st.x, st.y);
    glVertex2f(st.x + st.w, st.y);
    SetGlColor(0.02f, 0.03f, 0.05f, 0.0f);
    glVertex2f(st.x + st.w, st.y + 0.48f * st.h);
    glVertex2f(st.x, st.y + 0.48f * st.h);
    glEnd();
    SetGlColor(0.24f, 0.36f, 0.52f, 0.14f * fade * ba);
    StrokeRoundedRect(st.x + 0.5f, st.y + 0.5f, st.w - 1.0f, st.h - 1.0f, std::max(7.0f, radius - 0.6f), 12);
  }
  gNoteFallButtonRect = st.button;
  const RectF& r = st.button;
  const bool hovered = IsMouseInRect(&r);
  if (gPracticeMode) SetGlColor(0.22f, 0.44f, 0.78f, hovered ? 0.82f : 0.66f);
  else SetGlColor(0.12f, 0.20f, 0.26f, hovered ? 0.82f : 0.66f);
  FillRoundedRect(r.x, r.y, r.w, r.h, std::max(4.0f, 5.0f * s), 8);
  SetGlColor(0.9f, 0.95f, 1.0f, hovered ? 0.42f : 0.3f);
  StrokeRoundedRect(r.x + 0.5f, r.y + 0.5f, r.w - 1.0f, r.h - 1.0f, std::max(3.0f, 4.0f * s), 8);
  UiFont font = gFontSmall ? gFontSmall : gFontMain;
  DrawVerticalText(font, r, "NOTE FALL", s, r.x + std::max(4.0f, 5.0f * s), 0.0f, 0.92f, 0.97f, 1.0f,
                   gPracticeMode ? 0.98f : 0.9f, 2.2f);
  if (st.y + st.pad >= r.y) {
    // The strip's top edge casts a short shadow over the button.
    const float shade = std::max(10.0f, 12.0f * s);
    glBegin(GL_QUADS);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.38f * ba);
    glVertex2f(r.x, r.y);
    glVertex2f(r.x + r.w, r.y);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.0f);
    glVertex2f(r.x + r.w, r.y + shade);
    glVertex2f(r.x, r.y + shade);
    glEnd();
  }
}

void ResetNoteFallButton() { gNoteFallButtonRect = kHiddenRect; }
