// visual/start_screen_draw: the start screen drawn: the night hills with their lights, the rolling
// mark, the wordmark wiping in, the language button and drum list, the device panels and the
// version line. Every GL state changed here is restored before returning.
#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/base/strings.h"
#include "gfx/draw_alpha.h"
#include "gfx/images.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "midi/device_pickers.h"
#include "platform/input.h"
#include "visual/start_screen.h"

// ---- state ----
static float gHillX[kHillSamples];               // scratch: silhouette x per sample
static float gHillYs[kHillLayers][kHillSamples];  // scratch: every layer's silhouette y per sample
static HillLight gLights[3 * 29 * 13];  // scratch: one layer's lights (13 clusters at most)

// ---- internal helpers ----
static UiFont UiTextFont() { return gFontMain ? gFontMain : (gFontSmall ? gFontSmall : gFontLarge); }
static UiFont RowFont() { return gFontSmall ? gFontSmall : (gFontMain ? gFontMain : gFontLarge); }

// How many hill layers must lie over a pixel before what is under them can no longer show: each
// fill lets 1 - 0.8 alpha through, and below a quarter of one 8-bit step nothing changes. More
// than the layers there are means every fill is drawn whole.
static int HillCoverDepth(float alpha) {
  float through = 1.0f - 0.8f * std::clamp(alpha * gDrawAlpha, 0.0f, 1.0f), left = 1.0f;
  for (int n = 1; n < kHillLayers; ++n)
    if ((left *= through) <= 0.002f) return n;
  return kHillLayers;
}

static void DrawHills(float elapsed, float alpha, int W, int H) {
  float sy = (float)H / 720.0f;
  // Every silhouette first: a fill stops where the next `depth` layers all cover it, since the
  // pixels below would come out the same. The interpolated maximum of the sample points lies on
  // or below the front silhouettes between samples; two pixels more spare the edges.
  int depth = HillCoverDepth(alpha);
  for (int k = 0; k < kHillLayers; ++k) HillSilhouette(k, elapsed, W, H, gHillX, gHillYs[k]);
  for (int k = 0; k < kHillLayers; ++k) {
    float b = (float)k / 8.0f;
    float y0 = std::pow(b, 2.35f) * (float)H, a = (9.0f + 53.0f * std::pow(b, 1.05f)) * sy;
    const float* ys = gHillYs[k];
    glBegin(GL_QUAD_STRIP);
    SetGlColor(0.095f - 0.084f * b, 0.045f - 0.039f * b, 0.225f - 0.189f * b, 0.8f * alpha);
    for (int i = 0; i < kHillSamples; ++i) {
      float bottom = (float)H;
      if (k + depth < kHillLayers) {
        float covered = ys[i];
        for (int j = k + 1; j <= k + depth; ++j) covered = std::max(covered, gHillYs[j][i]);
        bottom = std::min(bottom, covered + 2.0f);
      }
      glVertex2f(gHillX[i], ys[i]);
      glVertex2f(gHillX[i], bottom);
    }
    glEnd();
    float rim = (2.2f + 3.8f * b) * sy;
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < kHillSamples; ++i) {
      float q = std::clamp((y0 - ys[i] + 1.3f * a) / (2.6f * a), 0.0f, 1.0f);
      SetGlColor(0.62f, 0.76f, 0.95f, q * q * q * (0.62f - 0.2f * b) * alpha);
      glVertex2f(gHillX[i], ys[i]);
      SetGlColor(0.62f, 0.76f, 0.95f, 0.0f);
      glVertex2f(gHillX[i], ys[i] + rim);
    }
    glEnd();
    int n = PlaceHillLights(k, elapsed, W, H, gHillX, ys, gLights, (int)(sizeof gLights / sizeof gLights[0]));
    glBegin(GL_QUADS);
    for (int i = 0; i < n; ++i) {
      const HillLight& l = gLights[i];
      float la = l.alpha * alpha;
      if (la < 0.004f) continue;
      SetGlColor(1.0f, 1.0f, 1.0f, la);
      glVertex2f(l.x - l.half, l.y - l.half);
      glVertex2f(l.x + l.half, l.y - l.half);
      glVertex2f(l.x + l.half, l.y + l.half);
      glVertex2f(l.x - l.half, l.y + l.half);
    }
    glEnd();
  }
}

