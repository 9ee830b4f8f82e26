// board/lane_draw: the note-fall lane drawn: the falling notes, the particles and the hit line
// inside the lane's clip box, then the 88-key keyboard under it.
//
// The notes and particles are computed by board/lane_notes and board/board_particles; this file
// only turns the frame's bars, sprites and keys into GL calls. The lane clips to itself and gives
// back the scissor state it found; blending goes back to normal alpha after each additive pass.
#include "board/lane_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "board/board_particles.h"
#include "board/lane_sprites.h"
#include "board/note_fall_lane.h"
#include "board/preview_keys.h"
#include "board/preview_state.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "midi/play_along.h"
#include "platform/clock.h"

// ---- state ----
static LaneNotesOut gLaneOut;   // this frame's bars, note sources and hits (reused every frame)

// ---- internal helpers ----
namespace {

// A horizontal quad from the left colour to the right colour.
void SideGradientQuad(float x, float y0, float w, float y1, const float l[3], const float r[3], float aTop, float aBottom) {
  glBegin(GL_QUADS);
  SetGlColor(l[0], l[1], l[2], aTop);
  glVertex2f(x, y0);
  SetGlColor(r[0], r[1], r[2], aTop);
  glVertex2f(x + w, y0);
  SetGlColor(r[0], r[1], r[2], aBottom);
  glVertex2f(x + w, y1);
  SetGlColor(l[0], l[1], l[2], aBottom);
  glVertex2f(x, y1);
  glEnd();
}

bool RunActive() { return gPlayAlongRun && IsPlayAlongAvailable(); }

// The lane's frame with the board frame's shown scale, pressed keys and preview fade.
LaneFrame LaneFrameFor(const BoardViewFrame& bf, const NoteFallStrip& st, uint32_t now) {
  LaneFrame f = BuildLaneFrame(st, now, bf.previewFade);
  f.scale = bf.shownScale;
  f.tonic = PitchClassMod(bf.shownRoot);
  for (int pc = 0; pc < 12; ++pc) f.inScale[pc] = IsNoteInScaleOn(bf.shownScale, bf.shownRoot, pc, bf.allNotesAllowed);
  for (int n = 0; n < 128; ++n) {
    f.pressed[n] = bf.keyPressed[n];
    f.keyLevel[n] = bf.keyPressLevel[n];
  }
  return f;
}

void DrawSecondGlow(const LaneFrame& f, const LaneBar& bar) {
  if (bar.glowAlpha <= 0.0f) return;
  const float s = f.s, h = bar.yBottom - bar.yTop;
  SetGlColor(bar.glowR, bar.glowG, bar.glowB, bar.glowAlpha);
  FillRoundedRect(bar.x - std::max(1.2f, 1.8f * s), bar.yTop - std::max(1.6f, 2.2f * s), bar.width + std::max(2.4f, 3.6f * s),
                  std::max(1.0f, h + std::max(3.2f, 4.8f * s)), std::max(2.0f, 0.32f * std::min(bar.width, h)), 10);
}

}  // namespace

