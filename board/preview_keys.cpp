// board/preview_keys: the key painter.
//
// The strength of every light follows the tone curve of the difficulty: the higher the level, the
// less the keys give away. Red for a wrong key stays strong at every level, since a student must
// always see a note that left the scale.
#include "board/preview_keys.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "board/preview_state.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"

// ---- internal helpers ----
static const float* RingColourOf(int pc) { return kRingPalette[RingPosOfPitchClass(PitchClassMod(pc))]; }

static KeyColour BlendTowards(KeyColour c, float mix, float tr, float tg, float tb) {
  c.r = Clamp01((1.0f - mix) * c.r + mix * tr);
  c.g = Clamp01((1.0f - mix) * c.g + mix * tg);
  c.b = Clamp01((1.0f - mix) * c.b + mix * tb);
  return c;
}

// The light of a key that does not sound off the scale.
static KeyColour ScaleLight(const BoardViewFrame& f, int pc, float A, bool laneKey, bool S, float L, bool I) {
  float k, m, a0;
  if (S) {
    k = laneKey ? 0.52f + 0.48f * L : 0.42f + 0.58f * L;
    m = laneKey ? 1.34f + 0.6f * L : 1.2f + 0.4f * L;
    a0 = laneKey ? 1.44f + 0.62f * L : 1.2f + 0.45f * L;
  } else if (f.allNotesAllowed) {
    k = laneKey ? 0.44f : 0.38f;
    m = laneKey ? 1.05f : 0.96f;
    a0 = laneKey ? 0.62f : 0.5f;
  } else if (I) {
    k = laneKey ? 0.36f : 0.3f;
    m = laneKey ? 0.95f : 0.86f;
    a0 = laneKey ? 0.56f : 0.44f;
  } else {
    k = laneKey ? 0.08f : 0.18f;
    m = laneKey ? 0.36f : 0.58f;
    a0 = laneKey ? 0.04f : 0.1f;
  }
  const float* P = RingColourOf(pc);
  float gain = (0.84f + 0.34f * k) * m;
  KeyColour c{Clamp01(gain * P[0]), Clamp01(gain * P[1]), Clamp01(gain * P[2]), 0.0f};
  if (!f.allNotesAllowed && !I) {
    c.r *= laneKey ? 0.14f : 0.22f;
    c.g *= laneKey ? 0.13f : 0.2f;
    c.b *= laneKey ? 0.16f : 0.26f;
  }
  c.a = a0 * A * (0.18f + 0.82f * f.toneCurve) * f.previewFade;
  return c;
}

// ---- public functions ----
KeyColour PreviewKeyColour(const BoardViewFrame& f, int pitchClass, bool black, bool inScale) {
  KeyColour c;
  if (!inScale) {
    c = black ? KeyColour{0.03f, 0.04f, 0.06f, 0.98f} : KeyColour{0.72f, 0.75f, 0.8f, 0.6f};
  } else if (!f.allNotesAllowed) {
    c = black ? KeyColour{0.04f, 0.05f, 0.07f, 0.94f} : KeyColour{0.62f, 0.66f, 0.73f, 0.58f};
  } else {
    const float* P = RingColourOf(pitchClass);
    if (black)
      c = {Clamp01(0.24f * P[0] + 0.05f), Clamp01(0.24f * P[1] + 0.05f), Clamp01(0.24f * P[2] + 0.06f), 0.96f};
    else
      c = {Clamp01(0.5f * P[0] + 0.34f), Clamp01(0.5f * P[1] + 0.36f), Clamp01(0.5f * P[2] + 0.4f), 0.8f};
  }
  c.a *= f.previewFade;
  return c;
}

KeyColour DrawPreviewKey(const BoardViewFrame& f, int note, int pitchClass, float A, bool laneKey) {
  const int pc = PitchClassMod(pitchClass);
  bool S = false, O = false;
  float L = 0.0f, G = 0.0f, F = 0.0f;
  if (laneKey) {
    if (note >= 0 && note < 128) {
      S = f.keySounding[note];
      L = f.keySoundLevel[note];
      O = f.keyOffScale[note];
      G = f.noteGlow[note];
      F = f.keyFlash[note];
    }
  } else if (note >= 48 && note <= 59) {
    S = f.pcSounding[pc];
    L = f.pcLevel[pc];
    O = f.pcOffScale[pc];
    G = f.pcGlow[pc];
    F = f.pcFlash[pc];
  }
  const bool I = IsNoteInScaleOn(f.shownScale, f.shownRoot, pc, f.allNotesAllowed);
  const float t = f.toneCurve;

  KeyColour c;
  if (S && O) {
    float q = 0.62f + 0.38f * (0.5f + 0.5f * std::sin(2.4f * (float)pc + 44.0f * f.now));
    float a = laneKey ? A * q * (1.14f + 0.56f * F) * (0.22f + 0.92f * t)
                      : A * q * (0.98f + 0.42f * F) * (0.2f + 0.9f * t);
    c = {1.0f, 0.05f, 0.04f, a * f.previewFade};
  } else {
    c = ScaleLight(f, pc, A, laneKey, S, L, I);
  }
  if (G > 0.001f) c = ShimmerKeyColour(f, c, note, pc, G, A);
  return DrawPreviewKeyGlow(f, c, pc, A);
}

