// visual/orb_state: the orb's simulated ring (persistent state), its first-use set-up, and the
// fixed-step driver that advances it at 1/240 s from the frame's parameter record.
//
// The orb lives in ring units about the origin: rest radius 0.8, outer reach 1.0. The drawing
// scales ring units to pixels. All of it runs on the UI thread and needs no GL.
#pragma once
#include <cstdint>
#include <vector>

#include "app/base/maths.h"
#include "visual/orb_params.h"

struct OrbState {
  bool initialised = false;  // false until ResetOrbState has run once
  int32_t pointCount = 480;  // N ring points
  int32_t innerCount = 96;   // M inner points, the last one the centre point
  float reach = 1.0f;        // S, radius of the limit circle no point may leave
  float restRadius = 0.8f;   // R, rest radius of the ring
  float contraction = 0;     // A, 0..0.75, how far the ring is pulled toward a small core
  float minorWarmth = 0;     // 0..1, eased level of the pure-minor look
  float minorLevel = 0;      // 0..1, eased level of the minor colouring
  float majorHold = 0;       // seconds 0..6 the major ring has been active
  float keyAngle = 0;        // radians, turns while the key ring dominates
  float keySpin = 0;         // radians per second, the turning speed of keyAngle
  float ringRotation = 0;    // radians, added to every point's angle
  float scaleHit[12] = {};     // fast envelope of a scale-entry strike per ring position
  float scaleRipple[12] = {};  // envelope of the ripple a scale strike sends along the ring
  float minorEnv[12] = {};     // envelope of minor-ring onsets
  float keyEnv[12] = {};       // envelope of key-ring activity
  float keyHold[12] = {};      // seconds 0..6 the key ring has been lit there
  float minorAge[12] = {};     // seconds since the last minor strike there
  float energy = 0;          // 0..1, eased overall playing energy
  float keyTint = 0;         // 0..1, eased level of the key-ring look
  float scaleGlow[12] = {};  // very fast envelope of a scale strike
  float rootFlash = 0;       // 0..1, flash of the key root when a chord on it is struck
  float rootFlashPhase = 0;  // phase that runs while rootFlash is lit
  int32_t rootFlashPos = -1; // ring position of the flashed root, -1 for none
  float swellPos[12] = {};   // scale-swell spring position, 0..1.1
  float swellVel[12] = {};   // scale-swell spring velocity, -2.6..2.6
  float prevTime = 0;        // OrbParams.time of the previous frame; 0 until the first frame
  float smoothCentre[2] = {};  // centre eased toward centre, used to measure angles
  float centre[2] = {};        // the ring's moving centre
  float centreVel[2] = {};     // velocity of the centre
  std::vector<float> x, y, vx, vy;                            // ring points, N each
  std::vector<float> innerX, innerY, innerVx, innerVy;        // inner points, M each
  std::vector<float> inkR, inkG, inkB;                        // ring ink, each channel in (-6, 6)
  std::vector<float> innerInkR, innerInkG, innerInkB;         // inner and centre ink
};

extern OrbState gOrbState;  // the one orb of the process

// First-use set-up: counts clamped (N >= 3, M >= 2), arrays sized and zeroed, ring on its rest circle.
void ResetOrbState(OrbState& s);
// Advances by whole steps of 1/240 s for a frame of dt seconds (at most 16); returns the steps run.
int StepOrbFixed(const OrbParams& p, float dt);
// One fixed step of the simulation (h is the nominal step, scaled by p.tempo).
void StepOrb(const OrbParams& p, float h);
// The simulation half of a frame: first-use set-up, dt from p.time, the fixed steps; returns steps.
int StepOrbFrame(const OrbParams& p);
// Per-frame entry of the frame: StepOrbFrame then DrawOrb.
void DrawOrbFrame(const OrbParams& p);
// Draws the orb from its state (the renderer).
void DrawOrb(const OrbParams& p, OrbState& s);

// The orb is still on its way to its rest shape: it saw activity and less than 15 s of its own
// quiet have passed since (its contraction is released over the 5 to 15 s of quiet), or an idle
// accent is still fading.
bool IsOrbRelaxing();
// While paused, no new idle accent starts and the last one fades: a loop about to rest lets the
// orb come round first, instead of freezing an accent's bulge for as long as it rests.
void PauseOrbWander(bool paused);

// Returns the orb, the step's memory and the driver's accumulator to their start-of-process state,
// with the given counts (tests and benchmarks run several simulations in one process).
void RestartOrbSimulation(int32_t pointCount = 480, int32_t innerCount = 96);

// ---- small helpers shared by the step and the drawing ----
// Adds or subtracts whole turns until x lies in [-pi, pi]; a non-finite x becomes 0.
float WrapAngle(float x);
// (i mod 12) * pi/6 - pi/2: ring position 0 at the top, clockwise on screen.
float RingPosAngle(int i);
// v mod 12 in 0..11 for any integer.
inline int OrbRingMod(int v) { return PitchClassMod(v); }
