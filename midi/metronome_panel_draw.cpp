// midi/metronome_panel_draw: the panel's looks. Only figures and drawn signs, no words: the band's
// button faces, the switch's metronome lit in the student's colour while it runs and flashing on
// each beat, the time signature as "beats/value" on one face. Leaves the line width at 1.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "midi/metronome_panel.h"
#include "midi/teaching_record.h"

// ---- constants ----
constexpr float kSongTempoText[3] = {0.55f, 0.75f, 1.0f};  // a tempo the playing song gives
constexpr float kDimSign[3] = {0.5f, 0.55f, 0.64f};        // a sign whose option is off

// ---- internal helpers ----
static bool Shown(const RectF& r) { return r.w > 2.0f && r.h > 2.0f; }

static float StrokeWidth() { return std::max(2.0f * GetUiScale(), 1.5f); }

static void Line(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINES);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glEnd();
}

// A number centred on the box, made smaller rather than cut when it is wider than the box.
static void DrawFigure(const RectF& box, int value, UiFont font, const float* rgb) {
  ScopedTrSuppress figures;
  float size = FontPixelSize(font);
  DrawTextShrunkCentred(font, box.x + box.w / 2.0f, box.y + box.h / 2.0f + 0.36f * size, box.w - 4.0f, 0.6f,
                        std::to_string(value), rgb[0], rgb[1], rgb[2], 1.0f);
}

// The switch: a metronome's body with its arm, which leans to the other side on every beat.
static void DrawSwitch() {
  const RectF& r = gMetronomeSwitchRect;
  const TeachingState& s = gTeachingState;
  const float* c = s.studentColour;
  bool on = s.metronomeOn != 0;
  DrawButton(r, "", ButtonLookAt(r, false));
  if (on) {
    float flash = std::clamp(s.clickFlash, 0.0f, 1.0f);
    SetGlColor(c[0], c[1], c[2], 0.18f + 0.5f * flash);
    const float radius = std::min(std::max(6.0f * GetUiScale(), 4.0f), r.h / 2.0f) - 1.0f;
    FillRoundedRect(r.x + 1.0f, r.y + 1.0f, r.w - 2.0f, r.h - 2.0f, radius, 8);
  }
  float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f, h = r.h;
  float base = cy + 0.3f * h, top = cy - 0.3f * h, wide = 0.28f * h, narrow = 0.1f * h;
  if (on) SetGlColor(c[0], c[1], c[2], 1.0f);
  else SetGlColor(kDimSign[0], kDimSign[1], kDimSign[2], 1.0f);
  FillTriangle(cx - wide, base, cx + wide, base, cx + narrow, top);
  FillTriangle(cx - wide, base, cx + narrow, top, cx - narrow, top);
  float lean = on ? ((s.beatCounter & 1) ? 0.42f : -0.42f) : 0.0f;
  float pivotY = cy + 0.08f * h, arm = 0.5f * h;
  float tipX = cx + std::sin(lean) * arm, tipY = pivotY - std::cos(lean) * arm;
  SetGlColor(kControlText[0], kControlText[1], kControlText[2], 1.0f);
  glLineWidth(StrokeWidth());
  Line(cx, pivotY, tipX, tipY);
  glLineWidth(1.0f);
  FillCircle(cx + 0.62f * (tipX - cx), pivotY + 0.62f * (tipY - pivotY), 0.065f * h);
}

static void DrawTempo() {
  const TeachingState& s = gTeachingState;
  for (const RectF* r : {&gTempoDownRect, &gTempoUpRect}) {
    DrawButton(*r, "", ButtonLookAt(*r, false));
    float cx = r->x + r->w / 2.0f, cy = r->y + r->h / 2.0f, arm = 0.18f * r->h, t = StrokeWidth() / 2.0f + 0.25f;
    SetGlColor(kControlText[0], kControlText[1], kControlText[2], 1.0f);
    FillRoundedRect(cx - arm, cy - t, 2.0f * arm, 2.0f * t, 0.0f, 4);
    if (r == &gTempoUpRect) FillRoundedRect(cx - t, cy - arm, 2.0f * t, 2.0f * arm, 0.0f, 4);
  }
  const RectF& f = gTempoFigureRect;
  SetGlColor(0.14f, 0.17f, 0.23f, IsMouseInRect(&f) ? 0.95f : 0.8f);
  FillRoundedRect(f.x, f.y, f.w, f.h, std::max(6.0f * GetUiScale(), 4.0f), 8);
  DrawFigure(f, ShownMetronomeTempo(), gFontSmall, s.syncedToSong ? kSongTempoText : kControlText);
}

// Both figures on one face, the stroke between them; the figure under the pointer is lit.
static void DrawSignature() {
  const RectF& upper = gBeatsPerBarRect;
  const RectF& lower = gBeatValueRect;
  if (!Shown(upper) || !Shown(lower)) return;
  const TeachingState& s = gTeachingState;
  RectF face{upper.x, upper.y, lower.x + lower.w - upper.x, upper.h};
  ButtonLook look;
  DrawButton(face, "", look);
  for (const RectF* r : {&upper, &lower}) {
    if (!IsMouseInRect(r)) continue;
    SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
    FillRoundedRect(r->x + 1.0f, r->y + 1.0f, r->w - 2.0f, r->h - 2.0f, 3.0f, 4);
  }
  float mid = lower.x, lean = 0.14f * face.h;
  SetGlColor(kDimSign[0], kDimSign[1], kDimSign[2], 1.0f);
  glLineWidth(StrokeWidth() * 0.75f);
  Line(mid + lean, face.y + 0.24f * face.h, mid - lean, face.y + 0.76f * face.h);
  glLineWidth(1.0f);
  // Each figure keeps clear of the stroke, which leans into both halves: "32/16" ran into it.
  const RectF upperRoom{upper.x, upper.y, upper.w - lean, upper.h};
  const RectF lowerRoom{lower.x + lean, lower.y, lower.w - lean, lower.h};
  DrawFigure(upperRoom, std::clamp(s.timeSigNum, 1, kMetronomeMaxBeats), gFontSmall, kControlText);
  DrawFigure(lowerRoom, s.timeSigDen, gFontSmall, kControlText);
}

// The accent sign (a wedge opening to the left) on a face lit while the downbeat has its sound.
static void DrawDownbeat() {
  const RectF& r = gDownbeatSwitchRect;
  if (!Shown(r)) return;
  bool on = gTeachingState.downbeatSound != 0;
  DrawButton(r, "", ButtonLookAt(r, on));
  float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f, w = 0.2f * r.h, rise = 0.16f * r.h;
  const float* c = on ? kControlText : kDimSign;
  SetGlColor(c[0], c[1], c[2], 1.0f);
  glLineWidth(StrokeWidth());
  Line(cx - w, cy - rise, cx + w, cy);
  Line(cx + w, cy, cx - w, cy + rise);
  glLineWidth(1.0f);
}

// ---- public functions ----
void DrawMetronomePanel() {
  if (!Shown(gMetronomeSwitchRect)) return;
  DrawSwitch();
  DrawTempo();
  DrawSignature();
  DrawDownbeat();
}