// The mark's geometry for the client size: side, centre y and the roll's ends.
struct MarkPlace {
  float side, y, x0, x1, groupLeft;
};
static MarkPlace MarkPlaceFor(int W, int H) {
  MarkPlace m;
  m.side = 0.3f * (float)H;
  m.y = 0.46f * (float)H;
  float groupWidth = m.side + 0.3f * m.side + 0.26f * (float)W;
  m.groupLeft = ((float)W - groupWidth) / 2.0f;
  m.x0 = -1.15f * m.side;
  m.x1 = m.groupLeft + m.side / 2.0f;
  return m;
}

static void DrawWordmark(float T, float alpha, int W, int H, const MarkPlace& m) {
  if (gWordmarkImage.texture == 0 || T <= 2.5475f) return;
  float r = std::clamp((T - 2.5475f) / 0.75f, 0.0f, 1.0f), e = 1.0f - (1.0f - r) * (1.0f - r) * (1.0f - r);
  float aspect = (float)gWordmarkImage.width / (float)std::max(gWordmarkImage.height, 1);
  float w = 0.26f * (float)W, h = w / std::max(aspect, 0.5f);
  float left = m.groupLeft + 1.3f * m.side;
  float top = 0.46f * (float)H - h / 2.0f + 10.0f * (1.0f - e) * ((float)H / 720.0f);
  glBindTexture(GL_TEXTURE_2D, gWordmarkImage.texture);
  glBegin(GL_QUADS);
  for (int j = 0; j < 48; ++j) {
    float a = std::clamp((1.1f * e - 0.05f - ((float)j + 0.5f) / 48.0f) / 0.1f, 0.0f, 1.0f) * (0.25f + 0.75f * e) * alpha;
    if (a < 0.003f) continue;
    float u0 = (float)j / 48.0f, u1 = (float)(j + 1) / 48.0f;
    SetGlColor(1.0f, 1.0f, 1.0f, a);
    glTexCoord2f(u0, 0.0f);
    glVertex2f(left + u0 * w, top);
    glTexCoord2f(u1, 0.0f);
    glVertex2f(left + u1 * w, top);
    glTexCoord2f(u1, 1.0f);
    glVertex2f(left + u1 * w, top + h);
    glTexCoord2f(u0, 1.0f);
    glVertex2f(left + u0 * w, top + h);
  }
  glEnd();
}

static void DrawVersionLine(float alpha, int W, int H) {
  UiFont font = gFontMain ? gFontMain : (gFontItalic ? gFontItalic : gFontSmall);
  float s = StartScreenScale(W, H), margin = std::max(14.0f, 16.0f * s);
  std::string line = BuildVersionLine();
  ScopedTrSuppress keep;  // a version is not a word to translate
  float x = (float)W - margin - MeasureText(font, line, 14.0f), y = (float)H - margin;
  DrawTextUtf8(font, x + 1.0f, y + 1.0f, line, 0.0f, 0.0f, 0.0f, 0.4f * alpha);
  DrawTextUtf8(font, x, y, line, 0.72f, 0.78f, 0.88f, 0.55f * alpha);
}