// ---- public functions ----
void DrawFallingNote(const LaneFrame& f, float x, float width, float yTop, float yBottom, float r, float g, float b,
                     float alpha, bool isBlack, bool glowBand) {
  const float s = f.s;
  if (f.sightReading) {
    // Under the sight-reading staff the notes fade in over the lower half of the lane.
    const float fadeTop = f.laneTop + 0.55f * (f.hitY - f.laneTop);
    if (yBottom <= fadeTop) return;
    yTop = std::max(yTop, fadeTop);
    alpha *= 0.4f * Clamp01(((yTop + yBottom) / 2.0f - fadeTop) / std::max(1.0f, f.hitY - fadeTop));
    if (alpha <= 0.01f) return;
  }
  const float inset = isBlack ? std::max(0.45f, 0.3f * s) : std::max(0.62f, 0.4f * s);
  const float barW = std::max(1.0f, width - 2.0f * inset);
  const float barH = std::max(1.2f, yBottom - yTop);
  if (barW <= 0.3f || barH <= 0.5f) return;
  const float ci = isBlack ? 0.8f : 0.6f;
  const float fade = SmoothFadeIn(f, (yTop + yBottom) / 2.0f);
  if (fade <= 0.001f) return;
  const float A = Clamp01(alpha) * fade;
  const float bx = x + inset;
  const float c[4] = {OverlayProximityFade(f, bx, yTop), OverlayProximityFade(f, bx + barW, yTop),
                      OverlayProximityFade(f, bx + barW, yBottom), OverlayProximityFade(f, bx, yBottom)};
  const float q = (c[0] + c[1] + c[2] + c[3]) / 4.0f;
  if (q <= 0.001f) return;

  glBegin(GL_QUADS);
  const float tr = 1.36f * r + 0.1f, tg = 1.36f * g + 0.1f, tb = 1.4f * b + 0.12f;
  const float br = 0.78f * r + 0.02f, bgc = 0.78f * g + 0.02f, bb = 0.82f * b + 0.03f;
  SetGlColor(tr, tg, tb, 0.96f * A * c[0]);
  glVertex2f(bx, yTop);
  SetGlColor(tr, tg, tb, 0.96f * A * c[1]);
  glVertex2f(bx + barW, yTop);
  SetGlColor(br, bgc, bb, 0.88f * A * c[2]);
  glVertex2f(bx + barW, yTop + barH);
  SetGlColor(br, bgc, bb, 0.88f * A * c[3]);
  glVertex2f(bx, yTop + barH);
  glEnd();

  SetGlColor(0.0f, 0.0f, 0.0f, 0.14f * A * q);
  StrokeRoundedRect(bx, yTop, barW, barH, std::max(1.8f, f.kr - ci), 6);
  SetGlColor(1.7f * r + 0.05f, 1.7f * g + 0.05f, 1.76f * b + 0.06f, 0.24f * A * q);
  FillRoundedRect(bx + std::max(0.4f, 0.25f * s), yTop + std::max(0.55f, 0.35f * s),
                  std::max(1.0f, barW - std::max(0.8f, 0.5f * s)), std::max(1.0f, barH - std::max(0.9f, 0.6f * s)),
                  std::max(1.4f, f.kr - 0.8f), 6);
  if (glowBand) {
    SetGlColor(1.2f * r, 1.2f * g, 1.24f * b, 0.2f * A * q);
    FillRoundedRect(bx, yTop + 0.3f * barH, barW, std::max(1.2f, 0.68f * barH), std::max(1.2f, f.kr - 0.7f), 6);
  }
  const float t = Clamp01(1.0f - std::max(0.0f, f.hitY - yBottom) / std::max(10.0f, 14.0f * s));
  if (t > 0.001f) {
    const float col[3] = {1.85f * r + 0.12f, 1.85f * g + 0.12f, 1.9f * b + 0.14f};
    const float top[4] = {col[0], col[1], col[2], 0.0f};
    const float bottom[4] = {col[0], col[1], col[2], (0.58f * t + 0.28f) * A * t * q};
    const float edge = std::max(3.0f, 4.2f * s);
    FillGradientRect(bx, yBottom - edge, barW, edge, top, bottom);
  }
}

