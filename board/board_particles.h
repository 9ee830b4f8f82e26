// board/board_particles: the lane's particle layer: sparks that leap from the edges of a key when a
// note lands, motes that rise from held keys and from the whole lane (board/board_motes), the
// force sources that push them, and the fixed pools they live in.
//
// The pools reserve their ceilings once, computed from the tuning table, and never grow: a spawn
// into a full pool is dropped, and each frame's cap keeps the newest. Removal keeps spawn order
// (the oldest-first caps rely on it). Randomness is the standard rand(), never seeded here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/lane_notes.h"
#include "board/particle_types.h"

// ---- stores ----
extern std::vector<BoardMote> gBoardMotes;            // spawn order, oldest first
extern std::vector<SplashParticle> gSplashParticles;  // spawn order, oldest first
struct FiredBoardHit {
  uint64_t key;
  uint32_t lastSeenMs;
};
extern std::vector<FiredBoardHit> gFiredBoardHits;    // notes that have raised their hit
extern uint32_t gSplashLastMs[128];                   // last splash per note (cooldown)
extern std::vector<HitSource> gHitSources;            // this frame's hit and held-key sources
extern float gBoardKeyActivity;                       // eased level of what sounds
extern float gBoardStrikeActivity;                    // decaying level of fresh strikes

// ---- the particle clock ----
struct ParticleClock {
  uint32_t nowMs;   // this frame
  float dt;         // step in seconds, 1/240..0.06 (1/60 on the first frame)
  float T;          // nowMs in seconds, for the wobble terms
  float f;          // frame factor 0.35..1: slow frames shrink the caps
};
extern ParticleClock gParticleClock;
// Advances the layer's clock to nowMs.
void StepParticleClock(uint32_t nowMs);

// ---- random helpers ----
// (rand() mod 10000) / 10000: 0..0.9999 in 10000 steps.
float Rand01();
// Three Rand01 summed, less 1.5, times 2/3: bell-shaped in about -1..1.
float RandBell();
// 0 for count <= 1, else index - (count - 1) / 2.
float CenteredOffset(int index, int count);

// ---- pools ----
// The pools' ceilings (what they reserve once).
size_t MotePoolCeiling();
size_t SplashPoolCeiling();
// Reserves both pools at their ceilings (the first lane frame does it).
void ReserveParticlePools();
// The caps for this frame's factor and practice level (never above the pools).
size_t MoteCap(float frameFactor, float practiceLevel);
size_t SplashCap(float frameFactor);
// Drops the oldest elements beyond the caps.
void ApplyParticleCaps(float practiceLevel);

// ---- fired hits ----
// True the first time a key is seen (it is remembered); later calls refresh it and return false.
bool MarkBoardHitFired(uint64_t key);
// Forgets hits unseen for 12 s, everything after a play-along highlight reset (which also zeroes
// gLaneLastSongPos), and everything when a playing song went back by more than 140 ms.
void KeepFiredBoardHits(bool songRunning, uint32_t pos);

// ---- splashes ----
// The span a splash rises from: the key's inner part on the lane keyboard, else around centreX.
void SplashKeySpan(const LaneFrame& f, int note, float centreX, float* left, float* right, float* width);
// One splash of sparks from both edges of the note's key, unless the note splashed within its
// cooldown (28 ms for the primary hit, 44 ms otherwise).
void SpawnHitSplash(const LaneFrame& f, int note, float x, bool primary, float velocity, float r, float g, float b,
                    bool hasColour);
// The frame's hits: the primary hit, two hit sources each, then a splash each.
void RunHitSplashes(const LaneFrame& f, const std::vector<NoteHit>& hits);
// Moves the sparks one step (fields: this frame's note sources).
void MoveSplashParticles(const LaneFrame& f, const std::vector<FieldSource>& fields, float activity);

// ---- the frame ----
// Advances the whole layer one frame: clock, activity, splashes, emission, grid, motes, caps.
void AdvanceBoardParticles(const LaneFrame& f, const LaneNotesOut& notes);
// Empty stores, cooldowns, clock and accumulators.
void ResetBoardParticles();
