// visual/start_screen: the start screen's state, layout, clock, hit tests and mouse handlers, the
// version line and the scene's geometry (hills, lights, the mark's roll); no GL here.
#include "visual/start_screen.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "app/base/app_clock.h"
#include "app/base/build_id.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/ui_language.h"
#include "midi/device_pickers.h"
#include "platform/input.h"

#ifndef TONVARRA_BUILD_HASH
#define TONVARRA_BUILD_HASH "00000000"
#endif

// ---- state ----
bool gLanguageListOpen = false;          // the language list is open
float gLanguageListOpenAmount = 0.0f;    // eased open state
float gLanguageScroll = 0.0f;            // drum centre row
float gLanguageScrollTarget = 0.0f;      // scroll target
bool gLanguageDragging = false;          // scroll bar drag
float gLanguageDragStartY = 0.0f;        // drag start y
float gLanguageDragStartTarget = 0.0f;   // drag start target
bool gLanguageScrollBarHover = false;    // over the scroll bar
int gLanguageHoverRow = -1;              // hovered row
float gLanguageHoverAmount = 0.0f;       // eased bar hover
double gStartLastTime = -1.0;            // previous smoothing time
double gStartLastDrawTime = -1.0;        // previous drawing time
float gMidiPickerOpenAmount = 0.0f;      // eased MIDI picker state
float gAudioPickerOpenAmount = 0.0f;     // eased audio-out picker state
static float gLanguagePointerX = -10000.0f, gLanguagePointerY = -10000.0f;  // where the handlers last saw it

// ---- internal helpers ----
static int LanguageCount() {
  InitUiLanguage();
  return (int)gLanguageList.size();
}

static float ClampRow(float row, int count) { return std::clamp(row, 0.0f, (float)std::max(count - 1, 0)); }

static bool InBox(float x, float y, float bx, float by, float bw, float bh) {
  return bx <= x && x <= bx + bw && by <= y && y <= by + bh;
}

static float Ease(float value, float target, float rate, float dt) {
  return value + (target - value) * (1.0f - std::exp(-rate * dt));
}

static float Smoother(float x) { return x * x * x * (x * (6.0f * x - 15.0f) + 10.0f); }

static bool AnyListOpen() { return gLanguageListOpen || gMidiPickerOpen || gAudioOutPickerOpen; }

// ---- public functions: layout and clock ----
float StartScreenScale(int width, int height) {
  return std::clamp((float)std::min(width, height) / 900.0f, 0.75f, 1.2f);
}

StartScreenLayout ComputeStartScreenLayout() {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  StartScreenLayout l{};
  float s = l.scale = StartScreenScale(gClientWidth, gClientHeight);
  float margin = std::max(14.0f, 16.0f * s);
  // The device headers take this width too, so all three rows grow together and keep their colons
  // in one column.
  l.buttonW = std::max({160.0f, 270.0f * s, PickerRowMinWidth(s)});
  l.buttonH = std::max(28.0f, 36.0f * s);
  l.buttonX = margin;
  l.buttonY = H - margin - l.buttonH;
  // the upper bound first: a value above it takes it, else one below the lower bound takes that
  auto clampUpperFirst = [](float v, float lo, float hi) { return v > hi ? hi : (v < lo ? lo : v); };
  l.panelW = clampUpperFirst(0.34f * W, std::max(260.0f, 300.0f * s), std::max(360.0f, 480.0f * s));
  l.panelH = clampUpperFirst(0.7f * H, std::max(240.0f, 320.0f * s), std::max(430.0f, 620.0f * s));
  l.panelX = std::max(10.0f, margin);
  l.panelY = std::min(std::max(0.13f * H, 10.0f), std::max(H - l.panelH - margin - l.buttonH - 8.0f, 10.0f));
  float pad = std::max(8.0f, 10.0f * s), barGap = std::max(6.0f, 8.0f * s), barW = std::max(12.0f, 16.0f * s);
  l.rowsX = l.panelX + pad;
  l.rowsY = l.panelY + std::max(22.0f, 28.0f * s) + 1.35f * pad;
  l.rowsW = std::max(60.0f, l.panelW - 2.0f * pad - barGap - barW);
  l.rowsH = std::max(80.0f, l.panelH - (l.rowsY - l.panelY) - pad);
  l.barCentreX = l.rowsX + l.rowsW + barGap + 0.5f * barW;
  l.barHitX = l.barCentreX - std::max(10.0f, 12.0f * s);
  l.barHitY = l.rowsY + 3.0f;
  l.barHitW = std::max(20.0f, 24.0f * s);
  l.barHitH = std::max(1.0f, l.rowsH - 6.0f);
  l.trackTop = l.rowsY + 3.0f;
  l.trackBottom = l.rowsY + l.rowsH - 3.0f;
  l.rowH = std::max(15.0f, 20.0f * s);
  return l;
}

