// visual/circle_pass: the circle of fifths of one frame, worked out and drawn.
//
// Sections: pass values (notes, chord, warnings), one ring position's look, labels, drawing.
// Depends on the note tables (held notes, pedal), the theory helpers (ring mapping, scale, triads,
// degree labels, palette) and the fonts.
#include "visual/circle_pass.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "gfx/gl_setup.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "visual/ring_glow.h"
#include "visual/ring_primitives.h"

// ---- constants ----
const float kModeTints[7][3] = {{1.0f, 1.0f, 1.0f},   {0.85f, 0.95f, 1.1f}, {1.1f, 0.85f, 0.85f},
                                {0.85f, 1.1f, 1.1f},  {1.1f, 1.0f, 0.85f},  {0.95f, 0.85f, 1.1f},
                                {0.75f, 0.9f, 0.75f}};
static constexpr float kHoldGain = 0.3f;                  // G
static const float kGold[3] = {0.91f, 0.77f, 0.42f};
static const float kDistanceFactor[4] = {1.0f, 0.98f, 0.94f, 0.89f};  // 0.84 from 4 steps away

// ---- state ----
float gPcGlowOffScale[12] = {};  // off-scale light by ring position, cleared every pass
float gPcGlowLevel[12] = {};     // for the labels and sparks stage
float gPcGlowPeak[12] = {};
static int gFadeChordRoot = -1;          // the chord whose tones fade while held
static uint32_t gFadeChordQuality = 0;
static uint32_t gFadeChordStartMs = 0;   // when it was first matched

// ---- internal helpers ----
// The family of the chord a degree numeral names (upper case major, lower case minor, a trailing
// "o" diminished), -1 for none. A numeral lights only for a chord of its own family: a C major
// chord in Db major is no viio, nor D9 in C major a ii.
static int DegreeLabelQuality(const std::string& label) {
  if (label.empty()) return -1;
  if (label.back() == 'o') return 2;
  return std::islower((unsigned char)label[0]) ? 1 : 0;
}

static float Level(const HeldNote& h) { return Clamp01((float)h.velocity / 127.0f); }

// The values computed once before the position loop.
struct PassValues {
  float A, m, D, e;
  int keyPos;
  bool matched;            // the matched chord has a root
  bool offChord;           // ... and lies partly off the scale
  int offChordPos;         // its ring position
  int highlightMajor = -1; // outer chord highlight position
  int highlightMinor = -1; // inner chord highlight position
  int highlightRoot = -1;  // root pitch class of the highlighted chord
  int highlightQuality = 0;  // its family: 0 major, 1 minor, 2 diminished
  int bandPos = -1;        // the gold band's position: the shown chord's
  bool bandMinor = false;
  bool keyHeld = false;
  float H = 0;             // the key's hold level
  bool noteFlag[12] = {};
  float u[12] = {}, v[12] = {};  // held level and chord weight per position
  float sustain[12] = {};
  float o[12] = {};        // off-scale glow
  bool offGlow = false;    // any o above 0.001
  bool triadMode;          // mode 1
};

static float Hold(const CirclePassInput& in, int pc) {
  return in.holdSeconds ? Clamp01(in.holdSeconds[PitchClassMod(pc)] * kHoldGain) : 0.0f;
}

// Chord weight per pitch class: the tones of a held chord fade towards a floor, the third and
// fifth faster than the rest, sooner at a higher difficulty.
static void ChordWeights(const CirclePassInput& in, float weight[12]) {
  std::fill(weight, weight + 12, 1.0f);
  const CircleChord& c = in.matched;
  if (in.harmonyMode != 2 || !c.recognised || c.root < 0) {
    gFadeChordRoot = -1;
    return;
  }
  int root = PitchClassMod(c.root);
  if (gFadeChordRoot != root || gFadeChordQuality != c.quality) {
    gFadeChordRoot = root;
    gFadeChordQuality = c.quality;
    gFadeChordStartMs = in.nowMs;
  }
  float age = (float)(uint32_t)(in.nowMs - gFadeChordStartMs) / 1000.0f;
  float e = Clamp01(in.teachingLevel);
  float tau = 4.5f - 2.2f * e, floorW = 0.62f - 0.22f * e;
  auto w = [&](float t) {
    float k = 1.0f - Clamp01(age / std::max(0.2f, t));
    return k * k * (1.0f - floorW) + floorW;
  };
  for (int i = 0; i < in.matchedPcCount && i < 12; ++i) {
    int pc = PitchClassMod(in.matchedPcs[i]);
    if (pc != root) weight[pc] = w(2.0f * tau);
  }
  int third = c.quality == 0 ? 4 : 3, fifth = c.quality == 2 ? 6 : 7;
  weight[PitchClassMod(root + third)] = w(tau);
  weight[PitchClassMod(root + fifth)] = w(tau);
}