static void DrawScrollBar(const StartScreenLayout& l, double now, float o, int count) {
  float Lt = std::max(l.trackBottom - l.trackTop, 1.0f);
  float f = count > 1 ? gLanguageScroll / (float)(count - 1) : 0.0f;
  float yT = l.trackTop + Lt * f, h = gLanguageHoverAmount;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.1f * o);
  FillRect(l.barCentreX - 1.0f, l.trackTop, 2.0f, Lt);
  glBegin(GL_QUAD_STRIP);
  for (int j = 0; j < 39; ++j) {
    float u = (float)j / 38.0f, y = l.trackTop + Lt * u;
    float d = (y - yT) / std::max(0.25f * Lt, 0.001f), bump = std::exp(-d * d);
    float cx = l.barCentreX + std::sin(12.0f * u + 6.4f * now) * bump * (0.25f + 0.75f * h);
    float hw = 0.7f * (1.6f + 4.4f * h) * bump + 0.7f * (2.2f + 2.0f * o);
    float r, g, b;
    LanguageAccentColour(u, now, &r, &g, &b);
    float a = (0.58f + 0.42f * bump) * (0.2f + 0.44f * o) * 0.7f * o;
    SetGlColor(std::min(0.72f * r, 1.0f), std::min(0.72f * g, 1.0f), std::min(0.75f * b, 1.0f), a);
    glVertex2f(cx - hw, y);
    SetGlColor(std::min(1.1f * r, 1.0f), std::min(1.1f * g, 1.0f), std::min(1.14f * b, 1.0f), a);
    glVertex2f(cx + hw, y);
  }
  glEnd();
  float Lh = std::max(0.1f * Lt, 14.0f), w = 4.0f + 2.8f * h;
  float c = std::clamp(yT, l.trackTop + Lh / 2.0f, std::max(l.trackTop + Lh / 2.0f, l.trackBottom - Lh / 2.0f));
  float r, g, b;
  LanguageAccentColour(f, now, &r, &g, &b);
  SetGlColor(r, g, b, 0.28f * o);
  FillRoundedRect(l.barCentreX - 1.55f * w, c - 0.725f * Lh, 3.1f * w, 1.9f * Lh, std::max(1.2f * w, 2.0f), 8);
  SetGlColor(r, g, b, 0.78f * o);
  FillRoundedRect(l.barCentreX - w, c - Lh / 2.0f, 2.0f * w, Lh, std::max(w, 2.0f), 8);
}

static void DrawDrumRows(const StartScreenLayout& l, float o, int count) {
  float s = l.scale, half = l.rowsH / 2.0f, yC = l.rowsY + half;
  int centre = (int)std::lround(gLanguageScroll);
  int k = (int)std::floor(l.rowsH / std::max(l.rowH, 1.0f)) + 2;
  UiFont font = RowFont();
  for (int r = std::max(0, centre - k); r <= std::min(count - 1, centre + k); ++r) {
    float cy = yC + ((float)r - gLanguageScroll) * l.rowH;
    if (cy < l.rowsY - l.rowH || cy > l.rowsY + l.rowsH + l.rowH) continue;
    float a = o * std::clamp(1.0f - std::fabs(cy - yC) / std::max(half, 1.0f), 0.0f, 1.0f);
    if (a <= 0.001f) continue;
    bool current = r == gLanguageIndex;
    if (current || r == gLanguageHoverRow) {
      if (current) SetGlColor(0.92f, 0.82f, 0.52f, 0.18f * a);
      else SetGlColor(0.86f, 0.88f, 0.96f, 0.1f * a);
      FillRoundedRect(l.rowsX + 2.0f, cy - 0.48f * l.rowH, l.rowsW - 4.0f, 0.96f * l.rowH, std::max(3.0f * s, 2.0f), 8);
    }
    const LanguageEntry& e = gLanguageList[(size_t)r];
    ScopedTrSuppress keep;  // labels and codes are already in their own language
    std::string code = e.code;
    for (char& ch : code) ch = (char)std::toupper((unsigned char)ch);
    // The code stands inside the row's right edge as measured; the label takes what is left.
    float size = FontPixelSize(font), pad = std::max(8.0f * s, 6.0f), left = std::max(6.0f * s, 5.0f);
    float codeW = MeasureText(font, code, size);
    float cx = l.rowsX + l.rowsW - pad - codeW;
    std::string label = FitTextToWidth(font, e.label, size, std::max(cx - pad - (l.rowsX + left), 8.0f));
    float baseline = cy + std::max(4.2f * s, 3.6f);
    DrawTextUtf8(font, l.rowsX + left, baseline, label, std::clamp(0.56f + 0.42f * e.r, 0.0f, 1.0f),
                 std::clamp(0.56f + 0.42f * e.g, 0.0f, 1.0f), std::clamp(0.58f + 0.42f * e.b, 0.0f, 1.0f),
                 (current ? 0.98f : 0.78f) * a);
    DrawTextUtf8(font, cx, baseline, code, 0.82f, 0.88f, 0.96f, (current ? 0.9f : 0.56f) * a);
  }
}

