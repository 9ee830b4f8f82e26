// app/orb_feed: the orb parameter feed and the backdrop's values.
//
// Depends on the held-note table, the glow feed (hold timer, totals, strongest key light), the
// frame's chord, the theory state (scale, key, every-note-allowed, pattern flash), the practice
// records (cell glow, practice flash, difficulty slider) and the key drag of the circle.
#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/chord_recogniser.h"
#include "app/orb_feed.h"
#include "app/ring_glow.h"
#include "practice/achievement_tracking.h"
#include "practice/practice_run_state.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- state ----
float gFrameTension = 0;            // tension of the frame
float gCellGlowSmooth = 0;          // smoothed cell glow
float gBackdropLight = 0;           // backdrop values of the frame
float gBackdropMinor = 0;
float gBackdropKeyLevel = 0;
float gBackdropDifficulty = 0;
float gBackdropIntensity = 0;

// ---- internal helpers ----
static float Level(const HeldNote& h) { return Clamp01((float)h.velocity / 127.0f); }
static float Hold(int pc) { return Clamp01(0.3f * gPcHoldSeconds[pc]); }

// Screen blending keeps repeated light below 1; the second table keeps the largest hold.
static void AddOffScaleLight(float* light, float* hold, int pos, float x, float h) {
  light[pos] = 1.0f - (1.0f - Clamp01(x)) * (1.0f - light[pos]);
  hold[pos] = std::max(hold[pos], h);
}

static int ChordRingPos(const RecognisedChord& c) {
  if (!c.recognised || c.root < 0) return -1;
  return c.quality == kChordMajor ? RingPosOfPitchClass(c.root) : RelativeMinorRingPos(c.root);
}

static uint32_t CurrentScaleMask() {
  if (gAllNotesAllowed) return 0xFFF;
  if (!gCurrentScale) return 0;
  uint32_t mask = 0;
  for (int i = 0; i < gCurrentScale->count && i < 12; ++i)
    mask |= 1u << PitchClassMod(gKeyRoot + gCurrentScale->pcs[i]);
  return mask;
}

static void FillOffScale(const float* light, const float* hold, OrbParams* out) {
  int order[12];
  float key[12];
  for (int r = 0; r < 12; ++r) {
    order[r] = r;
    key[r] = std::max(0.82f * light[r], hold[r]);
  }
  std::stable_sort(order, order + 12, [&](int a, int b) { return key[a] > key[b]; });
  out->soloPos = -1;
  out->soloStrength = out->soloEmphasis = 0;
  out->entryCount = 0;
  for (int i = 0; i < kOrbEntryMax; ++i) {
    out->entryPos[i] = -1;
    out->entryStrength[i] = out->entryEmphasis[i] = 0;
  }
  for (int i = 0; i < 12; ++i) {
    int r = order[i];
    if (light[r] <= 0.001f && hold[r] <= 0.001f) continue;
    if (out->soloPos < 0) {
      out->soloPos = r;
      out->soloStrength = light[r];
      out->soloEmphasis = hold[r];
    }
    int n = out->entryCount++;
    out->entryPos[n] = r;
    out->entryStrength[n] = Clamp01(light[r]);
    out->entryEmphasis[n] = Clamp01(hold[r]);
  }
}

static void FillBackdrop(const OrbParams& p) {
  float fs = p.accentLevel;
  gBackdropLight = Clamp01((0.4f + 0.6f * fs) * p.level64);
  gBackdropMinor = Clamp01(p.level68);
  gBackdropKeyLevel = Clamp01(p.level72);
  gBackdropDifficulty = Clamp01(gTeachingLevel);
  float dc = Clamp01(std::pow(gBackdropDifficulty, 1.35f));
  float mood = std::clamp(
      1.0f + 0.15f * gBackdropLight - 0.38f * gBackdropMinor - 0.92f * gBackdropKeyLevel, 0.08f,
      2.2f);
  gBackdropIntensity = std::clamp((0.88f + 1.28f * dc) * mood, 0.03f, 2.6f);
}