static void PrepareValues(const CirclePassInput& in, PassValues* pv) {
  pv->A = Clamp01(in.opacity);
  pv->m = Clamp01(in.lightBlend);
  pv->D = 1.0f - 0.12f * pv->m;
  pv->e = Clamp01(in.teachingLevel);
  pv->triadMode = in.harmonyMode == 1;
  int keyPc = PitchClassMod(gKeyRoot);
  pv->keyPos = RingPosOfPitchClass(keyPc);
  pv->matched = in.matched.recognised && in.matched.root >= 0;
  pv->offChord = pv->matched && in.matchedInScaleRatio < 0.999f;
  pv->offChordPos = ChordRingPos(in.matched);

  // The highlighted chord: the matched one in mode 2, the one on display in mode 1, none in mode 0.
  const CircleChord* hl = in.harmonyMode == 2 ? &in.matched : in.harmonyMode == 1 ? &in.shown : nullptr;
  if (hl && hl->recognised && hl->root >= 0) {
    int root = PitchClassMod(hl->root);
    pv->highlightRoot = root;
    pv->highlightQuality = (int)hl->quality;
    if (hl->quality == 0)
      pv->highlightMajor = RingPosOfPitchClass(root);
    else
      pv->highlightMinor = RelativeMinorRingPos(root);
  }
  // The gold band marks the chord on display in every mode: it outlasts a released chord and moves
  // only once the next one is confirmed, where the highlights follow each frame's match.
  pv->bandPos = ChordRingPos(in.shown);
  pv->bandMinor = in.shown.quality != 0;

  float weight[12];
  ChordWeights(in, weight);
  bool noteLight = in.harmonyMode != 1;
  std::fill(gPcGlowOffScale, gPcGlowOffScale + 12, 0.0f);
  for (const HeldNote& h : gHeldNotes) {
    int pc = PitchClassMod(h.note);
    int p = RingPosOfPitchClass(pc);
    if (h.sounding) {
      if (pc == keyPc) pv->keyHeld = true;
      if (gSustainDown) pv->sustain[p] = std::max(pv->sustain[p], Level(h));
      if (noteLight && !ScaleContainsPitchClass(pc))
        AccumulatePcGlow(gPcGlowOffScale, p, Hold(in, pc) * kHoldGain + Level(h));
    }
    if (h.keyDown && noteLight) {
      if (pv->offChord && (p == pv->keyPos || p == pv->offChordPos)) continue;
      pv->noteFlag[p] = true;
      pv->u[p] = std::max(pv->u[p], Level(h));
      pv->v[p] = std::max(pv->v[p], weight[pc]);
    }
  }
  pv->keyHeld = pv->keyHeld && !pv->offChord;
  pv->H = Hold(in, keyPc);
  if (noteLight && pv->offChord)
    AccumulatePcGlow(gPcGlowOffScale, pv->offChordPos,
                     Clamp01(0.58f + 0.28f * Clamp01(1.0f - in.matchedInScaleRatio) +
                             0.18f * Hold(in, in.matched.root)));
  for (int p = 0; p < 12; ++p) {
    pv->o[p] = (0.35f + 0.65f * pv->e) * Clamp01(gPcGlowOffScale[p]);
    if (pv->o[p] > 0.001f) pv->offGlow = true;
  }
}