float GetStartScreenElapsed(double now) { return StartClockElapsed(now); }

bool IsStartScreenVisible(double now) {
  if (gSplashImage.texture == 0 || gSplashImage.width < 1 || gSplashImage.height < 1) return false;
  if (AnyListOpen() || gStartClock < 0.0) return true;
  return GetStartScreenElapsed(now) < kStartScreenSeconds;
}

float StartScreenAlpha(float elapsed) {
  float p = std::clamp(elapsed / kStartScreenSeconds, 0.0f, 1.0f);
  return (1.0f - Smoother(std::clamp((p - 0.78f) / 0.22f, 0.0f, 1.0f))) * Smoother(std::clamp(p / 0.14f, 0.0f, 1.0f));
}

bool StartScreenCoversBackground(double now) {
  return gStartClock >= 0.0 && IsStartScreenVisible(now) && StartScreenAlpha(GetStartScreenElapsed(now)) >= 1.0f;
}

// ---- public functions: the language list ----
void SetLanguageListOpen(bool open, double now) {
  if (open == gLanguageListOpen) return;
  int count = LanguageCount();
  gLanguageListOpen = open;
  SetStartListOpen(kStartListLanguage, open, now);
  if (open) {
    gLanguageScrollTarget = (float)gLanguageIndex;
    if (gLanguageScroll < 0.0f || gLanguageScroll > (float)std::max(0, count - 1)) gLanguageScroll = gLanguageScrollTarget;
    return;
  }
  gLanguageDragging = false;
  gLanguageScrollBarHover = false;
  gLanguageHoverRow = -1;
  CaptureMouse(false);
}

void UpdateStartScreenSmoothing(double now) {
  float dt = gStartLastTime < 0.0 ? 0.0f : std::clamp((float)(now - gStartLastTime), 0.0f, 0.05f);
  gStartLastTime = now;
  gLanguageListOpenAmount =
      std::clamp(Ease(gLanguageListOpenAmount, gLanguageListOpen ? 1.0f : 0.0f, 12.0f, dt), 0.0f, 1.0f);
  bool barActive = gLanguageDragging || gLanguageScrollBarHover;
  gLanguageHoverAmount = std::clamp(Ease(gLanguageHoverAmount, barActive ? 1.0f : 0.0f, 10.0f, dt), 0.0f, 1.0f);
  int count = LanguageCount();
  if (count == 0) {
    gLanguageScroll = gLanguageScrollTarget = 0.0f;
    return;
  }
  gLanguageScrollTarget = ClampRow(gLanguageScrollTarget, count);
  gLanguageScroll = Ease(gLanguageScroll, gLanguageScrollTarget, gLanguageDragging ? 20.0f : 12.0f, dt);
  if (std::fabs(gLanguageScroll - gLanguageScrollTarget) < 0.0008f) gLanguageScroll = gLanguageScrollTarget;
  gLanguageScroll = ClampRow(gLanguageScroll, count);
  // The drum turns under a still pointer after a wheel turn: the lit row follows what is under it.
  int row = -1;
  if (gLanguageListOpen && !gLanguageDragging)
    gLanguageHoverRow = LanguageRowAt(gLanguagePointerX, gLanguagePointerY, &row) ? row : -1;
}

