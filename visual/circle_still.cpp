// visual/circle_still: cached background and ring pictures.
//
// Two layers: the bare gradient, and the gradient with the whole circle pass over it. A position
// whose key changed is cleared by putting the bare gradient back over its pie slice, which holds
// its sectors and labels and nothing of its neighbours, and is then drawn over that. Once a
// changed position holds still for a frame the whole picture is taken again, so a chord that
// stops shimmering costs nothing afterwards. A whole picture is taken only once it held still
// (the layer cache's settling rule), never in the frame a size or tint changed. Keys round
// colours to 1/4096, far below one step of an 8-bit channel, so a glow decaying towards zero
// settles instead of changing for ever.
#include "visual/circle_still.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layer_cache.h"
#include "gfx/text.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "visual/backdrop.h"
#include "visual/ring_primitives.h"

// ---- constants ----
static constexpr int kSliceSteps = 24;  // arc points of a position's pie slice

// ---- state ----
static CachedLayer gGroundLayer;         // the gradient alone
static CachedLayer gCircleLayer;         // the gradient with the circle pass
static uint64_t gShownKeys[12];          // each position's key as gCircleLayer shows it
static uint64_t gLastKeys[12];           // each position's key in the previous frame
static int gRedrawnCount = 12;           // positions drawn afresh in the last frame

// ---- internal helpers ----

static uint64_t MixRounded(uint64_t key, float v) {
  double q = std::isfinite(v) ? std::nearbyint((double)v * 4096.0) : 0.0;
  return LayerKeyMix(key, (uint64_t)(int64_t)q);
}

static uint64_t GroundKey() {
  uint64_t key = LayerKeyMix(kLayerKeySeed, (uint64_t)gClientWidth);
  key = LayerKeyMix(key, (uint64_t)gClientHeight);
  return MixRounded(key, Clamp01(gBackdropTintFade));
}

// What every position shares: the ground, the geometry, the fades, the fonts and the language.
static uint64_t SharedKey(const CirclePassInput& in, const CircleLook& look) {
  uint64_t key = GroundKey();
  for (float v : {in.centreX, in.centreY, in.minSide, in.outer, in.inner, in.innermost, gRingFrame.opacity,
                  gRingFrame.lightBlend, gRingFrame.ringModeFade, look.labelAlpha, gTextBrightness, gDrawAlpha,
                  FontPixelSize(gFontLarge), FontPixelSize(gFontMain)})
    key = MixRounded(key, v);
  key = LayerKeyMix(key, gFontLarge);
  key = LayerKeyMix(key, gFontMain);
  key = LayerKeyMix(key, look.degreeLabelsSmall ? 1u : 0u);   // every position's numeral changes font
  return LayerKeyMix(key, (uint64_t)(int64_t)gLanguageIndex);  // a language may bring other glyphs
}

static void DrawGround(float dt) {
  uint64_t key = GroundKey();
  if (IsLayerCurrent(gGroundLayer, 0, 0, gClientWidth, gClientHeight, key)) {
    DrawLayer(gGroundLayer);
    return;
  }
  DrawBackgroundGradient(dt);
  if (IsLayerSettled(&gGroundLayer, 0, 0, gClientWidth, gClientHeight, key))
    CaptureLayer(&gGroundLayer, 0, 0, gClientWidth, gClientHeight, key);
}

// The pie slice of ring position p, out to beyond the outer ring, as a fan from the centre.
static void SliceOf(const CirclePassInput& in, int p, float* xy) {
  float a0 = RingSectorStart(p), reach = in.outer + std::max(24.0f, 0.05f * in.minSide);
  xy[0] = in.centreX;
  xy[1] = in.centreY;
  for (int i = 0; i <= kSliceSteps; ++i) {
    float a = a0 + kRingSectorAngle * (float)i / (float)kSliceSteps;
    xy[2 + 2 * i] = in.centreX + reach * std::cos(a);
    xy[3 + 2 * i] = in.centreY + reach * std::sin(a);
  }
}

static void DrawWhole(float dt, const CirclePassInput& in, const CircleLook& look, uint64_t shared,
                      const uint64_t* keys) {
  DrawGround(dt);
  DrawCirclePass(in, look);
  // The rings must hold still as well as the frame around them: every key goes into the check.
  uint64_t whole = shared;
  for (int p = 0; p < 12; ++p) whole = LayerKeyMix(whole, keys[p]);
  if (IsLayerSettled(&gCircleLayer, 0, 0, gClientWidth, gClientHeight, whole) &&
      CaptureLayer(&gCircleLayer, 0, 0, gClientWidth, gClientHeight, shared))
    std::memcpy(gShownKeys, keys, sizeof gShownKeys);
  gRedrawnCount = 12;
}

// ---- public functions ----

uint64_t RingPositionKey(const RingPositionLook& look) {
  uint64_t key = LayerKeyMix(kLayerKeySeed, (uint64_t)look.paintCount);
  for (int i = 0; i < look.paintCount && i < kRingPaintMax; ++i) {
    const RingPaint& p = look.paints[i];
    key = LayerKeyMix(key, p.kind);
    for (float v : {p.rIn, p.rOut, p.r, p.g, p.b, p.a, p.k1, p.k2, p.width}) key = MixRounded(key, v);
  }
  for (char c : look.degreeLabel) key = LayerKeyMix(key, (uint8_t)c);
  for (float v : look.degreeColour) key = MixRounded(key, v);
  return key;
}

void DrawBackgroundStill(float dt) {
  if (gClientWidth <= 0 || gClientHeight <= 0) return;
  DrawGround(dt);
}

void DrawCircleStill(float dt, const CirclePassInput& in, const CircleLook& look) {
  if (gClientWidth <= 0 || gClientHeight <= 0) return;
  uint64_t keys[12];
  for (int p = 0; p < 12; ++p) keys[p] = RingPositionKey(look.positions[p]);
  uint64_t shared = SharedKey(in, look);
  bool ground = IsLayerCurrent(gGroundLayer, 0, 0, gClientWidth, gClientHeight, GroundKey());
  if (!ground || !IsLayerCurrent(gCircleLayer, 0, 0, gClientWidth, gClientHeight, shared)) {
    DrawWhole(dt, in, look, shared, keys);
  } else {
    DrawLayer(gCircleLayer);
    gRedrawnCount = 0;
    bool settled = false;
    float slice[2 * (kSliceSteps + 2)];
    for (int p = 0; p < 12; ++p) {
      if (keys[p] == gShownKeys[p]) continue;
      SliceOf(in, p, slice);
      DrawLayerInFan(gGroundLayer, slice, kSliceSteps + 2);
      DrawCirclePosition(in, look, p);
      ++gRedrawnCount;
      if (keys[p] == gLastKeys[p]) settled = true;
    }
    if (settled && CaptureLayer(&gCircleLayer, 0, 0, gClientWidth, gClientHeight, shared))
      std::memcpy(gShownKeys, keys, sizeof gShownKeys);
  }
  std::memcpy(gLastKeys, keys, sizeof gLastKeys);
}

int CircleStillRedrawnCount() { return gRedrawnCount; }

void ResetCircleStill() {
  ReleaseLayer(&gGroundLayer);
  ReleaseLayer(&gCircleLayer);
  std::fill(gShownKeys, gShownKeys + 12, 0);
  std::fill(gLastKeys, gLastKeys + 12, 0);
  gRedrawnCount = 12;
}