static void ModeTint(float tint[3]) {
  tint[0] = tint[1] = tint[2] = 1.0f;
  int mode = CurrentModeIndex();
  if (mode >= 0 && mode < 7) {
    std::copy(kModeTints[mode], kModeTints[mode] + 3, tint);
  } else if (gCurrentScale) {
    const float c[3] = {gCurrentScale->r, gCurrentScale->g, gCurrentScale->b};
    for (int k = 0; k < 3; ++k) tint[k] = ClampFloat(0.78f + 0.44f * c[k], 0.72f, 1.24f);
  }
}

static float Largest(const float c[3]) { return std::max({c[0], c[1], c[2]}); }

// Raises the brightest channel to target, the others in proportion, each at most cap.
static void RaiseBrightest(float c[3], float target, float cap) {
  float l = Largest(c);
  if (l <= 0.0001f) return;
  float f = target / l;
  for (int k = 0; k < 3; ++k) c[k] = ClampFloat(c[k] * f, 0.0f, cap);
}

static void AddPaint(RingPositionLook* look, uint8_t kind, float rIn, float rOut, const float c[3], float a,
                     float k1 = 0, float k2 = 0, float width = 0) {
  if (look->paintCount >= kRingPaintMax) return;
  look->paints[look->paintCount++] = {kind, rIn, rOut, c[0], c[1], c[2], a, k1, k2, width};
}

static void AddArc(RingPositionLook* look, float radius, const float c[3], float scale, float a) {
  const float lit[3] = {Clamp01(c[0] * scale), Clamp01(c[1] * scale), Clamp01(c[2] * scale)};
  AddPaint(look, kPaintArc, radius, radius, lit, a);
}

// The faded fill of a sector, with the light-style wash for a plain one.
static void FadedFill(const PassValues& pv, const float col[3], float t, bool wash, const float washColour[3],
                      float washAlpha, float out[4]) {
  SetFadedColour(col[0], col[1], col[2], t, &out[0], &out[1], &out[2], &out[3]);
  for (int k = 0; k < 3; ++k) out[k] = std::min(out[k] * pv.D, 1.0f);
  if (!wash) return;
  for (int k = 0; k < 3; ++k) out[k] += (washColour[k] - out[k]) * pv.m;
  out[3] += (washAlpha - out[3]) * pv.m;
}

