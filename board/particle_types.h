// board/particle_types: the records the note-fall lane hands its particle layer each frame (hits
// and force sources) and the records the layer keeps (sparks and motes), with its tuning table.
#pragma once
#include <cstdint>

// One moment a falling note reaches the keyboard line in this frame.
struct NoteHit {
  int32_t note = 60;
  float x = 0.0f, y = 0.0f;
  float velocity = 0.8f;                 // 0.18..1.15
  float r = 0.72f, g = 0.92f, b = 1.08f;
  uint8_t hasColour = 0;                 // r, g, b are used unchanged
  uint64_t key = 0;                      // (note & 127) << 32 | a 32-bit id of the falling note
};

// A force source a hit or a held key leaves at the edges of its key for one frame.
struct HitSource {
  float x = 0.0f, y = 0.0f, radius = 0.0f, pull = 0.0f, swirl = 0.0f, push = 0.0f, glow = 0.0f;
  int32_t note = 60;
};

// A force source a drawn note leaves for one frame.
struct FieldSource {
  float x = 0.0f, y = 0.0f, radius = 0.0f, pull = 0.0f, restDistance = 0.0f, spring = 0.0f, swirl = 0.0f;
  float pulseRate = 0.0f, pulsePhase = 0.0f, tint = 0.0f;
  uint8_t tinted = 0;
  float tintR = 1.0f, tintG = 1.0f, tintB = 1.0f;
};

// One spark of a hit splash.
struct SplashParticle {
  float x, y, vx, vy;      // px and px per second (negative vy is upward)
  float life, maxLife;     // seconds
  float size, growth;      // sprite size and its growth per second
  float phase, wobble;     // wobble phase and amplitude
  float glint;             // brightness weight 0.22..0.88
  float r, g, b;           // may exceed 1
  uint8_t hasColour;       // kept its note's own colour
};

// One rising mote: a plume mote (bonded, from a held key) or an ambient one.
struct BoardMote {
  float x = 0.0f, y = 0.0f, vx = 0.0f, vy = 0.0f;
  float life = 0.0f, maxLife = 1.0f;
  float size = 1.0f;
  float anchorX = 0.0f;        // horizontal home line; drifts for plume motes
  float reach = 0.0f;          // partner search, tether and glow spread in px
  float side = 0.0f;           // +1 or -1
  float weightA = 0.0f;        // hold weight of a plume mote
  float glow = 1.0f;           // 0..2.2
  float shine = 0.0f;          // white-hot share 0..0.98
  float wobblePhase = 0.0f, wobbleRate = 0.0f, wobble = 0.0f;
  float r = 0.5f, g = 0.8f, b = 1.0f;
  int32_t note = 60;
  int32_t groupIndex = 0, groupSize = 1;
  float driftBias = -1.0f;
  float phase = 0.0f;
  float sparkleAge = 0.0f;
  float weightB = 0.0f;        // hit and crowd charge 0..1
  float bondStrength = 0.0f;
  float tetherGrowth = 1.0f;
  float vigour = 1.0f;
  float launchBoost = 0.0f;
  float bias = 0.0f;           // random lean -1..1
  uint8_t bonded = 0;          // plume mote: takes part in partner search
  uint8_t keyState = 0;        // the emitting key's display state; non-zero makes it red
  uint8_t dying = 0;           // removed at the end of this frame's pass
  float flickerPhase = 0.0f, flickerRate = 0.0f;
};

// The layer's tuning; each value is clamped to its range before use.
struct BoardParticleTuning {
  float countScale, driftScale, riseScale, moteSpeedScale, wobbleGain, vortexGain, splashBrightness,
      splashSizeScale, splashLifeScale, moteGlowScale, fieldGain;
};
extern const BoardParticleTuning kBoardParticleTuning;
// The tuning with every value clamped to its range.
BoardParticleTuning ClampedParticleTuning();
