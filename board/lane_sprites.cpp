// board/lane_sprites: the motes' and sparks' glow sprites and their batched drawing.
#include "board/lane_sprites.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/base/maths.h"
#include "board/board_motes.h"
#include "board/board_particles.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "midi/play_along.h"
#include "theory/circle_theory.h"

// ---- state ----
static size_t gLastSpritesDrawn = 0;  // sprites the last particle pass sent

// ---- internal helpers ----
namespace {

// True when [c - h, c + h] holds a pixel centre (k + 0.5), with a little slack for the
// rasteriser's snapping: a quad that holds none in x or in y makes no fragment at all.
bool SpansPixelCentre(float lo, float hi) {
  constexpr float kSnap = 1.0f / 128.0f;
  return std::ceil(lo - kSnap - 0.5f) + 0.5f <= hi + kSnap;
}

// The same inside the box's whole pixels [from, from + size); the box's edges are pixel edges, so
// its pixel centres lie strictly inside and need no slack on that side.
bool SpansPixelCentreIn(float lo, float hi, int from, int size) {
  if (size <= 0) return SpansPixelCentre(lo, hi);
  return SpansPixelCentre(std::max(lo, (float)from), std::min(hi, (float)(from + size)));
}

void Put(GlowSpriteSink* sink, float x, float y, float radius, float r, float g, float b, float a) {
  if (radius <= 0.05f || a <= 0.001f) return;  // as a single glow quad would skip it
  sink->Add({x, y, radius, r, g, b, a});
}

void EmitMote(const LaneFrame& f, const BoardMote& m, const BoardParticleTuning& t, bool dim, float T,
              GlowSpriteSink* sink) {
  const float P = f.practiceLevel;
  const float tl = Clamp01(m.life / std::max(m.maxLife, 0.001f)), age = 1.0f - tl;
  const float A = m.bonded ? t.splashBrightness : P * 0.3f + 0.78f;
  const float S = m.bonded ? t.splashSizeScale : P * 0.34f + 0.8f;
  const float G = m.bonded ? t.moteGlowScale : P * 0.25f + 0.7f;
  const float gridBottom = gBoardGrid.top + gBoardGrid.height;
  const float depth = Clamp01((gridBottom - m.y) / gBoardGrid.height);
  const float env = Smoothstep01(0.0f, 0.25f, age) * (1.0f - Smoothstep01(0.65f, 1.0f, age));
  const float prox = std::exp(-2.2f * std::fabs(m.x - m.anchorX) / std::max(1.0f, (env * 0.4f + 0.22f) * m.reach));
  const float tw = std::pow(std::fabs(std::sin(age * 4.0f + m.phase + 0.006f * m.x + 0.008f * m.y)), 1.7f) * 0.66f + 0.34f;
  const float fades = f.laneAlpha * OverlayProximityFade(f, m.x, m.y) * SmoothFadeIn(f, m.y);
  float Rc, Gc, Bc, a, rad, wB = 0.0f, gl = 0.0f;
  if (!m.bonded) {
    const float wm = Clamp01(G * m.shine * prox);
    Rc = ((1.0f - wm) * m.r + wm) * 0.88f * A;
    Gc = ((1.0f - wm) * m.g + 1.05f * wm) * 0.88f * A;
    Bc = ((1.0f - wm) * m.b + 1.1f * wm) * 0.88f * A;
    rad = std::max(0.12f, (tl * 0.9f + 0.42f) * m.size * (tw * 0.35f + 0.9f) * S);
    a = (0.85f - 0.25f * age) * (prox * 0.6f + 0.24f) * std::pow(tl, 1.35f) * (depth * 0.22f + 0.9f) * 1.1f * A *
        (tw * 0.2f + 0.9f) * S * fades;
  } else {
    const float fadeA = 1.0f - Smoothstep01(0.02f, 0.2f, age);
    const float env2 = Smoothstep01(0.0f, 0.06f, age) * ((1.0f - Smoothstep01(0.6f, 1.0f, age)) * 0.58f + 0.42f);
    const float o = CenteredOffset(m.groupIndex, m.groupSize);
    const float edge = Clamp01(std::fabs(o) / std::max(1.0f, (float)std::max(m.groupSize - 1, 1) * 0.5f));
    const float innerW = (1.0f - edge) * 0.42f + 0.58f;
    const float dn = std::fabs(m.x - m.anchorX) /
                     std::max(1.0f, (age * 0.96f * m.tetherGrowth + 0.58f) * (0.92f - edge * 0.3f) * m.reach);
    const float e1 = std::exp(-1.55f * dn * dn), e2 = std::exp(-0.72f * dn);
    const float flick = std::sin(age * 12.0f + m.phase + 0.035f * m.y) * 0.12f + 0.88f;
    wB = Clamp01(m.weightB);
    const float core =
        ClampFloat(((m.vigour * 0.3f + 0.24f) * e1 + tw * 0.08f) * Clamp01((1.0f - 0.45f * dn) * 0.5f + 0.5f), 0.0f, 0.72f);
    const float cw = (depth * 0.26f + 0.92f) * core * 1.18f * (innerW * 0.16f + 0.84f) * S;
    const float wm = Clamp01(G * m.shine * (fadeA * 0.16f + 0.24f) + e1 * 0.03f + cw * 0.12f);
    const float bright = (e2 * 0.18f + 0.54f + wB * 0.12f + cw * 0.32f) * (innerW * 0.34f + 0.76f) * A;
    Rc = ((m.r * 0.62f + 0.1f) * (1.0f - wm) + 0.94f * wm) * bright;
    Gc = ((m.g * 0.64f + 0.12f) * (1.0f - wm) + 0.96f * wm) * bright;
    Bc = ((m.b * 0.7f + 0.16f) * (1.0f - wm) + 1.02f * wm) * bright;
    a = (e2 * 0.28f + 0.05f + wB * 0.08f + cw * 0.24f) * env2 * (flick * 0.16f + 0.84f) * (depth * 0.18f + 0.9f) *
        (innerW * 0.16f + 0.84f) * S * fades;
    rad = std::max(0.2f, (tl * 1.24f + 1.04f) * m.size * (wB * 0.22f + 1.06f) * (innerW * 0.4f + 0.78f) * S);
    gl = Clamp01(cw * 0.64f + 0.36f);
  }
  float mix = 0.0f, pulse = 1.0f, lit = 1.0f;
  if (m.keyState) {
    const float p = std::sin(T * m.flickerRate + m.flickerPhase - 0.06f * m.y) * 0.5f + 0.5f;
    a *= p * 0.25f + 0.85f;
    rad *= p * 0.2f + 0.92f;
    mix = Clamp01(p * 0.78f + 0.22f);
    pulse = std::sin(5.6f * T + m.flickerPhase) * 0.35f + 0.65f;
    lit = (std::sin(11.0f * T + 1.7f * m.flickerPhase + 0.05f * m.y) * 0.5f + 0.5f) * 0.85f + 0.15f;
  }
  ShadeSegmentColour(m.keyState != 0, dim, mix, pulse, lit, &Rc, &Gc, &Bc);
  const float x = m.x, y = m.y, vx = m.vx, vy = m.vy;
  if (m.bonded) {
    Put(sink, x - 0.04f * vx, y - 0.032f * vy, (wB * 1.1f + 2.9f) * rad, 0.56f * Rc, 0.62f * Gc, 0.76f * Bc,
        (wB * 0.1f + 0.1f) * a);
    Put(sink, x - 0.024f * vx, y - 0.024f * vy, 2.0f * rad, 0.68f * Rc, 0.74f * Gc, 0.88f * Bc, 0.08f * a);
    Put(sink, x - 0.01f * vx, y - 0.01f * vy, 1.28f * rad, 0.84f * Rc, 0.88f * Gc, 0.96f * Bc, (gl * 0.06f + 0.14f) * a);
    Put(sink, x, y, 0.94f * rad, 0.96f * Rc, 0.98f * Gc, 1.04f * Bc, (gl * 0.1f + 0.34f) * a);
    Put(sink, x, y, 0.22f * rad, 1.02f * Rc, 1.04f * Gc, 1.1f * Bc, 0.2f * a * (gl + 0.45f));
    if (age > m.sparkleAge) {
      const float sp = std::sin(17.0f * age + m.phase) * 0.2f + 0.8f;
      Put(sink, x - 0.004f * vx, y - 0.004f * vy, 0.14f * rad * sp, 1.0f, 1.0f, 1.0f, 0.12f * a * sp);
    }
  } else {
    Put(sink, x, y, rad, 1.1f * Rc, 1.1f * Gc, 1.14f * Bc, (depth * 0.1f + 0.92f) * a);
    Put(sink, x, y, 0.58f * rad, 1.3f * Rc, 1.3f * Gc, 1.36f * Bc, (depth * 0.08f + 1.05f) * a);
    Put(sink, x - 0.01f * vx, y - 0.01f * vy, 0.78f * rad, 0.98f * Rc, 0.98f * Gc, 1.04f * Bc, (depth * 0.08f + 0.4f) * a);
    Put(sink, x - 0.02f * vx, y - 0.02f * vy, 1.1f * rad, 0.86f * Rc, 0.86f * Gc, 0.9f * Bc, (depth * 0.04f + 0.2f) * a);
  }
}

void EmitSpark(const LaneFrame& f, const SplashParticle& p, const BoardParticleTuning& t, bool dim,
               GlowSpriteSink* sink) {
  const float tl = Clamp01(p.life / std::max(p.maxLife, 0.001f)), age = 1.0f - tl;
  float R = ClampFloat((tl * 0.18f + 0.28f) * p.r + 0.18f, 0.0f, 1.9f);
  float G = ClampFloat((tl * 0.2f + 0.3f) * p.g + 0.2f, 0.0f, 1.9f);
  float B = ClampFloat((tl * 0.24f + 0.34f) * p.b + 0.24f, 0.0f, 2.0f);
  if (dim && !p.hasColour) {
    const float q = (R + G + B) / 3.0f;
    R = 0.76f * q, G = 0.8f * q, B = 0.86f * q;
  }
  const float a = (p.glint * 0.28f + 0.26f) * std::pow(tl, 1.55f) * t.splashBrightness * f.laneAlpha *
                  OverlayProximityFade(f, p.x, p.y) * SmoothFadeIn(f, p.y);
  if (a <= 0.001f) return;
  const float radius = std::max(0.36f, t.splashSizeScale * p.size * (age * 0.74f + 0.28f));
  Put(sink, p.x, p.y, 1.35f * radius, 0.88f * R, 0.9f * G, 0.96f * B, 0.18f * a);
  Put(sink, p.x, p.y, 0.62f * radius, R, 1.02f * G, 1.08f * B, 0.36f * a);
  Put(sink, p.x - 0.008f * p.vx, p.y - 0.008f * p.vy, 0.94f * radius, 0.82f * R, 0.82f * G, 0.88f * B, 0.12f * a);
}

}  // namespace

