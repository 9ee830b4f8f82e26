// visual/orb_overlays: what the orb draws over its body: the harmony of what sounds turned into up
// to four wave voices, the wave ribbons (concentric closed lines that gather bright pigment along
// the voices' nodal lines and keep it as fading trails), the 72 beads running round the ring, and
// the outlines. Arithmetic only, filled into arrays; visual/orb_draw emits them.
#pragma once
#include <vector>

#include "visual/orb_body.h"

struct OrbVoice {
  int pos = 0;          // ring position
  float amplitude = 0;  // share of the field (the voices' amplitudes sum to 1)
  float lobes = 3;      // angular frequency
  float mode = 2;       // radial mode
  float speed = 1;
  float phase = 0;
  OrbRgb colour{1, 1, 1};
};
// A voice at position 0 with 3 lobes, mode 2, speed 1, white.
void InitOrbVoice(OrbVoice& v);

// The frame's reading of what sounds.
struct OrbHarmony {
  int keyRootPosD = 0, chordPosD = 0, rootPc = 0;
  float hv[12] = {};       // harmonic weight per ring position
  int pcOf[12] = {};       // the pitch class each position stands for (its relative minor when minor)
  int peakPos = -1;
  float peakHv = 0, soloness = 0;
  float act = 0, harmony = 0, harm2 = 0, tension = 0, tensionP = 0, level = 0, live = 0, liveTempo = 0;
  int rootPosF = 0;        // where the root flash shows
  float rootAmp = 0, rootPhase = 0, rootDecay = 0, sigmaTheta = 0, sigmaB = 0, rootReach = 0;
  float ringStrength = 0, ringPos = 0, ringWidth = 0.05f, ringGain = 0;  // the warm flash's ring
  bool quiet = false;      // nothing to braid: the ribbons rest and their trails fade
  OrbVoice voices[4];
  int voiceCount = 0;
  float phaseTime = 0, ribbonGain = 0;
};

// The ribbons' persistent pigment: R x S' entries each, sample j of ribbon r at j + r S'.
struct OrbTrails {
  std::vector<float> density, red, green, blue, age;
};

// The overlays' memory between frames.
struct OrbOverlayMemory {
  OrbTrails trails[2];             // the current set and the one the next update writes
  int current = 0;                 // which set is current
  int trailRibbons = 0, trailSamples = 0;  // the (R, S') the trails are laid out for
  std::vector<float> waveField, waveFlash, waveR, waveG, waveB;  // per ribbon and sample
  std::vector<float> nodal, scratch, shiftSrc;                   // per sample, trail update
  std::vector<float> sField, sNodal, sBright, sFlash;            // per sample, drawing
  std::vector<float> trig;  // per sample: sin and cos of 15, 4.2, 2.6, 7, 13 and 11 times its angle, and sin 4 times
  OrbBatch ribbons;         // R line strips of S + 1 vertices
  int ribbonCount = 0;      // R of the strips in `ribbons` (0 on quiet frames)
  std::vector<float> beadX, beadY, beadR, beadG, beadB, beadSize;  // 72 beads, ring units
  float beadPrevTime = 0;   // p.time of the previous bead update
  OrbBatch beads;           // triangles of every bead's three discs
  OrbBatch outline;         // two strips of S + 1 ring points (dark, then light)
  OrbBatch reach;           // the circle at the reach, one strip
};

extern OrbOverlayMemory gOrbOverlays;  // UI thread only

// Start-of-process overlay memory (no trails, beads not yet placed).
void ResetOrbOverlays();
// Harmony, voices, root flash and flash ring of this frame.
OrbHarmony AnalyseOrbHarmony(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbDrawMemory& d);
// 1, or less away from the single lit position while one position stands alone.
float AngularFocus(const OrbHarmony& h, float angle);
// Ribbon count R for a quality level.
int OrbRibbonCount(float smoothQuality);
// Updates the trails (fading them on a quiet frame) and fills the ribbon strips.
void FillOrbRibbons(const OrbParams& p, const OrbFrame& f, const OrbHarmony& h, const OrbDrawMemory& d,
                    OrbOverlayMemory& o);
// Moves the beads toward this frame's targets (snapping on their first frame) and fills their discs.
void FillOrbBeads(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbHarmony& h,
                  const OrbDrawMemory& d, OrbOverlayMemory& o);
// The ring's dark and light outlines and the circle at the reach.
void FillOrbOutlines(const OrbParams& p, const OrbState& s, const OrbFrame& f, const OrbDrawMemory& d,
                     OrbOverlayMemory& o);