static void LookOfPosition(const CirclePassInput& in, const PassValues& pv, const float tint[3],
                           bool anyTriad, int p, RingPositionLook* look) {
  const float R = in.outer, Ri = in.inner, Rm = in.innermost;
  const int pc = kFifthsOrder[p];
  const int minorPc = (pc + 9) % 12;
  const bool mode1 = pv.triadMode;
  const float sh = 0.5f + 0.5f * std::sin(0.67f * (float)p + 5.1f * in.time);
  look->paintCount = 0;
  look->warning = pv.o[p];

  // Membership (modes 0 and 2) or the triad marks (mode 1).
  bool augmented = false;
  float majorScore = MajorTriadScore(pc, &augmented);
  float minorScore = MinorTriadScore(minorPc);
  bool outerMarked = ScaleContainsPitchClass(pc), innerMarked = ScaleContainsPitchClass(minorPc);
  if (mode1) {
    if (anyTriad) {
      outerMarked = majorScore > 0;
      innerMarked = minorScore > 0;
    } else {
      innerMarked = outerMarked;
    }
  }
  const bool note = pv.noteFlag[p];

  // Base colour: palette, mode tint, dimmed by key light, saturated, by distance from the key.
  float g = std::min(1.0f, std::min(1.0f, gRingGlowKey[p]) * (p == pv.keyPos ? 1.15f : 1.0f));
  if (note) g *= 0.12f;
  float base[3];
  for (int k = 0; k < 3; ++k) base[k] = tint[k] * kRingPalette[p][k] * (1.0f - g);
  AdjustSaturation(base[0], base[1], base[2], 1.18f, 0.02f);
  int diff = std::abs(p - pv.keyPos);
  int dist = std::min(diff, 12 - diff);
  float ew = std::exp(-(float)(dist * dist) / 8.82f);
  float factor = dist < 4 ? kDistanceFactor[dist] : 0.84f;
  float bright = ClampFloat((0.7f + 0.22f * ew + (p == pv.keyPos ? 0.1f : 0.0f)) * factor, 0.58f, 1.0f);
  for (float& c : base) c *= bright;
  if (note && Largest(base) > 0.0001f)
    RaiseBrightest(base, std::min(0.93f, (1.0f + (0.18f + 0.46f * pv.u[p]) * pv.v[p]) * Largest(base)), 0.93f);

  // Outer sector: multiplier k, added light a, fill level t.
  const float s = pv.sustain[p];
  float k = 1, a = 0, t;
  if (!mode1) {
    t = 0.24f + 0.66f * gRingGlowMajor[p];
    if (!outerMarked && !note) k = 0;
    if (pv.keyHeld && !pv.offGlow && p == pv.keyPos) {
      a = 0.1f + 0.2f * pv.H;
      t = std::max(t, 0.35f + 0.55f * pv.H);
    }
    if (s > 0.001f) {
      a = std::max(a, 0.1f + 0.2f * s);
      t = std::max(t, 0.86f + 0.14f * s);
    }
    if (note) {
      a = std::max(a, (0.14f + 0.24f * pv.u[p]) * pv.v[p]);
      t = std::max(t, (0.86f + 0.14f * pv.u[p]) * pv.v[p]);
    }
    if (p == pv.highlightMajor) {
      a = std::max(a, 0.05f + 0.08f * sh);
      t = std::max(t, 0.26f + 0.14f * sh);
    }
  } else {
    k = 0.34f + 0.66f * majorScore;
    t = 0.05f + 0.15f * majorScore;
    if (p == pv.highlightMajor) {
      k = 1;
      a = 0.1f + 0.06f * sh;
      t = std::max(t, 0.62f + 0.14f * sh);
    }
  }
  float outerCol[3];
  for (int c = 0; c < 3; ++c) outerCol[c] = Clamp01(k * base[c]);
  float boost = ClampFloat(a, 0.0f, 0.7f);
  if (Largest(outerCol) > 0.0001f && boost > 0.0001f)
    RaiseBrightest(outerCol, std::min(0.96f, Largest(outerCol) + 0.34f * boost), 0.96f);
  static const float kOuterWash[3] = {0.91f, 0.93f, 0.98f}, kInnerWash[3] = {0.22f, 0.24f, 0.3f};
  bool plainOuter = pv.m > 0.001f && !outerMarked && !note && p != pv.highlightMajor && pv.o[p] <= 0.001f;
  FadedFill(pv, outerCol, t, plainOuter, kOuterWash, 0.045f * pv.A, look->outerFill);
  look->outerWashed = plainOuter;
  AddPaint(look, kPaintFill, Ri, R, look->outerFill, look->outerFill[3]);
  static const float kWhite[3] = {1, 1, 1};
  if (plainOuter)
    AddPaint(look, kPaintHighlight, Ri, R, kWhite, 1, 0.16f, pv.m, 1);
  else if (look->outerFill[3] < 0.4f)
    AddPaint(look, kPaintHighlight, Ri, R, kWhite, 1,
             0.075f + 0.115f * Clamp01((0.4f - look->outerFill[3]) / 0.4f), 1, 0.42f);
  if (mode1 && augmented && pv.A > 0.001f) {
    static const float kViolet[3] = {0.72f, 0.55f, 0.95f};
    AddPaint(look, kPaintSwellBand, R - std::max(0.0025f * in.minSide, 1.5f), R, kViolet, 0.55f * pv.A);
  }

  // Inner sector.
  float ti, ai = 0, ki = k;
  if (!mode1) {
    ti = 0.3f + 0.44f * gRingGlowMinor[p];
    if (p == pv.highlightMinor) {
      ai = std::max(0.0f, 0.04f + 0.07f * sh);
      ti = std::max(ti, 0.22f + 0.12f * sh);
    }
  } else {
    ki = 0.3f + 0.7f * minorScore;
    ti = 0.04f + 0.13f * minorScore;
    if (p == pv.highlightMinor) {
      ki = 1;
      ai = 0.08f + 0.05f * sh;
      ti = std::max(ti, 0.55f + 0.12f * sh);
    }
  }
  float innerCol[3];
  for (int c = 0; c < 3; ++c) innerCol[c] = Clamp01(0.6f * ki * base[c]);
  float boostIn = ClampFloat(ai, 0.0f, 0.6f);
  if (Largest(innerCol) > 0.0001f && boostIn > 0.0001f)
    RaiseBrightest(innerCol, std::min(0.88f, Largest(innerCol) + 0.3f * boostIn), 0.88f);
  // An inner sector whose outer one has no colour (a key outside the scale) has none either, even
  // when its own root is in the scale: it is washed with the plain ones, not left opaque black.
  bool plainInner = pv.m > 0.001f && (!innerMarked || ki <= 0.0f) && !note && p != pv.highlightMinor &&
                    pv.o[p] <= 0.001f;
  FadedFill(pv, innerCol, ti, plainInner, kInnerWash, 0.4f * pv.A, look->innerFill);
  look->innerWashed = plainInner;
  AddPaint(look, kPaintFill, Rm, Ri, look->innerFill, look->innerFill[3]);
  if (plainInner)
    AddPaint(look, kPaintHighlight, Rm, Ri, kWhite, 1, 0.13f, pv.m, 1);
  else if (look->innerFill[3] < 0.4f)
    AddPaint(look, kPaintHighlight, Rm, Ri, kWhite, 1,
             0.06f + 0.095f * Clamp01((0.4f - look->innerFill[3]) / 0.4f), 1, 0.42f);

  // Marks: the chord's gold band, the chord's edges, the held key, the pedal.
  if (p == pv.bandPos) {
    float h = std::max(0.0008f * in.minSide, 0.55f);
    float radius = pv.bandMinor ? Rm : Ri;
    AddPaint(look, kPaintGoldBand, radius - h, radius + h, kGold, 0.42f * pv.A);
  }
  if (in.harmonyMode == 2 && p == pv.highlightMajor) AddArc(look, R - 1.0f, outerCol, 1.08f, (0.1f + 0.12f * sh) * pv.A);
  if (in.harmonyMode == 2 && p == pv.highlightMinor) AddArc(look, Ri - 1.1f, innerCol, 1.12f, (0.09f + 0.11f * sh) * pv.A);
  // The key's edge arcs mark it at rest too; the longer its note sounds, the stronger they are.
  if (!mode1 && p == pv.keyPos && !pv.offGlow) {
    AddArc(look, R - 0.5f, outerCol, 1.08f, (0.34f + 0.3f * pv.H) * pv.A);
    AddArc(look, R - 2.0f, outerCol, 1.08f, (0.16f + 0.2f * pv.H) * pv.A);
  }
  if (s > 0.001f) AddArc(look, R - 1.2f, outerCol, 1.05f, (0.18f + 0.34f * s) * pv.A);

  // Red: a note or chord off the scale (modes 0 and 2), the shown minor chord (mode 1).
  float o = pv.o[p];
  if (mode1 && p == pv.highlightMinor) o = std::max(o, 0.5f);
  if (o > 0.001f) {
    float ph = 0.5f + 0.5f * std::sin((6.4f + 2.2f * pv.e) * in.time + 0.73f * (float)p);
    float t1 = (0.58f + 0.42f * ph) * (0.22f + 0.52f * o);
    float beta = (0.7f + 0.3f * ph) * (0.18f + 0.44f * o) * pv.A;
    float fill[4];
    SetFadedColour(1.0f, 0.03f, 0.02f, t1, &fill[0], &fill[1], &fill[2], &fill[3]);
    for (int c = 0; c < 3; ++c) fill[c] = std::min(fill[c] * pv.D, 1.0f);
    AddPaint(look, kPaintFill, Ri, R, fill, fill[3]);
    SetFadedColour(1.0f, 0.02f, 0.02f, 0.18f * t1, &fill[0], &fill[1], &fill[2], &fill[3]);
    for (int c = 0; c < 3; ++c) fill[c] = std::min(fill[c] * pv.D, 1.0f);
    AddPaint(look, kPaintFill, Rm, Ri, fill, fill[3]);
    static const float kRedOuter[3] = {1.0f, 0.18f, 0.14f}, kRedInner[3] = {1.0f, 0.1f, 0.08f};
    AddPaint(look, kPaintArc, R - 0.8f, R - 0.8f, kRedOuter, beta);
    AddPaint(look, kPaintArc, Ri - 0.8f, Ri - 0.8f, kRedInner, 0.86f * beta);
  }

  // Mode 1 with the tint on: the shown chord framed on its own ring.
  if (mode1 && pv.m > 0.001f && (p == pv.highlightMajor || p == pv.highlightMinor)) {
    bool outerRing = p == pv.highlightMajor;
    AddPaint(look, kPaintFramed, outerRing ? Ri : Rm, outerRing ? R : Ri, kGold, 0.5f * pv.m * pv.A,
             outerRing ? 1.0f : 0.0f);
  }

  // The degree label inside the circle.
  look->degreeLabel = ChordDegreeLabel(p);
  float* dc = look->degreeColour;
  if (pv.highlightRoot >= 0 && p == RingPosOfPitchClass(pv.highlightRoot) &&
      DegreeLabelQuality(look->degreeLabel) == pv.highlightQuality) {
    dc[0] = kGold[0], dc[1] = kGold[1], dc[2] = kGold[2], dc[3] = 0.98f;
  } else if (p == pv.keyPos) {
    dc[0] = dc[1] = dc[2] = 0.96f, dc[3] = 0.52f;
  } else {
    dc[0] = dc[1] = dc[2] = 0.8f, dc[3] = 0.24f;
  }
}

