// visual/backdrop: gradient, star field and shooting star.
//
// Sections: random numbers, gradient, star field, shooting star. Randomness that must look the same
// on every run (the seeds) comes from a 32-bit mixing hash of an index; the twinkles and the shooting
// star draw from their own running states. Depends on the client size, the circle's layout, the
// frame's note sparks and the tint fade; drawing uses alpha blending and restores nothing else.
#include "visual/backdrop.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "platform/clock.h"
#include "theory/ring_palette.h"
#include "visual/note_sparks.h"

// ---- constants ----
static constexpr float kTwoPi = 6.2831853f;
static constexpr float kPi = 3.14159265f;

// ---- state ----
BackdropDrive gBackdropDrive;           // the frame's values for the stars
std::vector<BackdropStar> gBackdrop;    // the star field
uint32_t gStarRng = 0;                  // twinkle random state
uint32_t gStarRespawnCount = 0;         // stars that left the window
ShootingStar gShootingStar;             // the one shooting star
static int gStarFieldWidth = 0;         // client size the field was last sized for
static int gStarFieldHeight = 0;
static GLuint gGradientTexture = 0;     // the gradient's column of texels, made in the current GL context

// ---- internal helpers: random numbers ----
static uint32_t Hash(uint32_t n) {
  n ^= n >> 16;
  n *= 0x7FEB352Du;
  n ^= n >> 15;
  n *= 0x846CA68Bu;
  n ^= n >> 16;
  return n;
}

static float NextTwinkle() {
  gStarRng = Hash(gStarRng + 0x9E3779B9u);
  return (float)(gStarRng & 0xFFFFFFu) / 16777215.0f;
}

static float NextShooting() {
  if (!gShootingStar.seeded) {
    gShootingStar.seeded = true;
    uint64_t tick = ClockTickMs64();
    gShootingStar.rng ^= (uint32_t)tick ^ (uint32_t)(tick >> 32);
  }
  gShootingStar.rng = gShootingStar.rng * 1664525u + 1013904223u;
  return StarHash01(gShootingStar.rng);
}

static float Smooth(float v) {
  v = Clamp01(v);
  return 3.0f * v * v - 2.0f * v * v * v;
}

// Weights of the top, middle and bottom colours, normalised.
static void GradientMix(float top, float middle, float bottom, const float colours[3][3], float* out) {
  float sum = std::max(top + middle + bottom, 0.00001f);
  for (int k = 0; k < 3; ++k) out[k] = (top * colours[0][k] + middle * colours[1][k] + bottom * colours[2][k]) / sum;
}

