// board/lane_keys: the strip, the lane and the 88-key geometry, and the keyboard's highlight rules.
//
// Sizes are designed for 1600 x 900 and scale with the UI scale, each with a pixel minimum, so the
// keyboard keeps usable keys in a small window.
#include "board/lane_keys.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "board/board_layout.h"
#include "gfx/layout.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "theory/scale_rows.h"
#include "theory/staff_panel.h"

// ---- constants ----
constexpr unsigned kBlackKeyMask = 0x54A;  // bits 1, 3, 6, 8, 10: C#, D#, F#, G#, A#

// ---- internal helpers ----
namespace {

struct WhiteKeyTables {
  int32_t index[128];
  int32_t notes[kLaneWhiteKeys];
  WhiteKeyTables() {
    int count = 0;
    for (int n = 0; n < 128; ++n) index[n] = -1;
    for (int n = kLaneLowNote; n <= kLaneHighNote; ++n) {
      if (IsBlackKey(n)) continue;
      notes[count] = n;
      index[n] = count++;
    }
  }
};

const WhiteKeyTables& Tables() {
  static const WhiteKeyTables tables;
  return tables;
}

// v pushed away from the channels' mean by f, capped per channel.
void PushColour(float f, float capR, float capG, float capB, float* r, float* g, float* b) {
  float m = (*r + *g + *b) / 3.0f;
  *r = ClampFloat(m + (*r - m) * f, 0.0f, capR);
  *g = ClampFloat(m + (*g - m) * f, 0.0f, capG);
  *b = ClampFloat(m + (*b - m) * f, 0.0f, capB);
}

}  // namespace

// ---- public functions ----
bool IsBlackKey(int pitchClass) { return (kBlackKeyMask >> PitchClassMod(pitchClass)) & 1u; }

const int32_t* LaneWhiteKeyIndex() { return Tables().index; }
const int32_t* LaneWhiteNotes() { return Tables().notes; }

KeyboardLayout MakeKeyboardLayout(float x, float width) {
  KeyboardLayout k;
  k.whiteIndex = LaneWhiteKeyIndex();
  k.x = x;
  k.width = width;
  k.whiteW = width / (float)kLaneWhiteKeys;
  k.blackW = std::max(2.2f, 0.62f * k.whiteW);
  return k;
}

bool GetLaneKeyRect(const KeyboardLayout& k, int note, float* x, float* width, bool* isBlack) {
  *isBlack = IsBlackKey(note);
  // The white-key table alone would let C#8 hang off the right edge; the keyboard ends at C8.
  if (note < kLaneLowNote || note > kLaneHighNote) return false;
  if (!*isBlack) {
    int i = k.whiteIndex[note];
    if (i < 0) return false;
    *x = k.x + (float)i * k.whiteW;
    *width = std::max(1.0f, k.whiteW + 0.4f);  // closes the seams between neighbouring keys
    return true;
  }
  int i = k.whiteIndex[note - 1];
  if (i < 0) return false;
  float centre = k.x + (float)(i + 1) * k.whiteW;
  float left = std::max(k.x, centre - k.blackW / 2.0f);
  float right = std::min(centre + k.blackW / 2.0f, k.x + k.width);
  *x = left;
  *width = right - left;
  return *width > 0.2f;
}

bool IsLaneModeOn() { return gPracticeMode || gSongView || gWaitMode || gLearningOverlay; }

// The strip's band alone (x, y, w, h, shortForm, shown): what the staff panel keeps clear of, so it
// reads nothing of the staff.
static void PlaceStripBand(NoteFallStrip* st) {
  const float s = st->s;
  const float winW = (float)gClientWidth, winH = (float)gClientHeight;
  BoardLayout layout;
  ComputeBoardLayout(&layout);
  const float mX = std::max(18.0f, 20.0f * s), mB = std::max(12.0f, 14.0f * s), mT = std::max(20.0f, 24.0f * s);
  float top = layout.stripY + layout.stripH + mT;
  if (gLaneAnchorRect.w > 0.0f) top = std::max(top, gLaneAnchorRect.y + std::max(18.0f, 22.0f * s));
  float h = ClampFloat(0.28f * winH, std::max(126.0f, 146.0f * s), std::max(220.0f, 300.0f * s));
  if (top > winH - mB - h) h = std::max(116.0f, winH - mB - top);
  else top = winH - mB - h;
  st->x = mX;
  st->y = top;
  st->w = std::max(240.0f, winW - 2.0f * mX);
  st->h = h;
  st->shortForm = IsLearningOverlayShown();
  st->shown = h > std::max(64.0f, 72.0f * s) || st->shortForm || (gPracticeMode && h > std::max(16.0f, 20.0f * s));
}

