// visual/orb_step_memory: what one orb step keeps for the next (onset detection, idle timers, the
// random state), and the quantities the analysis half of a step hands to the shaping half.
// Internal to the orb's step; tests read the memory to check timers and onsets.
#pragma once
#include <cstdint>

#include "visual/orb_params.h"

// Seconds of quiet by which the orb's contraction is wholly released and it is at rest.
constexpr float kOrbRelaxedQuietSeconds = 15.0f;

struct OrbStepMemory {
  float prevMajor[12] = {};  // raw major activity at the end of the previous step
  float prevMinor[12] = {};  // raw minor activity at the end of the previous step
  float prevKey[12] = {};    // raw key activity at the end of the previous step
  float pulseMajor[12] = {};  // onset pulses per ring position
  float pulseMinor[12] = {};
  float pulseKey[12] = {};
  bool minorWasOn[12] = {};    // the minor ring was above threshold at the previous step
  bool scaleLatched[12] = {};  // a scale strike fired here and the entry has not left since
  float quietTime = 0;         // seconds since anything was active
  bool relaxing = false;       // active since the last time the orb was wholly at rest
  bool wasActive = false;      // activity at the previous step
  float onsetFlash = 0;        // 0..1, set when activity starts after silence
  bool accentWasOn = false;    // the accent was on at the previous step
  int32_t prevAccentPos = -1;  // accent ring position at the previous step
  float prevAccentLevel = 0;   // accent level at the previous step
  float wanderTimer = 0;       // seconds until the next idle accent
  int32_t wanderPos = -1;      // ring position of the idle accent, -1 for none
  float wanderStrength = 0;    // strength of the idle accent
  float wanderEnv = 0;         // envelope of the idle accent
  uint32_t rngState = 0x9E3779B9u;  // state of OrbRandom01
};

extern OrbStepMemory gOrbStepMemory;  // the step's memory, UI thread only

// The scale entries of one step: the off-scale list (or the single entry), normalised weights.
struct OrbScaleWeights {
  int count = 0;
  int pos[kOrbEntryMax] = {};
  float a[kOrbEntryMax] = {};       // strength 0..1
  float b[kOrbEntryMax] = {};       // emphasis 0..1
  float weight[kOrbEntryMax] = {};  // share of the list, summing to 1
  float unionA = 0;                 // 1 - product of (1 - a)
  float maxA = 0;
  float maxB = 0;
};

// The analysis half's results, read by the shaping half of the same step.
struct OrbStepVars {
  float dt = 0, live = 0, vivid = 0, depositGain = 0;
  float rawMajor[12] = {}, rawMinor[12] = {}, rawKey[12] = {};  // activity as read at the start
  float gMajor[12] = {}, gMinor[12] = {}, gKey[12] = {};        // activity clamped to 0..1
  float eMajor[12] = {}, eMinor[12] = {}, eKey[12] = {};        // activity plus pulse, shaped
  float sumMajor = 0, sumMinor = 0, sumKey = 0, total = 0, totalNorm = 0;
  float bestMajor = 0, bestMinor = 0, bestKey = 0;
  int argMajor = 0, argMinor = 0, activeCount = 0;
  float peak = 0, peakWeight = 0, majorShare = 0, keyLevel = 0;
  OrbScaleWeights list;
  float entryA[12] = {}, entryB[12] = {}, entryW[12] = {};
  float scaleLevel = 0, scaleDent = 0, maxBc = 0;
  int anchorPos = -1;
  float majorDrive = 0, holdLevel = 0, accentAmount = 0;
  bool accentOn = false, accentVisible = false, newAccent = false;
  float kick = 0;
  int rootPos = 0;
  float drive = 0, quietRamp = 0;
  bool keyMode = false, minorMode = false, minorOnly = false;
  float f = 0.7f, coreFactor = 1, rR = 0.8f;  // core ceiling, core factor, current rest radius
  float innerLimit = 0, inset = 0;
  float c[2] = {}, v[2] = {};  // the centre and its velocity after this step's move
};

// The ring positions whose pitch class is in the mask, in ring order (all 12 when none); returns n.
int OrbWanderList(uint32_t scaleMask, int out[12]);
// Returns the step's memory to its start-of-process state, the idle accents no longer paused.
void ResetOrbStepMemory();
// Next value of the orb's own random sequence in [0, 1).
float OrbRandom01();
// The scale entries of p by their strengths (single entry when entryCount <= 0).
OrbScaleWeights BuildScaleWeights(const OrbParams& p);
// The second half of a step: the ring's shape, the ink's deposits, flow and decay, and the lights
// remembered for the next step's onsets.
void ShapeOrbRing(const OrbParams& p, const OrbStepVars& v);