void DrawHitLine(const LaneFrame& f, const float leftIn[3], const float rightIn[3], float alpha) {
  if (alpha <= 0.001f) return;
  float l[3] = {leftIn[0], leftIn[1], leftIn[2]}, r[3] = {rightIn[0], rightIn[1], rightIn[2]};
  if (gSustainDown) {
    for (float* c : {l, r}) {
      const float m = (c[0] + c[1] + c[2]) / 3.0f;
      for (int i = 0; i < 3; ++i) c[i] = ClampFloat(((c[i] - m) * 1.2f + m) * 1.2f, 0.0f, 1.35f);
    }
    alpha = std::min(1.0f, 1.2f * alpha);
  }
  const float s = f.s, T = std::max(12.0f, 16.0f * s), lw = std::max(1.8f, 2.4f * s);
  const float x = f.laneX, w = f.laneW, y = f.hitY;
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  SideGradientQuad(x, y - T, w, y - 0.6f * lw, l, r, 0.0f, 0.6f * alpha);
  SetGlColor((l[0] + r[0]) / 2, (l[1] + r[1]) / 2, (l[2] + r[2]) / 2, alpha);
  FillRoundedRect(x, y - lw / 2, w, lw, 0.55f * lw, 10);
  SideGradientQuad(x, y - lw / 2, w, y + lw / 2, l, r, 0.45f * alpha, 0.45f * alpha);
  SideGradientQuad(x, y + lw / 2, w, y + 0.2f * T, l, r, 0.45f * alpha, 0.0f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void DrawNoteFallLane(const BoardViewFrame& bf) {
  const NoteFallStrip st = ComputeNoteFallStrip();
  if (!st.shown || !st.laneShown) return;
  const uint32_t now = ClockMs32();
  const LaneFrame f = LaneFrameFor(bf, st, now);
  if (f.laneAlpha <= 0.001f) return;

  const GLboolean wasClipping = glIsEnabled(GL_SCISSOR_TEST);
  GLint savedBox[4] = {0, 0, 0, 0};
  if (wasClipping) glGetIntegerv(GL_SCISSOR_BOX, savedBox);
  glEnable(GL_SCISSOR_TEST);
  const LaneBox box = ComputeLaneBox(f);
  glScissor(box.x, gClientHeight - (box.top + box.height), box.width, box.height);

  StepParticleClock(now);
  RunLaneNotes(f, &gLaneOut);
  for (const LaneBar& bar : gLaneOut.bars) {
    DrawFallingNote(f, bar.x, bar.width, bar.yTop, bar.yBottom, bar.r, bar.g, bar.b, bar.alpha, bar.isBlack, bar.glowBand);
    if (bar.eventIndex >= 0)
      DrawNoteGlow((size_t)bar.eventIndex, bar.x, bar.width, bar.yTop, bar.yBottom, bar.alpha, f.s, now);
    DrawSecondGlow(f, bar);
  }
  AdvanceBoardParticles(f, gLaneOut);
  DrawParticleSprites(f);

  float l[3], r[3];
  PickHitLineColours(bf.shownScale, bf.shownRoot, l, r);
  if (RunActive())
    for (float* c : {l, r}) {
      const float m = (c[0] + c[1] + c[2]) / 3.0f;
      c[0] = 0.72f * m, c[1] = 0.76f * m, c[2] = 0.82f * m;
    }
  DrawHitLine(f, l, r, 0.92f * f.laneAlpha);

  if (wasClipping) glScissor(savedBox[0], savedBox[1], savedBox[2], savedBox[3]);
  else glDisable(GL_SCISSOR_TEST);
}

void DrawLaneKeyboard(const BoardViewFrame& bf) {
  const NoteFallStrip st = ComputeNoteFallStrip();
  if (!st.shown) return;
  const float s = st.s, kr = st.kr, top = st.keyboardTop, H = st.keyboardH, ba = bf.previewFade;
  const KeyboardLayout k = MakeKeyboardLayout(st.keyboardX, st.keyboardW);
  const bool run = RunActive();
  auto marks = [&](int note) {
    return LaneKeyMarks{run, bf.keyPressed[note], gKeyHitGlow[note], gKeyHoldHighlight[note], gKeyExpectHighlight[note],
                        gKeyMissFlash[note], KeyDisplayState(note, 0) != 0};
  };
  auto highlight = [&](int note, bool black, float x, float w, float h) {
    KeyColour c = DrawPreviewKey(bf, note, PitchClassMod(note), black ? 1.08f : 1.06f, true);
    if (c.a <= 0.001f) return;
    bool marked = false;
    AdjustLaneKeyHighlight(black, marks(note), ba, &c.r, &c.g, &c.b, &c.a, &marked);
    if (!black) {
      SetGlColor(c.r, c.g, c.b, Clamp01(c.a * (marked ? 1.22f : 1.0f)));
      FillRoundedRect(x + std::max(0.5f, 0.35f * s), top + std::max(0.6f, 0.4f * s), std::max(1.0f, w - std::max(1.0f, 0.7f * s)),
                      std::max(1.0f, h - std::max(1.2f, 0.8f * s)), std::max(1.8f, kr - 0.9f), 8);
      SetGlColor(c.r, c.g, c.b, ClampFloat(c.a * (marked ? 0.34f : 0.22f), 0.0f, marked ? 0.58f : 0.3f));
      FillRoundedRect(x - std::max(1.4f, 1.8f * s), top - std::max(1.0f, 1.2f * s), w + std::max(2.8f, 3.6f * s),
                      h + std::max(2.2f, 3.2f * s), std::max(2.2f, kr + 1.2f), 8);
    } else {
      SetGlColor(c.r, c.g, c.b, Clamp01(c.a * (marked ? 1.28f : 1.0f)));
      FillRoundedRect(x + std::max(0.35f, 0.25f * s), top + std::max(0.35f, 0.25f * s), std::max(1.0f, w - std::max(0.7f, 0.45f * s)),
                      std::max(1.0f, h - std::max(0.9f, 0.6f * s)), std::max(1.6f, kr - 1.1f), 8);
      SetGlColor(c.r, c.g, c.b, ClampFloat(c.a * (marked ? 0.3f : 0.18f), 0.0f, marked ? 0.52f : 0.24f));
      FillRoundedRect(x - std::max(0.6f, 0.9f * s), top - std::max(0.8f, s), w + std::max(1.2f, 1.8f * s),
                      h + std::max(1.2f, 1.8f * s), std::max(1.8f, kr - 0.2f), 8);
    }
  };

  const int32_t* whites = LaneWhiteNotes();
  for (int i = 0; i < kLaneWhiteKeys; ++i) {
    const int note = whites[i], pc = PitchClassMod(note);
    KeyColour base = PreviewKeyColour(bf, pc, false, true);
    const float m = 0.12f * (base.r + base.g + base.b) / 3.0f;
    float r = 0.9f * (0.88f * base.r + m), g = 0.9f * (0.88f * base.g + m), b = 0.92f * (0.88f * base.b + m);
    if (run) {
      const float v = (r + g + b) / 3.0f;
      r = 0.76f * v, g = 0.79f * v, b = 0.84f * v;
    }
    const float x = k.x + (float)i * k.whiteW, w = std::max(1.0f, k.whiteW + 0.4f);
    SetGlColor(r, g, b, 0.98f * base.a);
    FillRoundedRect(x, top, w, H, kr, 8);
    SetGlColor(0.08f, 0.1f, 0.13f, 0.3f * ba);
    StrokeRoundedRect(x, top, w, H, kr, 8);
    highlight(note, false, x, w, H);
  }
  for (int note = kLaneLowNote; note <= kLaneHighNote; ++note) {
    float x, w;
    bool black;
    if (!IsBlackKey(note) || !GetLaneKeyRect(k, note, &x, &w, &black)) continue;
    const float bh = 0.66f * H;
    KeyColour base = PreviewKeyColour(bf, PitchClassMod(note), true, true);
    const float m = 0.1f * (base.r + base.g + base.b) / 3.0f;
    float r = 0.9f * base.r + m, g = 0.9f * base.g + m, b = 0.9f * base.b + m;
    if (run) {
      const float v = (r + g + b) / 3.0f;
      r = 0.62f * v, g = 0.65f * v, b = 0.7f * v;
    }
    SetGlColor(r, g, b, base.a);
    FillRoundedRect(x, top, w, bh, std::max(1.8f, kr - 0.6f), 8);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.36f * ba);
    StrokeRoundedRect(x, top, w, bh, std::max(1.8f, kr - 0.6f), 8);
    highlight(note, true, x, w, bh);
  }
}
