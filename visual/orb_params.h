// visual/orb_params: the orb's per-frame input record, filled by the frame (the orb parameter feed)
// and by the theme, read by the orb's step and drawing.
//
// One record, two readings: the frame fills it with what it knows of the music (the second meaning
// on each line), the orb reads it for what it steers. Every field is 32 bits and the order is fixed:
// the nine theme factors are written as nine consecutive floats after the six leading ones.
#pragma once
#include <cstdint>

enum { kOrbEntryMax = 12 };  // at most this many scale entries (the off-scale list)

struct OrbParams {
  float centreX = 0;      // circle centre x in pixels
  float centreY = 0;      // circle centre y in pixels
  float innerRadius = 0;  // pixels of ring unit 1 (the reach); the frame's "radius" of the circle
  float time = 0;         // application seconds on the phase clock (PhaseSeconds)
  float viewWidth = 0;    // client width in pixels
  float viewHeight = 0;   // client height in pixels
  float tempo = 1;        // simulation speed factor; theme factor 1
  float theme28 = 0;      // theme factor 2
  float theme32 = 0;      // theme factor 3
  float theme36 = 0;      // theme factor 4
  float theme40 = 0;      // theme factor 5
  float theme44 = 0;      // theme factor 6
  float fade = 1;         // visibility 0..1, the caller's per-frame value; theme factor 7
  float flow = 1;         // ink flow rate factor; theme factor 8
  float theme56 = 0;      // theme factor 9
  float liveliness = 0;   // activity 0..1; the frame's difficulty slider value
  float level64 = 0;      // brightness level; the frame's major-ring level
  float level68 = 0;      // tint level; the frame's minor-ring level
  float level72 = 0;      // tint level; the frame's key-ring level
  float level76 = 0;      // the frame's energy
  float level80 = 0;      // warm flash level; the frame's smoothed cell glow
  int32_t keyRootPos = 0; // ring position of the key root; the frame's key position
  int32_t aux88 = -1;     // not read by the orb; the frame's warning position
  int32_t keyRootPc = -1; // pitch class of the key root, -1 for none; the frame's key pitch class
  uint32_t scaleMask = 0; // bit p set for pitch class p in the scale (low 12 bits); 0xFFF for all
  int32_t scaleMode = 0;  // 1 or 2 switch on the scale-entry effects; the frame's harmony code
  float hueAmount = 0;    // rainbow tint strength of the body; the frame's pattern flash
  float rimAmount = 0;    // green rim glow strength; the frame's practice-cell flash
  int32_t accentPos = -1; // ring position of the accented chord; the frame's focus position
  float accentLevel = 0;  // strength of the accent; the frame's focus strength
  int32_t soloPos = -1;   // single scale entry used when entryCount is 0; the strongest off-scale position
  float soloStrength = 0; // its first strength; that position's off-scale light
  float soloEmphasis = 0; // its second strength; that position's off-scale hold
  int32_t entryCount = 0; // scale entries 0..12; the off-scale count
  int32_t entryPos[kOrbEntryMax] = {};        // ring position per entry; the off-scale positions (-1 beyond the count)
  float entryStrength[kOrbEntryMax] = {};     // first strength per entry; the off-scale lights
  float entryEmphasis[kOrbEntryMax] = {};     // second strength per entry; the off-scale holds
  int32_t focusPos = -1;  // ring position of a focused chord, -1 for none; the octave position
  float focusLevel = 0;   // focus strength; the octave strength
  int32_t focusIsMinor = 0; // nonzero for the relative-minor reading; the octave is on the minor ring
};

extern OrbParams gVisualParams;  // the circle view's record, refilled every frame

// Writes the nine theme factors (tempo .. theme56, fade included) from gThemeLevel clamped to 0..1.
void ComputeThemeColours(OrbParams& out);