// ---- public functions ----
LaneBox ComputeLaneBox(const LaneFrame& f) {
  LaneBox box;
  box.x = (int)std::floor(f.laneX);
  box.width = (int)std::max(1.0f, std::ceil(f.laneW));
  box.height = (int)std::max(1.0f, std::ceil(f.laneH));
  box.top = (int)std::ceil(f.hitY) - box.height;
  return box;
}

void EmitParticleSprites(const LaneFrame& f, GlowSpriteSink* sink) {
  const BoardParticleTuning t = ClampedParticleTuning();
  const bool dim = f.playAlongAvailable;
  for (const BoardMote& m : gBoardMotes) EmitMote(f, m, t, dim, gParticleClock.T, sink);
  for (const SplashParticle& p : gSplashParticles) EmitSpark(f, p, t, dim, sink);
}

void GlowSpriteBatch::Add(const GlowSprite& s) {
  // Most sprites are faint halos whose outer rim rounds away in the frame, or specks between pixel
  // centres: only what can change a pixel is drawn, which is most of the lane's cost on a software
  // rasteriser (every quad costs its set-up, every covered pixel a blend).
  const float alpha = s.a * gDrawAlpha;
  const float reach = GlowAdditiveReach(Clamp01(std::max({s.r, s.g, s.b})) * Clamp01(alpha));
  const float half = s.radius * reach;
  if (reach <= 0.0f || !SpansPixelCentreIn(s.x - half, s.x + half, clip_.x, clip_.width) ||
      !SpansPixelCentreIn(s.y - half, s.y + half, clip_.top, clip_.height))
    return;
  if (count_ == kSprites) Flush();
  float* xy = xy_ + count_ * 8;
  float* uv = uv_ + count_ * 8;
  float* c = rgba_ + count_ * 16;
  const float u0 = 0.5f - 0.5f * reach, u1 = 0.5f + 0.5f * reach;
  const float l = s.x - half, r = s.x + half, t = s.y - half, b = s.y + half;
  const float q[8] = {l, t, r, t, r, b, l, b};
  const float tex[8] = {u0, u0, u1, u0, u1, u1, u0, u1};
  std::copy(q, q + 8, xy);
  std::copy(tex, tex + 8, uv);
  for (int k = 0; k < 4; ++k) {
    c[k * 4 + 0] = s.r, c[k * 4 + 1] = s.g, c[k * 4 + 2] = s.b, c[k * 4 + 3] = alpha;
  }
  ++count_;
}

void GlowSpriteBatch::Flush() {
  if (count_ == 0) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, xy_);
  glTexCoordPointer(2, GL_FLOAT, 0, uv_);
  glColorPointer(4, GL_FLOAT, 0, rgba_);
  glDrawArrays(GL_QUADS, 0, (GLsizei)(count_ * 4));
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  drawn += count_;
  count_ = 0;
}

void DrawParticleSprites(const LaneFrame& f) {
  gLastSpritesDrawn = 0;
  if (gBoardMotes.empty() && gSplashParticles.empty()) return;
  static std::unique_ptr<GlowSpriteBatch> batch = std::make_unique<GlowSpriteBatch>();  // 1.3 MB, kept
  const size_t before = batch->drawn;
  BuildGlowTexture();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gGlowTexture);
  batch->ClipTo(ComputeLaneBox(f));  // the lane's scissor: motes risen past its top show nowhere
  EmitParticleSprites(f, batch.get());
  batch->Flush();
  gLastSpritesDrawn = batch->drawn - before;
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

size_t LastParticleSpritesDrawn() { return gLastSpritesDrawn; }