// ---- public functions ----
void DrawRollingMark(float t, float alpha) {
  if (alpha <= 0.002f) return;
  MarkPlace m = MarkPlaceFor(gClientWidth, gClientHeight);
  float x = RollingMarkX(t, m.x0, m.x1, m.side);
  float angle = -(x - m.x0) / (m.side / 2.0f);
  float c = std::cos(angle), s = std::sin(angle), h = m.side / 2.0f;
  static const float kCorners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};
  SetGlColor(1.0f, 1.0f, 1.0f, alpha);
  glBegin(GL_QUADS);
  for (const auto& k : kCorners) {
    float px = k[0] * h, py = k[1] * h;
    glTexCoord2f(k[2], k[3]);
    glVertex2f(x + px * c - py * s, m.y + px * s + py * c);
  }
  glEnd();
}

void DrawSplashScene(double now, float elapsed, float alpha) {
  (void)now;
  int W = gClientWidth, H = gClientHeight;
  if (W < 2 || H < 2) return;
  glDisable(GL_TEXTURE_2D);
  // An opaque sky needs no blending: a software renderer then skips reading every pixel.
  bool opaque = alpha >= 1.0f && gDrawAlpha >= 1.0f, blending = glIsEnabled(GL_BLEND);
  if (opaque) glDisable(GL_BLEND);
  glBegin(GL_QUADS);
  SetGlColor(0.014f, 0.026f, 0.075f, alpha);
  glVertex2f(0.0f, 0.0f);
  glVertex2f((float)W, 0.0f);
  SetGlColor(0.006f, 0.011f, 0.036f, alpha);
  glVertex2f((float)W, (float)H);
  glVertex2f(0.0f, (float)H);
  glEnd();
  if (opaque && blending) glEnable(GL_BLEND);
  DrawHills(elapsed, alpha, W, H);
  MarkPlace m = MarkPlaceFor(W, H);
  float T = elapsed;
  GLint savedTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  glEnable(GL_TEXTURE_2D);
  if (gMarkImage.texture != 0) {
    glBindTexture(GL_TEXTURE_2D, gMarkImage.texture);
    DrawRollingMark(T - 0.16f, 0.028f * alpha);
    DrawRollingMark(T - 0.105f, 0.055f * alpha);
    DrawRollingMark(T - 0.055f, 0.1f * alpha);
    for (int i = 0; i < 10; ++i) DrawRollingMark(T + (float)i / 10.0f * 0.01f, alpha / 10.0f);
  }
  DrawWordmark(T, alpha, W, H, m);
  glBindTexture(GL_TEXTURE_2D, (GLuint)savedTexture);
  glDisable(GL_TEXTURE_2D);
}