float NoteFallStripTop() {
  NoteFallStrip st{};
  st.s = GetUiScale();
  if (!IsLaneModeOn()) return 0.0f;
  PlaceStripBand(&st);
  return st.shown ? st.y : 0.0f;
}

NoteFallStrip ComputeNoteFallStrip() {
  NoteFallStrip st{};
  st.button = kHiddenRect;
  const float s = GetUiScale();
  st.s = s;
  if (!IsLaneModeOn()) return st;
  PlaceStripBand(&st);
  if (!st.shown) return st;
  const float top = st.y, h = st.h;

  st.pad = std::max(10.0f, 12.0f * s);
  st.kr = std::max(1.8f, 2.2f * s);
  const float border = std::max(1.0f, 1.4f * s), gap = std::max(3.0f, 4.0f * s);
  st.keyboardTop = top + st.pad;
  st.keyboardH = std::max(92.0f, h - 2.0f * st.pad);
  const float bw = ClampFloat(20.0f * s, 18.0f, 26.0f);
  st.keyboardW = std::max(120.0f, st.w - (bw + gap + std::max(2.0f, 3.0f * s)) - border);
  st.keyboardX = st.x + st.w - border - st.keyboardW;
  float by = std::max(top + std::max(1.0f, 1.2f * s), st.keyboardTop - st.pad);
  st.button = {std::max(st.x + 1.0f, st.keyboardX - bw - gap), by, bw, st.keyboardTop + st.keyboardH - by};

  st.hitY = st.laneH = st.keyboardTop;
  st.laneAlpha = st.shortForm ? 1.0f : Clamp01(gPracticeModeFade);
  st.laneShown = st.laneAlpha > 0.001f && st.laneH > std::max(64.0f, 74.0f * s);
  st.laneTop = 0.0f;
  st.span = st.laneH;
  if (st.shortForm) {
    // Notes fade in below the circle and its side panel, never closer to the keys than the span.
    float cx, cy, minSide, radius, inner, innermost;
    ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
    float px, py, pw, ph;
    ComputeSidePanelRect(&px, &py, &pw, &ph);
    float panelBottom = py + ph;
    RectF staff;
    if (ComputeStaffPanelRect(&staff) && staff.w > 2.0f && staff.h > 2.0f) panelBottom = staff.y + staff.h;
    float base = std::min(cy + radius, panelBottom) - std::max(10.0f, 12.0f * s);
    const float lo = std::max(24.0f, 30.0f * s), hi = std::max(lo, st.hitY - 1.0f);
    float laneTop = ClampFloat(base, lo, hi);
    st.span = ClampFloat(0.3f * st.hitY, 140.0f, 380.0f);
    laneTop = std::min(laneTop, st.hitY - std::max(120.0f, 0.9f * st.span));
    st.laneTop = ClampFloat(laneTop, lo, hi);
  }
  return st;
}