bool IsOnLanguageScrollBar(float x, float y) {
  StartScreenLayout l = ComputeStartScreenLayout();
  return InBox(x, y, l.barHitX, l.barHitY, l.barHitW, l.barHitH);
}

bool LanguageRowAt(float x, float y, int* row) {
  int count = LanguageCount();
  StartScreenLayout l = ComputeStartScreenLayout();
  if (!gLanguageListOpen || count == 0 || !InBox(x, y, l.rowsX, l.rowsY, l.rowsW, l.rowsH)) return false;
  float centre = l.rowsY + l.rowsH / 2.0f;
  int r = (int)std::lround((y - centre) / std::max(l.rowH, 1.0f) + gLanguageScroll);
  r = std::clamp(r, 0, count - 1);
  if (std::fabs(y - (centre + ((float)r - gLanguageScroll) * l.rowH)) > 0.55f * l.rowH) return false;
  *row = r;
  return true;
}

bool StartScreenMouseDown(int xi, int yi) {
  double now = GetAppSeconds();
  if (!IsStartScreenVisible(now)) return false;
  float x = (float)xi, y = (float)yi;
  StartScreenLayout l = ComputeStartScreenLayout();
  if (gLanguageListOpen) {
    int row = -1;
    if (IsOnLanguageScrollBar(x, y)) {
      gLanguageDragStartY = y;
      gLanguageDragStartTarget = gLanguageScrollTarget;
      gLanguageDragging = true;
      CaptureMouse(true);
    } else if (LanguageRowAt(x, y, &row)) {
      ApplyUiLanguage(row, true);
      // Some rectangles are as wide as their words in the UI language (the overlay's button
      // column): laid out for the old words they would cut the new ones until the next resize.
      RelayoutAll();
      gLanguageScroll = gLanguageScrollTarget = (float)row;
      SetLanguageListOpen(false, now);
    } else if (!InBox(x, y, l.panelX, l.panelY, l.panelW, l.panelH)) {
      SetLanguageListOpen(false, now);
    }
    return true;
  }
  if (InBox(x, y, l.buttonX, l.buttonY, l.buttonW, l.buttonH)) SetLanguageListOpen(true, now);
  return true;
}

bool StartScreenMouseMove(int xi, int yi) {
  if (!IsStartScreenVisible(GetAppSeconds())) return false;
  float x = (float)xi, y = (float)yi;
  gLanguagePointerX = x, gLanguagePointerY = y;
  int count = LanguageCount();
  if (gLanguageDragging && gLanguageListOpen && count > 0) {
    StartScreenLayout l = ComputeStartScreenLayout();
    float track = std::max(l.trackBottom - l.trackTop, 40.0f);
    gLanguageScrollTarget =
        ClampRow(gLanguageDragStartTarget + (y - gLanguageDragStartY) / track * (float)std::max(count - 1, 1), count);
  } else if (gLanguageListOpen) {
    gLanguageScrollBarHover = IsOnLanguageScrollBar(x, y);
    int row = -1;
    gLanguageHoverRow = LanguageRowAt(x, y, &row) ? row : -1;
  } else {
    gLanguageScrollBarHover = false;
    gLanguageHoverRow = -1;
  }
  return true;
}

bool StartScreenMouseWheel(int xi, int yi, int delta) {
  if (!IsStartScreenVisible(GetAppSeconds())) return false;
  int count = LanguageCount();
  if (!gLanguageListOpen || count == 0) return true;
  float x = (float)xi, y = (float)yi;
  gLanguagePointerX = x, gLanguagePointerY = y;
  StartScreenLayout l = ComputeStartScreenLayout();
  if (InBox(x, y, l.rowsX, l.rowsY, l.rowsW, l.rowsH) || IsOnLanguageScrollBar(x, y) ||
      InBox(x, y, l.panelX, l.panelY, l.panelW, l.panelH))
    gLanguageScrollTarget = ClampRow(gLanguageScrollTarget - (float)delta / 120.0f, count);
  return true;
}

void StartScreenMouseUp() {
  if (!gLanguageDragging) return;
  gLanguageDragging = false;
  CaptureMouse(false);
}