static void DrawPaint(float a0, float a1, const RingPaint& pt) {
  switch (pt.kind) {
    case kPaintFill:
      DrawSectorFill(a0, a1, pt.rIn, pt.rOut, pt.r, pt.g, pt.b, pt.a);
      break;
    case kPaintHighlight:
      DrawSegmentHighlight(a0, a1, pt.rIn, pt.rOut, pt.k1, pt.k2, pt.width);
      break;
    case kPaintArc: {
      // A line lights pixels up to half a pixel beside it: ended on the sector's edges, an arc
      // left a pixel in the neighbour's slice, which the still picture does not clear when only
      // this position changes. One pixel short at each end it stays inside its own slice.
      float inset = std::min(1.0f / std::max(pt.rIn, 1.0f), 0.1f * (a1 - a0));
      DrawRingArc(a0 + inset, a1 - inset, pt.rIn, pt.r, pt.g, pt.b, pt.a);
      break;
    }
    case kPaintGoldBand:
      DrawSectorFill(a0, a1, pt.rIn, pt.rOut, pt.r, pt.g, pt.b, pt.a);
      break;
    case kPaintSwellBand:
      DrawRingSwellBand(a0, a1, pt.rOut, pt.rOut - pt.rIn, pt.r, pt.g, pt.b, pt.a);
      break;
    case kPaintFramed: {
      // Bands along both edges, their outlines, an arc just inside each edge, a soft band across.
      float w = std::max(0.12f * (pt.rOut - pt.rIn), 2.0f);
      DrawRingBand(a0, a1, pt.rIn, pt.rIn + w, pt.r, pt.g, pt.b, pt.a, 0.0f);
      DrawRingBand(a0, a1, pt.rOut - w, pt.rOut, pt.r, pt.g, pt.b, 0.0f, pt.a);
      DrawRingBandOutline(a0, a1, pt.rIn, pt.rOut, pt.r, pt.g, pt.b, 0.8f * pt.a);
      DrawRingBandOutline(a0, a1, pt.rIn + w, pt.rOut - w, pt.r, pt.g, pt.b, 0.35f * pt.a);
      DrawRingArc(a0, a1, pt.rIn + 1.0f, 1, 1, 1, 0.5f * pt.a);
      DrawRingArc(a0, a1, pt.rOut - 1.0f, 1, 1, 1, 0.5f * pt.a);
      bool outerRing = pt.k1 > 0.5f;
      float lo = outerRing ? pt.rIn + 1.05f : pt.rIn + 1.0f, hi = outerRing ? pt.rOut - 0.55f : pt.rOut - 0.75f;
      DrawRingSoftBand(a0, a1, lo, hi, pt.r, pt.g, pt.b, 0.45f * pt.a);
      break;
    }
  }
}

