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

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

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
static constexpr size_t kMaxGroundBands = 256;  // past this many the ground goes back as its texture

// ---- state ----
struct GroundBand {
  int top, bottom;  // window rows, bottom exclusive
  uint8_t rgba[4];
};
static CachedLayer gGroundLayer;         // the gradient alone
static CachedLayer gCircleLayer;         // the gradient with the circle pass
static uint64_t gShownKeys[12];          // each position's key as gCircleLayer shows it
static uint64_t gLastKeys[12];           // each position's key in the previous frame
static int gRedrawnCount = 12;           // positions drawn afresh in the last frame
static std::vector<GroundBand> gGroundBands;  // gGroundLayer as runs of equal rows; empty: use the texture

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

// Every row of the gradient is one colour, so the ground can go back as a few dozen flat opaque
// bands: a software rasteriser fills those for far less than it samples a window of texels. The
// picture just taken is read back once; a row goes into a band only if each of its pixels is within
// one step of an 8-bit channel of its first (llvmpipe's own gradient rounds some tiles a step
// apart), else the texture itself is put back.
static void ReadGroundBands() {
  gGroundBands.clear();
  const CachedLayer& l = gGroundLayer;
  if (!l.filled || l.width <= 0 || l.height <= 0) return;
  int viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  std::vector<uint8_t> pixels((size_t)l.width * (size_t)l.height * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(viewport[0] + l.x, viewport[1] + viewport[3] - (l.y + l.height), l.width, l.height, GL_RGBA,
               GL_UNSIGNED_BYTE, pixels.data());
  // Read rows count from the bottom.
  for (int row = l.height - 1; row >= 0; --row) {
    const uint8_t* c = &pixels[(size_t)row * (size_t)l.width * 4];
    for (int i = 4; i < l.width * 4; ++i)
      if (std::abs((int)c[i] - (int)c[i % 4]) > 1) {
        gGroundBands.clear();
        return;
      }
    const int y = l.y + (l.height - 1 - row);
    if (!gGroundBands.empty() && std::memcmp(gGroundBands.back().rgba, c, 4) == 0) {
      gGroundBands.back().bottom = y + 1;
      continue;
    }
    if (gGroundBands.size() == kMaxGroundBands) {
      gGroundBands.clear();
      return;
    }
    gGroundBands.push_back({y, y + 1, {c[0], c[1], c[2], c[3]}});
  }
}

// Restores blending, texturing and the GL colour.
static void DrawGroundBands() {
  GLboolean blend = glIsEnabled(GL_BLEND), texturing = glIsEnabled(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  const float x0 = (float)gGroundLayer.x, x1 = x0 + (float)gGroundLayer.width;
  glBegin(GL_QUADS);
  for (const GroundBand& b : gGroundBands) {
    glColor4ubv(b.rgba);
    glVertex2f(x0, (float)b.top);
    glVertex2f(x1, (float)b.top);
    glVertex2f(x1, (float)b.bottom);
    glVertex2f(x0, (float)b.bottom);
  }
  glEnd();
  glColor4fv(CurrentGlColor());
  if (texturing) glEnable(GL_TEXTURE_2D);
  if (blend) glEnable(GL_BLEND);
}

static void DrawGround(float dt) {
  uint64_t key = GroundKey();
  if (IsLayerCurrent(gGroundLayer, 0, 0, gClientWidth, gClientHeight, key)) {
    if (gGroundBands.empty())
      DrawLayer(gGroundLayer);
    else
      DrawGroundBands();
    return;
  }
  DrawBackgroundGradient(dt);
  if (IsLayerSettled(&gGroundLayer, 0, 0, gClientWidth, gClientHeight, key)) {
    CaptureLayer(&gGroundLayer, 0, 0, gClientWidth, gClientHeight, key);
    ReadGroundBands();
  }
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
  gGroundBands.clear();
  std::fill(gShownKeys, gShownKeys + 12, 0);
  std::fill(gLastKeys, gLastKeys + 12, 0);
  gRedrawnCount = 12;
}