void DrawLanguageList(double now, float alpha) {
  UpdateStartScreenSmoothing(now);
  StartScreenLayout l = ComputeStartScreenLayout();
  float s = l.scale;
  int count = (int)gLanguageList.size();
  if (!(gLanguageListOpen && gLanguageListOpenAmount >= 0.999f)) {
    float bA = (1.0f - 0.65f * gLanguageListOpenAmount) * std::clamp(alpha, 0.0f, 1.0f);
    int mx = 0, my = 0;
    GetPointerClientPos(&mx, &my);
    float hover = (l.buttonX <= mx && mx <= l.buttonX + l.buttonW && l.buttonY <= my && my <= l.buttonY + l.buttonH) ? 1.0f : 0.0f;
    float radius = std::max(9.0f * s, 7.0f);
    SetGlColor(0.04f, 0.06f, 0.1f, (0.58f + 0.1f * hover) * bA);
    FillRoundedRect(l.buttonX, l.buttonY, l.buttonW, l.buttonH, radius, 12);
    SetGlColor(1.0f, 1.0f, 1.0f, (0.14f + 0.08f * hover) * bA);
    StrokeRoundedRect(l.buttonX + 0.5f, l.buttonY + 0.5f, l.buttonW - 1.0f, l.buttonH - 1.0f, radius, 12);
    bool known = gLanguageIndex >= 0 && gLanguageIndex < count;
    DrawPickerRow(UiTextFont(), RectF{l.buttonX, l.buttonY, l.buttonW, l.buttonH}, s, "Language",
                  known ? gLanguageList[(size_t)gLanguageIndex].label : "English", bA);
  }
  float o = std::clamp(gLanguageListOpenAmount, 0.0f, 1.0f);
  if (o <= 0.001f || count == 0) return;
  SetGlColor(0.01f, 0.02f, 0.05f, 0.34f * o);
  FillRect(0.0f, 0.0f, (float)gClientWidth, (float)gClientHeight);
  SetGlColor(0.03f, 0.05f, 0.09f, 0.78f * o);
  FillRoundedRect(l.panelX, l.panelY, l.panelW, l.panelH, std::max(10.0f * s, 8.0f), 12);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.11f * o);
  StrokeRoundedRect(l.panelX, l.panelY, l.panelW, l.panelH, std::max(10.0f * s, 8.0f), 12);
  UiFont title = gFontMain ? gFontMain : (gFontSmall ? gFontSmall : gFontLarge);
  DrawTextUtf8(title, l.panelX + std::max(12.0f * s, 10.0f), l.panelY + std::max(24.0f * s, 20.0f), "Select Language",
               0.92f, 0.96f, 1.0f, 0.92f * o);
  float rr = std::max(7.0f * s, 6.0f);
  SetGlColor(0.05f, 0.07f, 0.12f, 0.56f * o);
  FillRoundedRect(l.rowsX, l.rowsY, l.rowsW, l.rowsH, rr, 12);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.08f * o);
  StrokeRoundedRect(l.rowsX, l.rowsY, l.rowsW, l.rowsH, rr, 12);
  // The centre slot is framed above and below its row, never struck through the text.
  SetGlColor(0.95f, 0.88f, 0.62f, 0.18f * o);
  glBegin(GL_LINES);
  for (float edge : {-0.5f, 0.5f}) {
    float y = l.rowsY + l.rowsH / 2.0f + edge * l.rowH;
    glVertex2f(l.rowsX + 4.0f, y);
    glVertex2f(l.rowsX + l.rowsW - 4.0f, y);
  }
  glEnd();
  DrawScrollBar(l, now, o, count);
  DrawDrumRows(l, o, count);
}

bool DrawStartScreen(double now) {
  if (gSplashImage.texture == 0 || gSplashImage.width < 1 || gSplashImage.height < 1) return false;
  if (gStartClock < 0.0) gStartClock = now;
  float dt = gStartLastDrawTime < 0.0 ? 0.0f : std::clamp((float)(now - gStartLastDrawTime), 0.0f, 0.05f);
  gStartLastDrawTime = now;
  float k = 1.0f - std::exp(-12.0f * dt);
  gMidiPickerOpenAmount = std::clamp(gMidiPickerOpenAmount + ((gMidiPickerOpen ? 1.0f : 0.0f) - gMidiPickerOpenAmount) * k, 0.0f, 1.0f);
  gAudioPickerOpenAmount = std::clamp(gAudioPickerOpenAmount + ((gAudioOutPickerOpen ? 1.0f : 0.0f) - gAudioPickerOpenAmount) * k, 0.0f, 1.0f);
  // The screen ends only when it is no longer visible: any open list (language or device) holds it.
  if (!IsStartScreenVisible(now)) return false;
  float elapsed = GetStartScreenElapsed(now);
  float A = StartScreenAlpha(elapsed);
  DrawSplashScene(now, elapsed, A);
  DrawLanguageList(now, A);
  DrawMidiInputPanel(A);
  DrawAudioOutPanel(now, A);
  if (A > 0.01f) DrawVersionLine(A, gClientWidth, gClientHeight);
  return true;
}