// Centred as the names are: "viio" grew outwards only, into the minor name beside it ("F#m").
// Where the minor name moved in with its narrowed band, the label moves in as far. In a small
// window that put it under the resting orb; there the labels take the small font and keep out of
// the orb's way.
static float WantedDegreeRadius(float innermost, float minorOffset) {
  return innermost - (16.0f + (30.0f - std::min(minorOffset, 30.0f)));
}
static float RestingOrbEdge(float innermost) { return 0.8f * innermost + 1.0f; }
// How far the minor name stands outside the innermost radius: no further than its band's middle.
static float MinorNameOffset(const CirclePassInput& in) { return std::min(30.0f, 0.5f * (in.inner - in.innermost)); }

// The key name, the minor name and the degree label of a position, each with its shadow.
static void DrawPositionLabels(const CirclePassInput& in, const CircleLook& look, int p) {
  float am = RingSectorStart(p) + 0.5f * kRingSectorAngle;
  float u1 = std::cos(am), u2 = std::sin(am);
  float A = look.labelAlpha;
  ScopedTrSuppress names;  // key names and degree numerals are not UI words
  BeginTextRun();  // the labels of a position follow each other with nothing in between
  // Each name is centred on its point, as the fixed offsets centre a name of two letters: a longer
  // one ("F#m") grows both ways, not only outwards into the next ring's name ("A").
  // In a small window the bands grow narrower than these offsets, which then put a name against
  // its band's edge and into the next band's name ("F#mA" at 1024 x 600): no further out than the
  // band's middle.
  const char* major = kKeyNamesByRing[p];
  const char* minor = kMinorKeyNamesByRing[p];
  const float majorOffset = std::min(25.0f, 0.5f * (in.outer - in.inner));
  const float minorOffset = MinorNameOffset(in);
  float shift = 0.5f * MeasureText(gFontLarge, major, 28.0f);
  float x = in.centreX + u1 * (in.inner + majorOffset), y = in.centreY + u2 * (in.inner + majorOffset);
  DrawTextUtf8(gFontLarge, x - shift + 1.0f, y + 15.0f, major, 0, 0, 0, 0.34f * A);
  DrawTextUtf8(gFontLarge, x - shift, y + 14.0f, major, 1, 1, 1, 0.95f * A);
  shift = 0.5f * MeasureText(gFontMain, minor, 20.0f);
  x = in.centreX + u1 * (in.innermost + minorOffset), y = in.centreY + u2 * (in.innermost + minorOffset);
  DrawTextUtf8(gFontMain, x - shift + 1.0f, y + 11.0f, minor, 0, 0, 0, 0.3f * A);
  DrawTextUtf8(gFontMain, x - shift, y + 10.0f, minor, 0.8f, 0.8f, 0.8f, 0.61f * A);
  const RingPositionLook& pl = look.positions[p];
  if (!pl.degreeLabel.empty()) {
    const bool small = look.degreeLabelsSmall;
    const UiFont font = small ? gFontSmall : gFontMain;
    const float w = MeasureText(font, pl.degreeLabel, small ? 13.0f : 20.0f);
    const float r = DegreeLabelRadius(in.innermost, minorOffset, u1, u2, w, 0.62f * FontPixelSize(font));
    x = in.centreX + u1 * r, y = in.centreY + u2 * r;
    DrawTextUtf8(font, x - 0.5f * w, y + (small ? 5.0f : 8.0f), pl.degreeLabel, pl.degreeColour[0],
                 pl.degreeColour[1], pl.degreeColour[2], pl.degreeColour[3] * A);
  }
  EndTextRun();
}