KeyColour ShimmerKeyColour(const BoardViewFrame& f, KeyColour c, int note, int pitchClass, float G, float A) {
  float wave = 0.5f + 0.5f * std::sin(0.16f * (float)note + 44.0f * f.now + 0.21f * (float)pitchClass);
  float w = ClampFloat((0.68f + 0.32f * wave) * G, 0.0f, 1.7f);
  c.r = Clamp01((1.0f + 0.32f * w) * c.r);
  c.g = Clamp01((1.0f + 0.32f * w) * c.g);
  c.b = Clamp01((1.0f + 0.32f * w) * c.b);
  c.a = Clamp01((1.0f + 0.58f * w) * c.a + (0.1f + 0.2f * w) * A * f.previewFade);
  return c;
}

KeyColour DrawPreviewKeyGlow(const BoardViewFrame& f, KeyColour c, int pitchClass, float A) {
  const int pc = PitchClassMod(pitchClass);
  float g = ClampFloat(f.scaleRunGlow[pc], 0.0f, 1.05f);
  if (g > 0.0001f) {
    float n = Clamp01(g / 1.05f);
    float wave = 0.5f + 0.5f * std::sin(10.0f * (1.05f - g) + 0.57f * (float)pc);
    float mix = (0.86f + 0.14f * wave) * (0.36f + 0.48f * n);
    c = BlendTowards(c, mix, 1.0f, 0.86f, 0.3f);
    c.a = std::max(c.a, (0.46f + 0.46f * n) * A * f.previewFade);
  }
  float cg = f.cellGlow;
  if (cg > 0.0001f && IsNoteInScaleOn(f.shownScale, f.shownRoot, pc, f.allNotesAllowed)) {
    float wave = 0.5f + 0.5f * std::sin(6.1f * f.now + 0.51f * (float)pc);
    float mix = (0.84f + 0.16f * wave) * (0.22f + 0.48f * cg);
    c = BlendTowards(c, mix, 1.0f, 0.84f, 0.26f);
    c.a = std::max(c.a, (0.22f + 0.44f * cg) * A * f.previewFade);
  }
  return c;
}

void PreviewKeyBodyBlocks(const PreviewKeyboardBox& box, float x, float width, int pitchClass, RectF* lower,
                          RectF* upper) {
  const float s = box.scale, v = box.v;
  float m1 = std::max(0.45f * s, 0.6f);
  float w2 = std::max(width - 2.0f * m1, 1.0f);
  *lower = {x + m1, box.y0 + 61.0f * v + m1, w2, std::max(32.0f * v - 2.0f * m1, 1.0f)};

  // The narrow part sits between the black keys, so its insets depend on the key's neighbours.
  float leftShare = 0.28f, rightShare = 0.28f;
  int pc = PitchClassMod(pitchClass);
  if (pc == 0 || pc == 5) {
    leftShare = 0.06f;
    rightShare = 0.44f;
  } else if (pc == 4 || pc == 11) {
    leftShare = 0.44f;
    rightShare = 0.06f;
  }
  float left = ClampFloat(leftShare * w2, 0.0f, std::max(w2 - 1.0f, 0.0f));
  float right = ClampFloat(rightShare * w2, 0.0f, std::max(w2 - left - 1.0f, 0.0f));
  float top = box.y0 + v + std::max(0.22f * s, 0.35f);
  float bottom = box.y0 + 61.0f * v + m1 + std::max(0.5f * s, 0.7f);
  *upper = {x + m1 + left, top, std::max(w2 - left - right, 1.0f), std::max(bottom - top, 1.0f)};
}

void DrawPreviewKeyBody(const PreviewKeyboardBox& box, float x, float width, int pitchClass, KeyColour c,
                        float factor) {
  if (c.a <= 0.001f) return;
  float a = c.a * factor;
  RectF lower, upper;
  PreviewKeyBodyBlocks(box, x, width, pitchClass, &lower, &upper);
  SetGlColor(c.r, c.g, c.b, Clamp01(a));
  FillRoundedRect(lower.x, lower.y, lower.w, lower.h, std::max(box.radius - 1.2f, 2.0f), 8);
  SetGlColor(c.r, c.g, c.b, Clamp01(0.9f * a));
  FillRoundedRect(upper.x, upper.y, upper.w, upper.h, std::max(box.radius - 1.4f, 1.7f), 8);
}
