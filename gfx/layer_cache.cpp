// gfx/layer_cache: capture of unchanging pictures into textures and their opaque redraw.
//
// The copy and the redraw stay pixel-exact: the texture is sampled at texel centres with nearest
// filtering and replaces the colour outright, and the quad covers whole pixels.
#include "gfx/layer_cache.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

// ---- state ----
static unsigned gLayerGeneration = 1;  // raised whenever the GL context is lost or made anew
static int gNpotTextures = -1;         // whether textures may have any size; -1 before asked

// ---- internal helpers ----

static int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

static bool NpotTexturesAllowed() {
  if (gNpotTextures < 0) {
    const char* version = (const char*)glGetString(GL_VERSION);
    const char* extensions = (const char*)glGetString(GL_EXTENSIONS);
    bool npot = version && std::atoi(version) >= 2;
    if (!npot && extensions) npot = std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
    gNpotTextures = npot ? 1 : 0;
  }
  return gNpotTextures == 1;
}

// The part of the rectangle inside the viewport (GL's, bottom-left origin, into `viewport`),
// false when nothing is left.
static bool ClipToViewport(int* x, int* y, int* width, int* height, int viewport[4]) {
  glGetIntegerv(GL_VIEWPORT, viewport);
  int x0 = *x < 0 ? 0 : *x, y0 = *y < 0 ? 0 : *y;
  int x1 = *x + *width, y1 = *y + *height;
  if (x1 > viewport[2]) x1 = viewport[2];
  if (y1 > viewport[3]) y1 = viewport[3];
  if (x1 <= x0 || y1 <= y0) return false;
  *x = x0;
  *y = y0;
  *width = x1 - x0;
  *height = y1 - y0;
  return true;
}

// ---- public functions ----

uint64_t LayerKeyMix(uint64_t key, uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    key ^= (value >> (8 * i)) & 0xFFu;
    key *= 1099511628211ull;
  }
  return key;
}

uint64_t LayerKeyMixFloat(uint64_t key, float value) {
  if (value == 0.0f) value = 0.0f;
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return LayerKeyMix(key, bits);
}

bool IsLayerCurrent(const CachedLayer& layer, int x, int y, int width, int height, uint64_t key) {
  return layer.filled && layer.texture != 0 && layer.generation == gLayerGeneration && layer.key == key &&
         layer.x == x && layer.y == y && layer.width == width && layer.height == height;
}

bool IsLayerSettled(CachedLayer* layer, int x, int y, int width, int height, uint64_t key) {
  uint64_t asked = key;
  for (int v : {x, y, width, height}) asked = LayerKeyMix(asked, (uint64_t)(uint32_t)v);
  if (asked == layer->askedKey) {
    ++layer->askedFrames;
  } else {
    layer->askedKey = asked;
    layer->askedFrames = 1;
  }
  return layer->askedFrames >= kLayerSettleFrames;
}

bool CaptureLayer(CachedLayer* layer, int x, int y, int width, int height, uint64_t key) {
  layer->filled = false;
  if (layer->generation != gLayerGeneration) {
    layer->texture = 0;  // named in a context that is gone
    layer->texWidth = layer->texHeight = 0;
  }
  int viewport[4] = {0, 0, 0, 0};
  if (!ClipToViewport(&x, &y, &width, &height, viewport)) return false;
  GLint savedTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  if (layer->texture == 0) {
    GLuint t = 0;
    glGenTextures(1, &t);
    if (t == 0) return false;
    layer->texture = t;
    layer->texWidth = layer->texHeight = 0;
  }
  layer->generation = gLayerGeneration;
  glBindTexture(GL_TEXTURE_2D, layer->texture);
  if (layer->texWidth < width || layer->texHeight < height) {
    bool npot = NpotTexturesAllowed();
    layer->texWidth = npot ? width : NextPowerOfTwo(width);
    layer->texHeight = npot ? height : NextPowerOfTwo(height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, layer->texWidth, layer->texHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  glReadBuffer(GL_BACK);
  // GL counts rows from the bottom: texture row 0 is the rectangle's lowest row.
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[0] + x, viewport[1] + viewport[3] - (y + height), width,
                      height);
  glBindTexture(GL_TEXTURE_2D, GLuint(savedTexture));
  // A clipped copy is kept under the clipped rectangle: callers pass the window's own.
  layer->x = x;
  layer->y = y;
  layer->width = width;
  layer->height = height;
  layer->key = key;
  layer->filled = true;
  return true;
}

void DrawLayerInFan(const CachedLayer& layer, const float* xy, int pointCount) {
  if (!layer.filled || layer.texture == 0 || layer.generation != gLayerGeneration || pointCount < 3) return;
  GLboolean blend = glIsEnabled(GL_BLEND);
  GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
  GLint savedTexture = 0, savedEnvMode = GL_MODULATE;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &savedEnvMode);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, layer.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  // Texture row 0 is the rectangle's lowest row.
  float du = 1.0f / (float)layer.texWidth, dv = 1.0f / (float)layer.texHeight;
  float left = (float)layer.x, bottom = (float)(layer.y + layer.height);
  glBegin(GL_TRIANGLE_FAN);
  for (int i = 0; i < pointCount; ++i) {
    float x = xy[2 * i], y = xy[2 * i + 1];
    glTexCoord2f((x - left) * du, (bottom - y) * dv);
    glVertex2f(x, y);
  }
  glEnd();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, savedEnvMode);
  glBindTexture(GL_TEXTURE_2D, GLuint(savedTexture));
  if (!texturing) glDisable(GL_TEXTURE_2D);
  if (blend) glEnable(GL_BLEND);
}

void DrawLayer(const CachedLayer& layer) {
  float x0 = (float)layer.x, y0 = (float)layer.y;
  float x1 = x0 + (float)layer.width, y1 = y0 + (float)layer.height;
  const float corners[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
  DrawLayerInFan(layer, corners, 4);
}

void ReleaseLayer(CachedLayer* layer) {
  if (layer->texture != 0 && layer->generation == gLayerGeneration) {
    GLuint t = layer->texture;
    glDeleteTextures(1, &t);
  }
  *layer = CachedLayer{};
}

void MarkLayersLost() { ++gLayerGeneration; }
