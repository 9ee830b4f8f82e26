// board/lane_sprites: the particle layer as glow sprites: four to six per mote, three per spark.
// The sprites are computed without GL into a sink; the drawer's sink batches them into vertex
// arrays of a fixed size, so the whole layer takes a few draw calls and no memory per frame.
#pragma once
#include <cstddef>

#include "board/lane_notes.h"

// One additive glow sprite around (x, y).
struct GlowSprite {
  float x, y, radius, r, g, b, a;
};

// Receives the sprites in drawing order: the motes (store order), then the sparks.
class GlowSpriteSink {
 public:
  virtual ~GlowSpriteSink() = default;
  virtual void Add(const GlowSprite& s) = 0;
};

// Every sprite of the frame's motes and sparks; sprites too small or too faint to show are left out.
void EmitParticleSprites(const LaneFrame& f, GlowSpriteSink* sink);

// The lane's box in window pixels (top-left origin, whole pixels): its scissor while it draws.
struct LaneBox {
  int x = 0, top = 0, width = 0, height = 0;
};
LaneBox ComputeLaneBox(const LaneFrame& f);

// A sink that draws through vertex arrays, a fixed batch at a time (the glow texture and additive
// blending are the caller's).
class GlowSpriteBatch : public GlowSpriteSink {
 public:
  static constexpr size_t kSprites = 8192;
  // Sprites that cover no pixel centre inside the box are left out: the scissor would drop all of
  // their pixels. A box of no size leaves nothing out.
  void ClipTo(const LaneBox& box) { clip_ = box; }
  void Add(const GlowSprite& s) override;
  // Draws what is queued.
  void Flush();
  size_t drawn = 0;  // sprites drawn since construction

 private:
  size_t count_ = 0;
  LaneBox clip_;
  float xy_[kSprites * 8];
  float uv_[kSprites * 8];
  float rgba_[kSprites * 16];
};

// Draws the frame's particles as one additive glow pass: the motes, then the sparks. Restores the
// blend function and texturing.
void DrawParticleSprites(const LaneFrame& f);
// Sprites the last DrawParticleSprites sent to GL (after leaving out what shows nowhere).
size_t LastParticleSpritesDrawn();
