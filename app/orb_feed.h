// app/orb_feed: fills the orb's parameter record each frame from what sounds: the circle's
// geometry, the light of the glow arrays, the key and scale, the note or chord to focus on, the
// notes outside the scale, octave doublings and the flashes; then the backdrop's values and the
// frame's tension level.
//
// Runs after the glow feed's hold timer and totals, also while the circle is hidden; the orb reads
// the record later in the same frame.
#pragma once

#include "visual/orb_params.h"

// The circle geometry and client size of the frame.
struct OrbFeedFrame {
  float centreX, centreY;   // circle centre in pixels
  float minSide;            // the smaller client side m
  float innerRadius;        // Rm, inner edge of the inner ring
  float width, height;      // client size in pixels
  double now;               // frame clock in seconds
  float dt;                 // the clamped step
};

// ---- values computed here ----
extern float gFrameTension;         // the frame's tension 0..1: the key level after the drag cap
                                    // (smoothed key-glow total / 12, at most 0.28 during a key drag)
extern float gCellGlowSmooth;       // the current cell's completion glow, smoothed
extern float gBackdropLight;        // backdrop: major light scaled by the focus
extern float gBackdropMinor;        // backdrop: minor level
extern float gBackdropKeyLevel;     // backdrop: key (tension) level; also read by the board
extern float gBackdropDifficulty;   // backdrop: the difficulty slider
extern float gBackdropIntensity;    // backdrop: star intensity 0.03..2.6

// Activity of the sounding notes: count, mean level and the longest hold.
float ComputeNoteActivity();
// Fills *out (gVisualParams in the frame) and the values above.
void FillOrbParams(const OrbFeedFrame& frame, OrbParams* out);