// ---- public functions ----
int ChordRingPos(const CircleChord& c) {
  if (!c.recognised || c.root < 0) return -1;
  int root = PitchClassMod(c.root);
  return c.quality == 0 ? RingPosOfPitchClass(root) : RelativeMinorRingPos(root);
}

bool DegreeLabelsSmall(float innermost, float minorOffset, float widestMainW) {
  return WantedDegreeRadius(innermost, minorOffset) - 0.5f * widestMainW < RestingOrbEdge(innermost);
}

float DegreeLabelRadius(float innermost, float minorOffset, float ux, float uy, float w, float h) {
  const float half = 0.5f * (std::fabs(ux) * w + std::fabs(uy) * h);
  return std::max(WantedDegreeRadius(innermost, minorOffset), RestingOrbEdge(innermost) + half);
}

void ComputeCirclePass(const CirclePassInput& in, CircleLook* out) {
  gRingFrame.centreX = in.centreX;
  gRingFrame.centreY = in.centreY;
  gRingFrame.opacity = Clamp01(in.opacity);
  gRingFrame.lightBlend = Clamp01(in.lightBlend);
  gRingFrame.sizeRef = in.minSide;
  gRingFrame.ringModeFade = Clamp01(in.ringModeFade);

  PassValues pv;
  PrepareValues(in, &pv);
  out->keyPos = pv.keyPos;
  out->labelAlpha = pv.A * Clamp01(1.0f - in.ringModeFade);
  float tint[3];
  ModeTint(tint);
  bool anyTriad = pv.triadMode && AnyTriadAvailable();
  for (int p = 0; p < 12; ++p) LookOfPosition(in, pv, tint, anyTriad, p, &out->positions[p]);
  // One font for all the degree labels, chosen by the widest ("viio" where the scale has one).
  float widest = 0.0f;
  ScopedTrSuppress numerals;  // degree numerals are not UI words
  for (const RingPositionLook& pl : out->positions)
    if (!pl.degreeLabel.empty()) widest = std::max(widest, MeasureText(gFontMain, pl.degreeLabel, 20.0f));
  out->degreeLabelsSmall =
      widest > 0.0f && DegreeLabelsSmall(in.innermost, MinorNameOffset(in), widest);

  // The off-scale level and hold of the sounding notes, for the labels and sparks stage.
  std::fill(gPcGlowLevel, gPcGlowLevel + 12, 0.0f);
  std::fill(gPcGlowPeak, gPcGlowPeak + 12, 0.0f);
  for (const HeldNote& h : gHeldNotes) {
    int pc = PitchClassMod(h.note);
    if (!h.sounding || ScaleContainsPitchClass(pc)) continue;
    float hold = Hold(in, pc);
    AccumulatePcGlowMax(gPcGlowLevel, gPcGlowPeak, RingPosOfPitchClass(pc), 0.25f * hold + Level(h), hold);
  }
}

