// gfx/gl_setup: projection, global GL state and the glow texture.
//
// Changes GL state on purpose (it sets the state every drawer starts from); DrawGlowQuad changes
// only the current colour.
#include "gfx/gl_setup.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "gfx/layer_cache.h"

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

// ---- state ----
unsigned gGlowTexture = 0;

// ---- public functions ----
void SetupGlState() {
  MarkLayersLost();  // set up once per context: pictures taken in an earlier one are gone with it
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_MULTISAMPLE);  // without multisample buffers this changes nothing; kept for drivers that add them
  glEnable(GL_LINE_SMOOTH);
  glDisable(GL_POINT_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void SetProjection2D() {
  glViewport(0, 0, gClientWidth, gClientHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, (double)gClientWidth, (double)gClientHeight, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void ComputeGlowTexels(uint8_t* rgba) {
  const int n = kGlowTextureSize;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      float dx = ((float)x - 31.5f) * 2.0f / 63.0f;
      float dy = ((float)y - 31.5f) * 2.0f / 63.0f;
      float r = ClampFloat(std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
      float a = 0.42f * std::pow(1.0f - r, 9.0f) + std::pow(1.0f - r, 2.4f);
      a = ClampFloat(a, 0.0f, 1.0f);
      long alpha = std::lround(a * 255.0f);
      uint8_t* t = rgba + ((size_t)y * n + x) * 4;
      t[0] = t[1] = t[2] = 255;
      t[3] = (uint8_t)(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    }
  }
}

void BuildGlowTexture() {
  if (gGlowTexture != 0) return;
  std::vector<uint8_t> texels((size_t)kGlowTextureSize * kGlowTextureSize * 4);
  ComputeGlowTexels(texels.data());
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kGlowTextureSize, kGlowTextureSize, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  gGlowTexture = name;
}

void DeleteGlowTexture() {
  if (gGlowTexture == 0) return;
  GLuint name = gGlowTexture;
  glDeleteTextures(1, &name);
  gGlowTexture = 0;
}

float GlowAdditiveReach(float strength) {
  if (!(strength > 0.0f)) return 0.0f;
  // An added term below half a step of 255 rounds away. The texels are bounded by
  // 1.42 (1 - r)^2.4 (the steeper term can only lie under it) plus their own rounding, and the
  // linear filter may lift a pixel to the texel one and a half steps nearer the centre.
  const float needed = 0.45f / (255.0f * std::min(strength, 1.0f));  // the least texel that adds a step
  if (needed > 1.0f) return 0.0f;
  const float least = needed - 1.0f / 255.0f;
  if (least <= 0.0f) return 1.0f;
  const float filterSlack = 3.0f / (float)(kGlowTextureSize - 1);
  return std::min(1.0f, 1.0f - std::pow(least / 1.42f, 1.0f / 2.4f) + filterSlack);
}

SavedClip BeginClip(float x, float y, float width, float height) {
  SavedClip saved;
  saved.wasOn = glIsEnabled(GL_SCISSOR_TEST);
  if (saved.wasOn) glGetIntegerv(GL_SCISSOR_BOX, saved.box);
  const int x0 = (int)std::floor(x), y1 = (int)std::ceil(y + height);
  const int w = std::max((int)std::ceil(x + width) - x0, 0), h = std::max(y1 - (int)std::floor(y), 0);
  glEnable(GL_SCISSOR_TEST);
  glScissor(x0, gClientHeight - y1, w, h);
  return saved;
}

void EndClip(const SavedClip& saved) {
  if (saved.wasOn) glScissor(saved.box[0], saved.box[1], saved.box[2], saved.box[3]);
  else glDisable(GL_SCISSOR_TEST);
}

void DrawGlowQuad(float x, float y, float radius, float r, float g, float b, float a) {
  if (radius <= 0.05f || a <= 0.001f) return;
  SetGlColorAsIs(r, g, b, a);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f), glVertex2f(x - radius, y - radius);
  glTexCoord2f(1.0f, 0.0f), glVertex2f(x + radius, y - radius);
  glTexCoord2f(1.0f, 1.0f), glVertex2f(x + radius, y + radius);
  glTexCoord2f(0.0f, 1.0f), glVertex2f(x - radius, y + radius);
  glEnd();
}

void AdjustSaturation(float& r, float& g, float& b, float k, float offset) {
  float m = (r + g + b) / 3.0f;
  r = ClampFloat((r - m) * k + m + offset, 0.0f, 1.0f);
  g = ClampFloat((g - m) * k + m + offset, 0.0f, 1.0f);
  b = ClampFloat((b - m) * k + m + offset, 0.0f, 1.0f);
}

void ScaleColourClamped(float& r, float& g, float& b, float factor, float max) {
  r = ClampFloat(r * factor, 0.0f, max);
  g = ClampFloat(g * factor, 0.0f, max);
  b = ClampFloat(b * factor, 0.0f, max);
}
