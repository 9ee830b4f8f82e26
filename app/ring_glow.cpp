// app/ring_glow: the glow arrays of the ring positions and the glow feed of single notes, the
// pedal, notes outside the scale, the key drag and the key sweep.
//
// Depends on the held-note table and the pedal, the theory helpers (ring positions, scale
// membership, the key), the difficulty slider of the teaching panel and the key drag of the circle.
#include "app/ring_glow.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/chord_recogniser.h"
#include "practice/teaching_state.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- state ----
double gHarmonyGlowClock = 0;    // seconds of the previous chord-glow update
float gScaleNotePeak[12] = {};   // scale-note flash per pitch class
bool gScaleNoteSeen[12] = {};    // onset detection of scale notes
bool gOffScaleNoteSeen[12] = {}; // onset detection of notes outside the scale
float gPcHoldSeconds[12] = {};   // hold timer per pitch class
float gKeySweepProgress = 0;     // sweep after a key choice
int gKeySweepPos = -1;
float gKeySweepDelay = 0;
float gGlowSumMajor = 0;         // smoothed totals
float gGlowSumMinor = 0;
float gGlowSumKey = 0;
int gGlowKeyPeakPos = 0;         // strongest key light of the frame
float gGlowKeyPeak = 0;

// ---- internal helpers ----
static float Level(const HeldNote& h) { return std::clamp((float)h.velocity / 127.0f, 0.0f, 1.0f); }

static bool NoteLightOn() { return gHarmonyGlowMode == 0 || gHarmonyGlowMode == 2; }

static int DragOrKeyPos() {
  if (gRingDragPos >= 0 && gRingDragPos <= 11) return gRingDragPos;
  return std::clamp(RingPosOfPitchClass(PitchClassMod(gKeyRoot)), 0, 11);
}

static void ScaleNoteLight(float h, float d) {
  float level[12] = {};
  bool sounds[12] = {}, inScale[12];
  for (int pc = 0; pc < 12; ++pc) inScale[pc] = ScaleContainsPitchClass(pc);
  for (const HeldNote& n : gHeldNotes)
    if (n.sounding) {
      int pc = n.note % 12;
      sounds[pc] = true;
      level[pc] = std::max(level[pc], Level(n));
    }
  for (int pc = 0; pc < 12; ++pc) {
    if (!sounds[pc]) {
      gScaleNoteSeen[pc] = false;
    } else if (!gScaleNoteSeen[pc]) {
      gScaleNoteSeen[pc] = true;
      if (inScale[pc]) gScaleNotePeak[pc] = std::max(gScaleNotePeak[pc], level[pc]);
    }
  }
  float fall = std::pow(0.01f, 4.0f * h);  // to 1 % in a quarter of a second
  for (int pc = 0; pc < 12; ++pc) gScaleNotePeak[pc] *= fall;
  float g = 0.65f + 0.35f * (1.0f - d);
  for (int pc = 0; pc < 12; ++pc) {
    if (!inScale[pc]) continue;
    int p = RingPosOfPitchClass(pc);
    if (gScaleNotePeak[pc] > 0.001f) gRingGlowMajor[p] += 0.55f * gScaleNotePeak[pc];
    if (sounds[pc])
      gRingGlowMajor[p] +=
          h * (0.04f + 0.1f * std::clamp(0.25f * gPcHoldSeconds[pc], 0.0f, 1.0f)) * level[pc] * g;
  }
  if (!gSustainDown) return;
  float lv[12] = {};
  for (const HeldNote& n : gHeldNotes)
    if (n.sounding && inScale[n.note % 12]) {
      int r = RingPosOfPitchClass(n.note % 12);
      lv[r] = std::max(lv[r], Level(n));
    }
  for (int r = 0; r < 12; ++r) {
    if (lv[r] > 0.0005f) {
      float rate = std::clamp((9.5f + 8.0f * lv[r]) * h, 0.0f, 1.0f);
      gRingGlowMajor[r] += (0.24f + 0.96f * lv[r] - gRingGlowMajor[r]) * rate;
      gRingGlowMinor[r] *= 1.0f - 0.2f * rate;
      gRingGlowKey[r] *= 1.0f - 0.36f * rate;
    } else {
      gRingGlowMajor[r] *= 1.0f - std::clamp(2.2f * h, 0.0f, 0.22f);
      gRingGlowMinor[r] *= 1.0f - std::clamp(2.0f * h, 0.0f, 0.2f);
      gRingGlowKey[r] *= 1.0f - std::clamp(2.6f * h, 0.0f, 0.24f);
    }
  }
}

static void MajorDimsKey() {
  for (int r = 0; r < 12; ++r) {
    float m = gRingGlowMajor[r];
    if (m <= 0.04f) continue;
    float e = 0.22f * m * m;
    gRingGlowKey[r] = std::max(gRingGlowKey[r] - e, 0.0f);
    float& left = gRingGlowKey[(r + 11) % 12];
    float& right = gRingGlowKey[(r + 1) % 12];
    left = std::max(left - 0.15f * e, 0.0f);
    right = std::max(right - 0.15f * e, 0.0f);
  }
}

