// gfx/gl_setup: the 2D projection in window pixels, the program-wide GL state, a clip to a window
// rectangle, the soft glow texture with the quad that stamps it, and two colour helpers.
#pragma once
#include <cstdint>

constexpr int kGlowTextureSize = 64;

extern unsigned gGlowTexture;   // GL name of the glow texture, 0 = not built

// The GL state of the whole run: alpha blending, multisampling, smooth lines, hints. Called once
// for each new context; the cached layers of an earlier context count as lost.
void SetupGlState();
// Viewport over the client area; one unit per pixel, origin top-left, y downwards.
void SetProjection2D();
// The scissor state a clip replaced, for EndClip.
struct SavedClip {
  bool wasOn = false;
  int box[4] = {0, 0, 0, 0};
};
// Clips drawing to a window rectangle (pixels, origin top-left, widened to whole pixels) until
// EndClip puts the earlier scissor state back.
SavedClip BeginClip(float x, float y, float width, float height);
void EndClip(const SavedClip& saved);
// Builds and uploads the glow texture once; nothing when it exists.
void BuildGlowTexture();
// Deletes the glow texture when it exists.
void DeleteGlowTexture();
// Fills `rgba` (kGlowTextureSize^2 * 4 bytes) with the glow texels: white, alpha by radius.
void ComputeGlowTexels(uint8_t* rgba);
// The share (0..1) of a glow quad's radius within which it can still change a pixel of an 8-bit
// frame when it is added (source alpha, one) at `strength`, its strongest clamped channel times its
// clamped alpha; 0 when it changes no pixel at all. Cropping the quad to this share (texture
// coordinates cropped alike) leaves the frame as it was and spares the rasteriser the faint rim.
float GlowAdditiveReach(float strength);
// One textured quad of the given radius and colour around (x, y); binds nothing.
void DrawGlowQuad(float x, float y, float radius, float r, float g, float b, float a);
// Moves each channel away from (k > 1) or towards (k < 1) the grey mean, plus offset, clamped 0..1.
void AdjustSaturation(float& r, float& g, float& b, float k, float offset);
// Each channel times factor, clamped to 0..max.
void ScaleColourClamped(float& r, float& g, float& b, float factor, float max);