void DrawCirclePass(const CirclePassInput& in, const CircleLook& look) {
  if (look.labelAlpha <= 0.0005f && in.opacity <= 0.0005f) return;
  for (int p = 0; p < 12; ++p) {
    float a0 = RingSectorStart(p), a1 = a0 + kRingSectorAngle;
    const RingPositionLook& pl = look.positions[p];
    for (int i = 0; i < pl.paintCount; ++i) DrawPaint(a0, a1, pl.paints[i]);
    DrawPositionLabels(in, look, p);
  }
}

void DrawCirclePosition(const CirclePassInput& in, const CircleLook& look, int p) {
  if (p < 0 || p > 11 || (look.labelAlpha <= 0.0005f && in.opacity <= 0.0005f)) return;
  float a0 = RingSectorStart(p), a1 = a0 + kRingSectorAngle;
  const RingPositionLook& pl = look.positions[p];
  for (int i = 0; i < pl.paintCount; ++i) DrawPaint(a0, a1, pl.paints[i]);
  DrawPositionLabels(in, look, p);
}

void ResetCirclePass() {
  std::fill(gPcGlowOffScale, gPcGlowOffScale + 12, 0.0f);
  std::fill(gPcGlowLevel, gPcGlowLevel + 12, 0.0f);
  std::fill(gPcGlowPeak, gPcGlowPeak + 12, 0.0f);
  gFadeChordRoot = -1;
  gFadeChordQuality = 0;
  gFadeChordStartMs = 0;
}