void AdjustLaneKeyHighlight(bool black, const LaneKeyMarks& m, float boardAlpha, float* r, float* g, float* b,
                            float* amount, bool* marked) {
  const float a = *amount, ba = boardAlpha;
  const float e = m.error, h = m.hit, p = m.pulse, u = m.upcoming;
  auto grey = [&]() {
    if (black) *r = 0.36f, *g = 0.38f, *b = 0.42f, *amount = Clamp01(0.06f * ba + 0.2f);
    else *r = 0.44f, *g = 0.46f, *b = 0.5f, *amount = Clamp01(0.06f * ba + 0.22f);
  };
  if (!m.run) {
    *marked = m.pressed;
    if (!m.pressed) *amount = (black ? 0.88f : 0.86f) * a;
    else if (black) PushColour(1.68f, 2.5f, 2.5f, 2.7f, r, g, b), *amount = Clamp01(1.65f * a + 0.08f * ba);
    else PushColour(1.6f, 2.4f, 2.4f, 2.6f, r, g, b), *amount = Clamp01(1.58f * a + 0.08f * ba);
    return;
  }
  *marked = h > 0.01f || p > 0.01f || u > 0.01f;
  if (h > 0.01f) {
    if (black) PushColour(1.7f, 2.5f, 2.5f, 2.7f, r, g, b), *amount = Clamp01((0.6f * h + 0.4f) * (0.16f * ba + 0.92f));
    else PushColour(1.62f, 2.4f, 2.4f, 2.6f, r, g, b), *amount = Clamp01((0.62f * h + 0.38f) * (0.16f * ba + 0.92f));
  } else if (p > 0.01f) {
    if (black) PushColour(1.52f, 2.3f, 2.3f, 2.5f, r, g, b), *amount = Clamp01((0.1f * ba + 0.92f) * (0.18f * p + 0.36f));
    else PushColour(1.46f, 2.2f, 2.2f, 2.4f, r, g, b), *amount = Clamp01((0.1f * ba + 0.92f) * (0.2f * p + 0.34f));
  } else if (u > 0.01f) {
    if (black) PushColour(1.36f, 2.1f, 2.1f, 2.3f, r, g, b), *amount = Clamp01((0.24f * u + 0.18f) * (0.08f * ba + 0.9f));
    else PushColour(1.3f, 2.0f, 2.0f, 2.2f, r, g, b), *amount = Clamp01((0.26f * u + 0.16f) * (0.08f * ba + 0.9f));
  } else if (!m.pressed && e <= 0.01f) {
    grey();
  } else if (m.displayState) {
    const float base = black ? 0.11f : 0.12f;
    *r = Clamp01(1.0f + 0.06f * e);
    *g = Clamp01(base + 0.05f * (1.0f - e));
    *b = Clamp01(base + 0.04f * (1.0f - e));
    float held = std::max(e, m.pressed ? 0.65f : 0.0f);
    *amount = black ? Clamp01(0.34f * held + 0.52f) : Clamp01(0.38f * held + 0.48f);
  } else if (m.pressed) {
    PushColour(1.4f, 2.2f, 2.2f, 2.4f, r, g, b);
    *amount = Clamp01(0.3f * ba + 0.44f);
  } else {
    grey();
  }
}

void PickHitLineColours(const ScaleRow* scale, int root, float left[3], float right[3]) {
  int pcs[12], n = 0;
  root = PitchClassMod(root);
  if (scale && scale->count > 0) {
    for (int i = 0; i < scale->count && i < 12 && n < 12; ++i) {
      int pc = PitchClassMod(scale->pcs[i] + root);
      if (std::find(pcs, pcs + n, pc) == pcs + n) pcs[n++] = pc;
    }
  }
  if (n == 0) pcs[n++] = root;
  int bi = 0, bj = 0;
  float best = -1.0f;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const float* a = kRingPalette[RingPosOfPitchClass(pcs[i])];
      const float* c = kRingPalette[RingPosOfPitchClass(pcs[j])];
      float d = (a[0] - c[0]) * (a[0] - c[0]) + (a[1] - c[1]) * (a[1] - c[1]) + (a[2] - c[2]) * (a[2] - c[2]);
      if (d > best) best = d, bi = i, bj = j;
    }
  auto lighten = [](int pc, float out[3]) {
    const float* c = kRingPalette[RingPosOfPitchClass(pc)];
    out[0] = Clamp01(c[0] + 0.2f);
    out[1] = Clamp01(c[1] + 0.22f);
    out[2] = Clamp01(0.98f * c[2] + 0.26f);
  };
  lighten(pcs[bi], left);
  lighten(pcs[bj], right);
}