void ResetStartScreen() {
  ResetStartClock();
  gStartLastTime = gStartLastDrawTime = -1.0;
  gLanguageListOpenAmount = gMidiPickerOpenAmount = gAudioPickerOpenAmount = 0.0f;
  gLanguageListOpen = gMidiPickerOpen = gAudioOutPickerOpen = false;
  gLanguageDragging = gLanguageScrollBarHover = false;
  gLanguageHoverRow = -1;
  gLanguagePointerX = gLanguagePointerY = -10000.0f;
}

void SetLanguageListRows(float row) { gLanguageScroll = gLanguageScrollTarget = row; }

// ---- public functions: version line ----
std::string FormatVersionLine(const std::string& buildId, const std::string& hash) {
  size_t dash = buildId.rfind('-');
  std::string date = dash == std::string::npos ? buildId : buildId.substr(dash + 1);
  if (date.size() == 8) date = date.substr(0, 4) + "." + date.substr(4, 2) + "." + date.substr(6, 2);
  return "v" + date + "  " + hash;
}

std::string BuildVersionLine() {
  static std::once_flag once;
  static std::string line;
  std::call_once(once, [] { line = FormatVersionLine(GetBuildId(), TONVARRA_BUILD_HASH); });
  return line;
}

// ---- public functions: scene geometry ----
float SceneHash01(uint32_t x) {
  x ^= x >> 13;
  x *= 0x85EBCA77u;
  x ^= x >> 15;
  x *= 0xC2B2AE3Du;
  x ^= x >> 16;
  return (float)(x & 0xFFFFFFu) * (1.0f / 16777216.0f);
}

void HillSilhouette(int k, float elapsed, int width, int height, float* xs, float* ys) {
  const float kTwoPi = 6.28318530718f;
  float W = (float)width, H = (float)height, sx = W / 1280.0f, sy = H / 720.0f, b = (float)k / 8.0f;
  float y0 = std::pow(b, 2.35f) * H, a = (9.0f + 53.0f * std::pow(b, 1.05f)) * sy;
  float lambda = (760.0f + 1340.0f * b) * sx;
  uint32_t n = (uint32_t)k * 73856093u;
  float phi1 = kTwoPi * SceneHash01(n ^ 0x23F2BE9Eu), phi2 = kTwoPi * SceneHash01(n ^ 0x209B7F3Fu);
  float d = (0.07f + 0.13f * b) * elapsed;
  for (int i = 0; i < kHillSamples; ++i) {
    float x = (float)i * W / 112.0f, w = kTwoPi * x / std::max(lambda, 1.0f);
    xs[i] = x;
    ys[i] = y0 + a * std::sin(w + d + phi1) + 0.3f * a * std::sin(2.13f * w - 1.4f * d + phi2);
  }
}