static void OffScaleNoteLight(float d) {
  float lo[12] = {};
  bool present[12] = {};
  for (const HeldNote& n : gHeldNotes) {
    int pc = n.note % 12;
    if (!n.sounding || ScaleContainsPitchClass(pc)) continue;
    present[pc] = true;
    lo[pc] = std::max(lo[pc], Level(n));
  }
  for (int pc = 0; pc < 12; ++pc) {
    if (!present[pc]) {
      gOffScaleNoteSeen[pc] = false;
      continue;
    }
    if (gOffScaleNoteSeen[pc]) continue;  // light only at the onset
    gOffScaleNoteSeen[pc] = true;
    float a = (0.18f + 0.32f * std::clamp(0.35f * gPcHoldSeconds[pc], 0.0f, 1.0f)) * lo[pc] *
              (0.7f + 0.9f * d);
    int p = RingPosOfPitchClass(pc);
    gRingGlowKey[p] += a;
    gRingGlowKey[(p + 11) % 12] += 0.15f * a;
    gRingGlowKey[(p + 1) % 12] += 0.15f * a;
  }
}

static void KeyDragGlow(float dt, double now) {
  int pos = DragOrKeyPos();
  float l = std::clamp(0.72f + 0.2f * (float)std::sin(5.4 * now), 0.58f, 0.96f);
  for (int r = 0; r < 12; ++r) {
    if (r == pos) {
      gRingGlowMajor[r] = std::max(gRingGlowMajor[r], l);
      gRingGlowMinor[r] *= std::exp(-3.0f * dt);
      gRingGlowKey[r] *= std::exp(-5.0f * dt);
    } else {
      gRingGlowMajor[r] *= std::exp(-2.0f * dt);
      gRingGlowMinor[r] *= std::exp(-2.4f * dt);
      gRingGlowKey[r] *= std::exp(-3.2f * dt);
    }
  }
}

static void KeySweep(float dt) {
  if (gKeySweepDelay > 0) {
    gKeySweepDelay = std::max(gKeySweepDelay - dt, 0.0f);
    return;
  }
  gKeySweepProgress = std::min(gKeySweepProgress + 1.75f * dt, 1.0f);
  for (int r = 0; r < 12; ++r) {
    int diff = std::abs(r - gKeySweepPos);
    int dist = std::min(diff, 12 - diff);
    float w = std::clamp((6.0f * gKeySweepProgress - (float)dist + 0.9f) / 1.8f, 0.0f, 1.0f);
    if (w <= 0) continue;
    float s = (3.0f - 2.0f * w) * w * w;
    gRingGlowMajor[r] *= std::exp(-(0.8f + 9.5f * s) * dt);
    gRingGlowMinor[r] *= std::exp(-(1.0f + 10.8f * s) * dt);
    gRingGlowKey[r] *= std::exp(-(1.2f + 12.0f * s) * dt);
  }
  if (gKeySweepProgress >= 1.0f) {
    gKeySweepProgress = 0;
    gKeySweepPos = -1;
    gKeySweepDelay = 0;
  }
}

static void UpdateTotals() {
  float sMajor = 0, sMinor = 0, sKey = 0;
  gGlowKeyPeakPos = 0;
  gGlowKeyPeak = 0;
  for (int r = 0; r < 12; ++r) {
    sMajor += std::clamp(gRingGlowMajor[r], 0.0f, 1.5f);
    sMinor += std::clamp(gRingGlowMinor[r], 0.0f, 1.5f);
    float k = std::clamp(gRingGlowKey[r], 0.0f, 1.5f);
    sKey += k;
    if (k > gGlowKeyPeak) {
      gGlowKeyPeak = k;
      gGlowKeyPeakPos = r;
    }
  }
  gGlowSumMajor += 0.1f * (sMajor - gGlowSumMajor);
  gGlowSumMinor += 0.1f * (sMinor - gGlowSumMinor);
  gGlowSumKey += 0.1f * (sKey - gGlowSumKey);
}

// ---- public functions ----
void FeedRingGlowBeforeCircle(float dt) {
  float h = std::clamp(dt, 1.0f / 240.0f, 0.05f);
  float d = std::clamp(gTeachingLevel, 0.0f, 1.0f);
  if (NoteLightOn()) ScaleNoteLight(h, d);
  MajorDimsKey();
  if (NoteLightOn()) OffScaleNoteLight(d);
}

void FeedRingGlowAfterCircle(float dt, double now) {
  bool sounds[12] = {};
  for (const HeldNote& n : gHeldNotes)
    if (n.sounding) sounds[n.note % 12] = true;
  float fall = std::exp(-9.75f * dt);
  for (int pc = 0; pc < 12; ++pc) {
    if (sounds[pc])
      gPcHoldSeconds[pc] += dt;
    else
      gPcHoldSeconds[pc] *= fall;
  }
  if (gRingDragging) KeyDragGlow(dt, now);
  if (gKeySweepProgress > 0 && gKeySweepPos >= 0) KeySweep(dt);
  UpdateTotals();
}

void StartKeySweep() {
  gKeySweepPos = DragOrKeyPos();
  gKeySweepDelay = 0.22f;
  gKeySweepProgress = 0.0001f;
}

void ResetRingGlow() {
  for (int i = 0; i < 12; ++i) {
    gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0;
    gScaleNotePeak[i] = gPcHoldSeconds[i] = 0;
    gScaleNoteSeen[i] = gOffScaleNoteSeen[i] = false;
  }
  gHarmonyGlowClock = 0;
  gKeySweepProgress = 0;
  gKeySweepPos = -1;
  gKeySweepDelay = 0;
  gGlowSumMajor = gGlowSumMinor = gGlowSumKey = 0;
  gGlowKeyPeakPos = 0;
  gGlowKeyPeak = 0;
}