// The n strips of the gradient, colour(i / n) at the top of strip i and colour((i + 1) / n) at its
// bottom, shaded smoothly in between: the same picture as one column of n + 1 texels stretched over
// the window with linear filtering, texel j landing exactly on y = H j / n. Drawn that way the
// software renderer fills one quad instead of setting up hundreds of window-wide slivers.
static void DrawGradientStrips(int n, float alpha, void (*colour)(float, float, float*, float*, float*), float m) {
  static std::vector<uint8_t> texels;
  texels.resize((size_t)(n + 1) * 4);
  for (int i = 0; i <= n; ++i) {
    float r, g, b;
    colour((float)i / (float)n, m, &r, &g, &b);
    uint8_t* t = &texels[(size_t)i * 4];
    t[0] = (uint8_t)std::lround(Clamp01(r) * 255.0f);
    t[1] = (uint8_t)std::lround(Clamp01(g) * 255.0f);
    t[2] = (uint8_t)std::lround(Clamp01(b) * 255.0f);
    t[3] = 255;
  }
  // A name is only ever this module's own: one kept from an earlier context could be another
  // module's texture now (a glyph page), which the upload below would overwrite.
  if (gGradientTexture == 0) glGenTextures(1, &gGradientTexture);
  glBindTexture(GL_TEXTURE_2D, gGradientTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, n + 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  float w = (float)gClientWidth, h = (float)gClientHeight;
  float v0 = 0.5f / (float)(n + 1), v1 = ((float)n + 0.5f) / (float)(n + 1);
  SetGlColorAsIs(1, 1, 1, alpha);
  glBegin(GL_QUADS);
  glTexCoord2f(0.5f, v0), glVertex2f(0, 0);
  glTexCoord2f(0.5f, v0), glVertex2f(w, 0);
  glTexCoord2f(0.5f, v1), glVertex2f(w, h);
  glTexCoord2f(0.5f, v1), glVertex2f(0, h);
  glEnd();
}

// ---- public functions: gradient ----
void BackdropGradientColour(float t, float m, float* r, float* g, float* b) {
  float n = 1.0f - m;
  float top = 1.0f - Smooth(t / 0.62f);
  float middle = Smooth((t - 0.12f) / 0.34f) * (1.0f - Smooth((t - 0.62f) / 0.36f));
  float bottom = Smooth((t - 0.38f) / 0.62f);
  const float colours[3][3] = {{0.09f * n + 0.025f * m, 0.094f * n + 0.024f * m, 0.112f * n + 0.029f * m},
                               {0.072f * n + 0.014f * m, 0.078f * n + 0.015f * m, 0.098f * n + 0.02f * m},
                               {0.04f * n + 0.008f * m, 0.044f * n + 0.009f * m, 0.056f * n + 0.012f * m}};
  float out[3];
  GradientMix(top, middle, bottom, colours, out);
  *r = out[0], *g = out[1], *b = out[2];
}

void BackdropGradientColourTop(float t, float m, float* r, float* g, float* b) {
  float n = 1.0f - m;
  float top = 1.0f - Smooth(t / 0.64f);
  float middle = Smooth((t - 0.1f) / 0.34f) * (1.0f - Smooth((t - 0.66f) / 0.34f));
  float bottom = Smooth((t - 0.34f) / 0.66f);
  const float colours[3][3] = {{0.4f * n + 0.32f * m, 0.52f * n + 0.42f * m, 0.76f * n + 0.64f * m},
                               {0.3f * n + 0.24f * m, 0.42f * n + 0.34f * m, 0.66f * n + 0.56f * m},
                               {0.18f * n + 0.14f * m, 0.28f * n + 0.22f * m, 0.5f * n + 0.42f * m}};
  float out[3];
  GradientMix(top, middle, bottom, colours, out);
  *r = out[0], *g = out[1], *b = out[2];
}

int GradientStripCount(int height, float dt) {
  float pace = ClampFloat((1.0f / 60.0f) / std::max(dt, 1.0f / 240.0f), 0.55f, 1.2f);
  long n = std::lround((float)height * (0.3f + 0.4f * pace));
  return (int)std::clamp(n, 240L, 960L);
}

void DrawBackgroundGradient(float dt) {
  if (gClientWidth <= 0 || gClientHeight <= 0) return;
  float m = Clamp01(gBackdropTintFade);
  int n = GradientStripCount(gClientHeight, dt);
  // Texturing, the bound texture and its mode are put back afterwards. The first layer is opaque:
  // drawn without blending, which spares a software renderer a read of every pixel.
  GLboolean texturing = glIsEnabled(GL_TEXTURE_2D), blending = glIsEnabled(GL_BLEND);
  GLint boundTexture = 0, envMode = GL_MODULATE;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisable(GL_BLEND);
  DrawGradientStrips(n, 1.0f, BackdropGradientColour, m);
  if (blending) glEnable(GL_BLEND);
  if (m > 0.001f) DrawGradientStrips(n, 0.46f * m, BackdropGradientColourTop, m);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
  glBindTexture(GL_TEXTURE_2D, (GLuint)boundTexture);
  if (!texturing) glDisable(GL_TEXTURE_2D);
}

void FreeBackdropTexture() {
  if (gGradientTexture) glDeleteTextures(1, &gGradientTexture);
  gGradientTexture = 0;
}

// ---- public functions: stars ----
float StarHash01(uint32_t n) { return (float)(Hash(n) & 0xFFFFFFu) / 16777215.0f; }

void BuildStarField() {
  if (gClientWidth == gStarFieldWidth && gClientHeight == gStarFieldHeight && !gBackdrop.empty()) return;
  gStarFieldWidth = gClientWidth;
  gStarFieldHeight = gClientHeight;
  long area = (long)std::max(gClientWidth, 0) * (long)std::max(gClientHeight, 0);
  size_t count = (size_t)std::clamp(area / 5000, 300L, 1100L);
  size_t old = gBackdrop.size();
  gBackdrop.resize(count, BackdropStar{});
  for (size_t k = old; k < count; ++k) {
    uint32_t i = (uint32_t)k;
    BackdropStar& s = gBackdrop[k];
    s.x = StarHash01(17 * i + 3);
    s.y = StarHash01(29 * i + 11);
    s.speed = 0.01f + 0.04f * StarHash01(43 * i + 7);
    s.size = 0.45f + 1.35f * StarHash01(59 * i + 19);
    s.flash = s.sparkFlash = 0;
    s.brightness = 0.06f + 0.14f * StarHash01(71 * i + 23);
    s.phase = kTwoPi * StarHash01(97 * i + 13);
  }
}

int VisibleStarCount() {
  long area = (long)std::max(gClientWidth, 0) * (long)std::max(gClientHeight, 0);
  return (int)std::clamp(area / 9000, 120L, 420L);
}

void UpdateBackdropStars(float dt, double time, std::vector<StarQuad>* out) {
  BuildStarField();
  if (gBackdrop.empty()) return;
  const BackdropDrive& in = gBackdropDrive;
  float cx, cy, shorter, R, Ri, Rm;
  ComputeCircleLayout(&cx, &cy, &shorter, &R, &Ri, &Rm);
  float margin = std::max(4.0f, 0.006f * shorter);
  float innerExclusion = Rm + margin;
  float X = Clamp01(in.circleOpacity);
  float outerExclusion = X > 0.02f ? (R + margin) * X : 0.0f;
  const int n = std::min(VisibleStarCount(), (int)gBackdrop.size());
  const float S = ClampFloat(in.speed, 0.02f, 3.2f);
  const float E = Clamp01(in.difficulty), L = Clamp01(in.light), P = Clamp01(in.minor),
              D = Clamp01(in.keyLevel), Z = Clamp01(in.cellGlow);
  const double c1 = 0.08 * time;
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  const float sat = Clamp01(0.35f * P + 0.65f * L);
  const float dim = ClampFloat(1.0f - 0.22f * P - 0.9f * D, 0.06f, 1.0f);
  const int colourCount = std::clamp(in.colourCount, 1, 12);
  const uint32_t colourClock = (uint32_t)(int64_t)std::floor(3.7 * time);
  for (int i = 0; i < n; ++i) {
    BackdropStar& s = gBackdrop[(size_t)i];
    s.y -= s.speed * S * dt;
    s.x += std::sin(0.53f * s.phase + c1) * (0.0016f * s.speed + 0.0007f) * dt;
    if (s.x < -0.03f) s.x += 1.06f;
    if (s.x > 1.03f) s.x -= 1.06f;
    if (s.y < -0.03f || s.y > 1.03f) {
      s.y = s.y < -0.03f ? 1.03f : -0.03f;
      ++gStarRespawnCount;
      s.x = std::fmod(0.09f + 0.51f * StarHash01(17u * gStarRespawnCount + 5u + 131u * (uint32_t)i) + s.x, 1.0f);
      if (s.x < 0) s.x += 1.0f;
    }
    s.flash *= std::exp(-2.8f * dt);
    if (NextTwinkle() < (0.05f + 0.2f * L + 0.24f * E) * dt) s.flash = std::max(s.flash, 0.35f + 0.65f * NextTwinkle());
    if (NextTwinkle() < (0.004f + 0.03f * E + 0.015f * L) * dt) s.flash = std::max(s.flash, 1.2f + 0.85f * NextTwinkle());
    float px = W * s.x, py = H * s.y;
    if (gNoteSparkCount > 0) {
      float best = 0;
      for (int k = 0; k < gNoteSparkCount && k < kNoteSparkMax; ++k) {
        const NoteSpark& sp = gNoteSparks[k];
        float d = std::hypot(px - sp.x, py - sp.y);
        if (d >= sp.radius) continue;
        float c = Clamp01(1.0f - d / std::max(sp.radius, 1.0f)) * sp.strength;
        if (c > best) best = c;
      }
      s.sparkFlash *= std::exp(-3.4f * dt);
      if (best > 0.001f) {
        s.sparkFlash = std::max(s.sparkFlash, (0.22f + 0.48f * NextTwinkle()) * best);
        s.flash = std::max(s.flash, 0.3f + 0.6f * best);
      }
    }
    float w = std::sin((7.5f * s.speed * S + 0.45f) * time + s.phase) * 0.48f + 0.52f;
    float base = (0.68f + 0.34f * w) * s.size;
    float f = ClampFloat(0.9f * s.flash + 0.22f * w, 0.0f, 1.8f);
    float half = (1.0f + 0.55f * f + 0.45f * s.sparkFlash) * base;
    float ddx = px - cx, ddy = py - cy;
    float r2 = ddx * ddx + ddy * ddy;
    if (r2 < innerExclusion * innerExclusion) continue;
    if (outerExclusion > 0 && r2 < outerExclusion * outerExclusion) continue;
    uint32_t entry = (colourClock - (uint32_t)i * 0x61C8864Fu) % (uint32_t)colourCount;
    int pos = std::clamp(in.colourPositions[entry], 0, 11);
    float col[3];
    for (int k = 0; k < 3; ++k) col[k] = Clamp01(kRingPalette[pos][k] * 1.1f) * dim;
    float lum = (col[0] + col[1] + col[2]) / 3.0f;
    float spread = 1.2f + sat + 0.25f * E, scale = 1.75f + 1.25f * sat + 0.7f * E;
    for (float& c : col) c = Clamp01((lum + (c - lum) * spread) * scale);
    float alpha = ClampFloat((1.3f + 1.1f * f + L + 0.38f * sat + 0.45f * E) * s.brightness *
                                 (Z > 0.0001f ? 1.0f + 0.22f * Z : 1.0f),
                             0.06f, 0.98f);
    out->push_back({px, py, half, col[0], col[1], col[2], alpha});
  }
}

void DrawBackdrop(float dt, double time) {
  static std::vector<StarQuad> quads;  // reused: no allocation per frame
  quads.clear();
  UpdateBackdropStars(dt, time, &quads);
  if (!quads.empty()) {
    glBegin(GL_QUADS);
    for (const StarQuad& q : quads) {
      SetGlColorAsIs(q.r, q.g, q.b, q.a);
      glVertex2f(q.x - q.half, q.y - q.half);
      glVertex2f(q.x + q.half, q.y - q.half);
      glVertex2f(q.x + q.half, q.y + q.half);
      glVertex2f(q.x - q.half, q.y + q.half);
    }
    glEnd();
  }
  UpdateShootingStar(dt);
}

// ---- public functions: shooting star ----
void UpdateShootingStar(float dt) {
  ShootingStar& st = gShootingStar;
  if (!st.active) {
    if (NextShooting() >= std::max(dt, 0.0f) * 5.787037e-5f) return;  // one start per 17280 s on average
    float u[8];
    for (float& v : u) v = NextShooting();
    float sign = u[0] < 0.5f ? 1.0f : -1.0f;
    float k = 0.42f + 0.3f * u[1];
    float vertical = 0.3f + 0.35f * u[2];
    st.duration = 0.95f + 0.55f * u[3];
    st.startX = sign > 0 ? 0.3f * u[4] - 0.06f : 1.06f - 0.3f * u[4];
    st.startY = 0.02f + 0.34f * u[5];
    st.tail = 0.13f + 0.1f * u[6];
    st.strength = 0.55f + 0.35f * u[7];
    st.dx = k * sign;
    st.dy = k * vertical;
    st.progress = 0;
    st.active = true;
  }
  st.progress += dt / std::max(st.duration, 0.05f);
  float length = std::hypot(st.dx, st.dy);
  if (st.progress >= 1.0f || length < 0.00001f) {
    st.active = false;
    return;
  }
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float e = 1.0f - (1.0f - st.progress) * (1.0f - st.progress);
  float hx = (st.startX + st.dx * e) * W, hy = (st.startY + st.dy * e) * H;
  float sn = std::sin(kPi * st.progress);
  float alpha = sn * sn * 0.42f * st.strength;
  if (alpha <= 0.004f) return;
  // The tail runs from the head back against the flight.
  float vx = st.dx * W, vy = st.dy * H, vl = std::max(std::hypot(vx, vy), 0.0001f);
  float ux = -vx / vl, uy = -vy / vl;  // towards the tail
  float nx = -uy, ny = ux;              // across it
  float tailPx = length * st.tail * std::max(W, H);
  glBegin(GL_QUADS);
  for (int q = 0; q < 14; ++q) {
    float t0 = (float)q / 14.0f, t1 = (float)(q + 1) / 14.0f;
    float w0 = std::max(1.55f * (1.0f - t0), 0.35f), w1 = std::max(1.55f * (1.0f - t1), 0.25f);
    float a0 = (1.0f - t0) * (1.0f - t0) * alpha, a1 = (1.0f - t1) * (1.0f - t1) * alpha;
    float x0 = hx + ux * tailPx * t0, y0 = hy + uy * tailPx * t0;
    float x1 = hx + ux * tailPx * t1, y1 = hy + uy * tailPx * t1;
    SetGlColorAsIs(1, 1, 1, a0);
    glVertex2f(x0 + nx * w0, y0 + ny * w0);
    glVertex2f(x0 - nx * w0, y0 - ny * w0);
    SetGlColorAsIs(1, 1, 1, a1);
    glVertex2f(x1 - nx * w1, y1 - ny * w1);
    glVertex2f(x1 + nx * w1, y1 + ny * w1);
  }
  SetGlColorAsIs(1, 1, 1, std::min(1.9f * alpha, 0.92f));
  glVertex2f(hx - 1.45f, hy - 1.45f);
  glVertex2f(hx + 1.45f, hy - 1.45f);
  glVertex2f(hx + 1.45f, hy + 1.45f);
  glVertex2f(hx - 1.45f, hy + 1.45f);
  glEnd();
}

void ResetBackdrop() {
  gBackdrop.clear();
  gStarFieldWidth = gStarFieldHeight = 0;
  gStarRng = 0;
  gStarRespawnCount = 0;
  gShootingStar = ShootingStar{};
  gBackdropDrive = BackdropDrive{};
}