int PlaceHillLights(int k, float elapsed, int width, int height, const float* xs, const float* ys, HillLight* out,
                    int capacity) {
  float W = (float)width, H = (float)height, sy = H / 720.0f, b = (float)k / 8.0f;
  float y0 = std::pow(b, 2.35f) * H, a = (9.0f + 53.0f * std::pow(b, 1.05f)) * sy;
  float bandTop = 0.31f * H, bandBottom = 0.78f * H, fade = 0.05f * H;
  float half = (0.7f + 0.45f * b) * sy, layerScale = 0.42f + 0.43f * b;
  int count = 0, clusters = (int)std::floor(4.0f * b + 5.0f);
  for (int c = 0; c < clusters; ++c) {
    uint32_t seed = (uint32_t)(k * 977 + c * 131 + 17) * 2654435761u;
    if (SceneHash01(seed) < 0.3f) continue;
    float clusterX = SceneHash01(seed ^ 0x1B873593u) * W;
    int strings = 1 + (int)(2.99f * SceneHash01(seed ^ 0x68E31DA4u));
    for (int st = 0; st < strings; ++st) {
      uint32_t ss = seed + (uint32_t)st * 0x9E3779B9u;
      int squares = 12 + (int)(18.0f * SceneHash01(ss ^ 0xB5297A4Du));
      float length = (0.05f + 0.08f * SceneHash01(ss ^ 0x1B56C4E9u)) * W;
      float startX = clusterX + (SceneHash01(ss ^ 0x7F4A7C15u) - 0.5f) * 0.08f * W - 0.5f * length;
      float drop = (2.0f + 10.0f * SceneHash01(ss ^ 0x94D049BBu)) * sy;  // below the crest
      for (int j = 0; j < squares && count < capacity; ++j) {
        float u = (float)j / (float)(squares - 1);
        float x = startX + u * length;
        if (x < 0.0f || x > W) continue;
        float fi = std::clamp(x / W * 112.0f, 0.0f, 112.0f);
        int i0 = std::min((int)fi, 111);
        float yc = ys[i0] + (ys[i0 + 1] - ys[i0]) * (fi - (float)i0);
        float y = yc + drop + 3.0f * sy * SceneHash01(ss + (uint32_t)j * 7919u);
        if (y < bandTop || y > bandBottom) continue;
        float edge = std::clamp(std::min(y - bandTop, bandBottom - y) / fade, 0.0f, 1.0f);
        float q = std::clamp((y0 - yc + 1.3f * a) / (2.6f * a), 0.0f, 1.0f);
        float phase = 6.2831853f * SceneHash01(ss ^ (uint32_t)(j * 40503));
        float twinkle = 0.35f + 0.65f * (0.5f + 0.5f * std::sin(61.0f * u + 5.5f * elapsed + phase));
        float alpha = twinkle * std::pow(q, 1.15f) * std::exp(-(u - 0.35f) * (u - 0.35f) / 0.18f) * edge * layerScale;
        if (alpha < 0.004f) continue;
        out[count++] = {x, y, half, alpha};
      }
    }
  }
  (void)xs;
  return count;
}

float RollingMarkX(float t, float x0, float x1, float side) {
  const float kRoll = 2.3f, kSettle = 0.55f;
  if (t <= 0.0f) return x0;
  if (t < kRoll) return x0 + (x1 - x0) * (1.0f - std::exp2(-9.0f * t / kRoll));
  float tau = std::min(t - kRoll, kSettle);
  return x1 + std::exp(-7.0f * tau) * 0.045f * (side / 2.0f) * std::sin(13.194689f * tau);
}

void LanguageAccentColour(float t, double now, float* r, float* g, float* b) {
  float stops[3][3] = {{0.7f, 0.8f, 1.0f}, {0.7f, 0.8f, 1.0f}, {0.7f, 0.8f, 1.0f}};
  int count = LanguageCount();
  if (count > 0) {
    int mid = std::clamp((int)std::lround(gLanguageScroll), 0, count - 1);
    const LanguageEntry* entries[3] = {&gLanguageList[0], &gLanguageList[(size_t)mid], &gLanguageList[(size_t)count - 1]};
    for (int i = 0; i < 3; ++i) {
      float c[3] = {entries[i]->r, entries[i]->g, entries[i]->b};
      float mean = (c[0] + c[1] + c[2]) / 3.0f;
      float spread = i == 1 ? 1.38f : 1.28f, lift = i == 1 ? 1.14f : 1.08f, add = i == 1 ? 0.04f : 0.03f;
      for (int ch = 0; ch < 3; ++ch) stops[i][ch] = std::clamp(((c[ch] - mean) * spread + mean) * lift + add, 0.0f, 1.0f);
    }
  }
  t = std::clamp(t, 0.0f, 1.0f);
  const float* from = t < 0.5f ? stops[0] : stops[1];
  const float* to = t < 0.5f ? stops[1] : stops[2];
  float m = t < 0.5f ? 2.0f * t : 2.0f * (t - 0.5f);
  float shimmer = 1.0f + (0.08f + 0.16f * gLanguageHoverAmount) * (0.72f + 0.28f * (0.5f + 0.5f * std::sin(2.3f * now + 7.1f * t)));
  float out[3];
  for (int ch = 0; ch < 3; ++ch) out[ch] = std::clamp((from[ch] + (to[ch] - from[ch]) * m) * shimmer, 0.0f, 1.0f);
  *r = out[0];
  *g = out[1];
  *b = out[2];
}