// ---- public functions ----
float ComputeNoteActivity() {
  int n = 0;
  float levelSum = 0, longest = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding) continue;
    ++n;
    levelSum += Level(h);
    longest = std::max(longest, Clamp01(0.32f * gPcHoldSeconds[h.note % 12]));
  }
  float mean = n ? levelSum / (float)n : 0.0f;
  return Clamp01(0.3f * Clamp01(0.25f * (float)n) + 0.4f * mean + 0.3f * longest);
}

void FillOrbParams(const OrbFeedFrame& frame, OrbParams* out) {
  OrbParams& p = *out;
  const RecognisedChord& chord = gRecognisedChord;
  const int keyPc = PitchClassMod(gKeyRoot);
  const int keyPos = RingPosOfPitchClass(keyPc);
  const bool scaleMinor = IsCurrentScaleMinor();
  const int chordPos = ChordRingPos(chord);
  const float a = ComputeNoteActivity();

  p.centreX = frame.centreX;
  p.centreY = frame.centreY;
  p.innerRadius = std::max(0.0f, frame.innerRadius - std::max(0.0012f * frame.minSide, 1.0f));
  p.time = PhaseSeconds(frame.now);
  p.viewWidth = frame.width;
  p.viewHeight = frame.height;

  // Notes: the strongest scale note is the focus candidate; the others light the off-scale tables.
  int candidatePos = -1;
  float candidateStrength = 0;
  float offLight[12] = {}, offHold[12] = {};
  int sounding = 0, inScaleCount = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding) continue;
    int pc = h.note % 12;
    float s = Level(h) + 0.25f * Hold(pc);
    ++sounding;
    if (ScaleContainsPitchClass(pc)) {
      ++inScaleCount;
      if (candidatePos < 0 || s > candidateStrength) {
        candidateStrength = s;
        candidatePos = scaleMinor ? RelativeMinorRingPos(pc) : RingPosOfPitchClass(pc);
      }
    } else {
      AddOffScaleLight(offLight, offHold, RingPosOfPitchClass(pc), s, Hold(pc));
    }
  }
  if (chord.recognised && chord.offScale && chordPos >= 0)
    AddOffScaleLight(offLight, offHold, chordPos,
                     0.6f + 0.24f * Clamp01(1.0f - chord.inScaleRatio) + 0.16f * Hold(chord.root),
                     Hold(chord.root));
  const float q = sounding ? (float)inScaleCount / (float)sounding : 0.0f;

  // The off-scale list, strongest first.
  FillOffScale(offLight, offHold, &p);
  p.aux88 = p.soloPos >= 0 ? p.soloPos : gGlowKeyPeakPos;

  // Levels.
  float major = Clamp01(gGlowSumMajor / 12.0f);
  float minor = Clamp01(gGlowSumMinor / 12.0f);
  float keyLevel = Clamp01(gGlowSumKey / 12.0f);
  float energy = std::max(Clamp01(0.22f * gPcHoldSeconds[keyPc]), 0.2f + 0.56f * a);

  // Octaves: a scale pitch class sounding in two octaves at once.
  int octavePc = -1;
  float octaveV = 0;
  if (gHarmonyGlowMode != 1) {
    int low[12], high[12];
    float top[12] = {};
    std::fill(low, low + 12, 1 << 30);
    std::fill(high, high + 12, -1);
    for (const HeldNote& h : gHeldNotes) {
      if (!h.sounding) continue;
      int pc = h.note % 12;
      low[pc] = std::min(low[pc], h.note);
      high[pc] = std::max(high[pc], h.note);
      top[pc] = std::max(top[pc], Level(h));
    }
    for (int pc = 0; pc < 12; ++pc) {
      if (high[pc] < 0 || high[pc] - low[pc] < 12 || !ScaleContainsPitchClass(pc)) continue;
      float v = Clamp01(0.62f * top[pc] + 0.38f * Hold(pc));
      if (v > 0 && v > octaveV) {
        octaveV = v;
        octavePc = pc;
      }
    }
  } else {
    candidatePos = -1;
    candidateStrength = 0;
  }

  // An octave doubling becomes the focus candidate.
  bool octaveMinorRing = false;
  int octavePos = -1;
  if (octavePc >= 0) {
    octaveMinorRing = scaleMinor || (chord.recognised && chord.quality == kChordMinor);
    octavePos = octaveMinorRing ? RelativeMinorRingPos(octavePc) : RingPosOfPitchClass(octavePc);
    if (candidatePos < 0) candidateStrength = 0;
    candidatePos = octavePos;
    candidateStrength = std::max(candidateStrength, Clamp01(0.76f + 0.24f * octaveV));
  }
  int focusPos = candidatePos;
  if (candidatePos < 0) focusPos = (chord.recognised && chord.inScale) ? chordPos : -1;

  // Focus, chord and octave emphasis.
  float focusStrength = std::max(Clamp01(candidateStrength), a);
  if (chord.recognised && chord.inScale && chordPos >= 0) {
    focusPos = chordPos;
    if (chord.quality == kChordMajor)
      focusStrength = std::max(
          focusStrength,
          Clamp01(0.22f * Clamp01(0.25f * gPcHoldSeconds[chord.root]) + chord.inScaleRatio));
    else
      focusStrength = std::min(focusStrength, 1.0f);
  }
  if (q > 0.001f) {
    // Scale notes light the major ring in a major setting, the minor ring otherwise.
    bool minorSetting = scaleMinor || (chord.recognised && chord.quality != kChordMajor);
    float lift = Clamp01(0.26f + 0.52f * a * q);
    if (minorSetting)
      minor = std::max(minor, lift);
    else
      major = std::max(major, lift);
  }
  p.focusPos = -1;
  p.focusLevel = 0;
  p.focusIsMinor = 0;
  if (octavePc >= 0) {
    p.focusPos = octavePos;
    p.focusLevel = octaveV;
    p.focusIsMinor = octaveMinorRing ? 1 : 0;
    focusPos = octavePos;
    focusStrength = std::max(focusStrength, 0.84f + 0.16f * octaveV);
    energy = std::max(energy, 0.62f + 0.38f * octaveV);
    if (octaveMinorRing)
      minor = std::max(minor, 0.7f + 0.3f * octaveV);
    else
      major = std::max(major, 0.72f + 0.28f * octaveV);
  }
  p.keyRootPos = keyPos;

  // A key drag on the circle takes the focus and silences the warnings.
  if (gRingDragging) {
    int pos = (gRingDragPos >= 0 && gRingDragPos <= 11) ? gRingDragPos
                                                        : std::clamp(keyPos, 0, 11);
    p.keyRootPos = focusPos = pos;
    focusStrength = std::max(focusStrength, 0.98f);
    energy = std::max(energy, 0.92f);
    major = std::max(major, 0.84f);
    minor = std::min(minor, 0.36f);
    keyLevel = std::min(keyLevel, 0.28f);
    static const float kNone[12] = {};
    FillOffScale(kNone, kNone, &p);
  }

  // A warning wins over the focus.
  if (p.entryCount > 0 && std::max(p.soloStrength, p.soloEmphasis) > 0.03f) {
    focusPos = -1;
    focusStrength = 0;
    p.focusPos = -1;
    p.focusLevel = 0;
    p.focusIsMinor = 0;
  }
  p.accentPos = focusPos;
  p.accentLevel = focusStrength;
  p.level64 = major;
  p.level68 = minor;
  p.level72 = keyLevel;
  p.level76 = energy;
  gFrameTension = keyLevel;

  // Difficulty, theme, cell glow and flashes.
  p.liveliness = Clamp01(gTeachingLevel);
  ComputeThemeColours(p);
  float cg = CurrentCellGlow();
  float rate = cg > gCellGlowSmooth ? 8.5f : 2.6f;
  gCellGlowSmooth = Clamp01(gCellGlowSmooth + (cg - gCellGlowSmooth) * (1.0f - std::exp(-rate * frame.dt)));
  p.level80 = gCellGlowSmooth;
  p.hueAmount = Clamp01(gPatternFlashTimer);
  p.rimAmount = Clamp01(gPracticeCellFlashTimer);
  p.keyRootPc = keyPc;
  p.scaleMask = CurrentScaleMask();
  p.scaleMode = gHarmonyGlowMode == 1 ? 0 : gHarmonyGlowMode == 0 ? 1 : 2;

  // The backdrop's values.
  FillBackdrop(p);
}
