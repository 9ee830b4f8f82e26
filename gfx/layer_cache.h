// gfx/layer_cache: a picture that stays the same from frame to frame, drawn once the usual way,
// copied from the back buffer into a texture and from then on put back with one textured quad.
//
// On a software rasteriser every pixel filled costs, so a window-sized gradient or a stack of
// blended fills is far dearer than one opaque copy. The caller sums up what went into the picture
// in a key (sizes, colours, texts, language ...); a layer is reused only for the same rectangle,
// the same key and the same GL context, so a resize, a language or scale change or a new context
// makes the caller draw it again and capture it afresh.
#pragma once
#include <cstdint>

// ---- types ----
struct CachedLayer {
  unsigned texture = 0;        // GL name, 0 before the first capture
  int x = 0, y = 0;            // the window rectangle it holds, pixels from the top left
  int width = 0, height = 0;
  int texWidth = 0, texHeight = 0;  // the texture's allocated size, at least width x height
  uint64_t key = 0;            // the caller's summary of what the picture shows
  unsigned generation = 0;     // the context generation the texture belongs to
  bool filled = false;         // a capture has succeeded and nothing has spoilt it since
  uint64_t askedKey = 0;       // the rectangle and key last asked for while not current
  int askedFrames = 0;         // consecutive frames they were asked for
};

// Frames a picture is drawn directly, unchanged, before it is taken: the first frame at a new
// window size may still be drawn into the old, smaller back buffer, and a picture that changes
// every frame (a fade) would cost a copy a frame for nothing.
constexpr int kLayerSettleFrames = 2;

// ---- keys ----
constexpr uint64_t kLayerKeySeed = 1469598103934665603ull;
// Mixes a value into a key (FNV-1a over its bytes).
uint64_t LayerKeyMix(uint64_t key, uint64_t value);
// Mixes a float by its bits; 0 and -0 count as the same.
uint64_t LayerKeyMixFloat(uint64_t key, float value);

// ---- public functions ----
// True when the layer holds a picture of this rectangle and key made in the current context.
bool IsLayerCurrent(const CachedLayer& layer, int x, int y, int width, int height, uint64_t key);
// Called once a frame while the layer is not current, after drawing the picture directly: true
// when the same rectangle and key have now been drawn kLayerSettleFrames frames running, so that
// the back buffer may be captured.
bool IsLayerSettled(CachedLayer* layer, int x, int y, int width, int height, uint64_t key);
// Copies the rectangle (window pixels, top-left origin, clipped to the viewport) of the back
// buffer as it stands into the layer; false when nothing could be copied (the layer then counts
// as empty). Restores the texture binding.
bool CaptureLayer(CachedLayer* layer, int x, int y, int width, int height, uint64_t key);
// Puts the captured pixels back where they were taken, opaque and unfiltered, so the result
// equals the drawing it replaces. Nothing when the layer is empty. Restores blending, texturing,
// the texture binding and the texture environment.
void DrawLayer(const CachedLayer& layer);
// Puts back only the layer's pixels inside a triangle fan (x, y pairs in window pixels, the first
// point its hub), the same pixels as DrawLayer gives there; the rest of the window is left alone.
// Restores what DrawLayer restores.
void DrawLayerInFan(const CachedLayer& layer, const float* xy, int pointCount);
// Deletes the layer's texture (when it belongs to the current context) and empties it.
void ReleaseLayer(CachedLayer* layer);
// After the GL context was lost or made anew: every layer counts as empty and its texture name
// is forgotten without being deleted (it belonged to the old context).
void MarkLayersLost();
