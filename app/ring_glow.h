// app/ring_glow: the light of the circle per ring position, raised by notes and chords and decayed
// by the frame; the circle and the orb read it (the orb also drains the key array).
//
// The chord recogniser adds chord and tension light; the glow feed here adds the light of single
// notes (a flash when a scale note starts, a steady glow while held, the pedal's glow), the light of
// notes outside the scale, the glow of a key drag and the sweep after a key choice, and keeps the
// per-pitch-class hold timer and the smoothed totals that the orb's parameters read.
#pragma once

#include "visual/ring_glow.h"

extern double gHarmonyGlowClock;  // GetAppSeconds of the previous chord-glow update

// ---- the glow feed's state ----
extern float gScaleNotePeak[12];      // by pitch class: flash level of scale notes
extern bool gScaleNoteSeen[12];       // by pitch class: sounded in the previous frame
extern bool gOffScaleNoteSeen[12];    // by pitch class: the same for notes outside the scale
extern float gPcHoldSeconds[12];      // by pitch class: seconds it has been sounding; decays after
extern float gKeySweepProgress;       // 0..1 progress of the sweep after a key choice, 0 none
extern int gKeySweepPos;              // ring position the sweep starts from, -1 none
extern float gKeySweepDelay;          // seconds before the sweep moves
extern float gGlowSumMajor;           // smoothed totals of the three arrays
extern float gGlowSumMinor;
extern float gGlowSumKey;
extern int gGlowKeyPeakPos;           // the key array's strongest position this frame (first on ties)
extern float gGlowKeyPeak;            // its value, clamped to 0..1.5

// ---- per-frame steps ----
// Before the circle is drawn (after the chord glow): scale-note flash and hold glow, the pedal's
// glow, key light dimmed by strong major light, and the onset light of notes outside the scale.
void FeedRingGlowBeforeCircle(float dt);
// After the circle's text (also while the circle is hidden): hold timer, key drag glow, key
// sweep and the smoothed totals. now is the frame's clock in seconds.
void FeedRingGlowAfterCircle(float dt, double now);
// A key drag on the circle ended: the sweep starts from the dragged (or the key's) position.
void StartKeySweep();
// Back to the start state: no light, no hold, no sweep.
void ResetRingGlow();
