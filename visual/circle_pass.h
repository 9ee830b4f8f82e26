// visual/circle_pass: the circle of fifths drawn once per frame: twelve outer (major) and inner
// (relative-minor) sectors coloured by the key, the scale and the mode, lit by the held notes, the
// pedal and the chord, red where a note leaves the scale, with their marks and labels.
//
// The pass is split in two: ComputeCirclePass works out every colour, alpha, mark and label of the
// frame without GL (and fills the per-position glow tables), DrawCirclePass draws that result.
// The harmony glow mode chooses the chord rules: 2 lights the chord matched this frame and fades
// its tones as it is held, 1 draws the scale's triads and the chord on display after hysteresis,
// 0 lights no chord; in every mode a gold band marks the chord on display. Held notes and the
// pedal come from the note tables; what the shell knows (chords, hold times, levels, fades) comes
// in CirclePassInput.
#pragma once
#include <cstdint>
#include <string>

// ---- input ----
// A chord as the recogniser reports it.
struct CircleChord {
  bool recognised = false;  // a chord is present
  int root = -1;            // root pitch class
  uint32_t quality = 0;     // 0 major family, 1 minor, 2 diminished
};

struct CirclePassInput {
  float centreX = 0, centreY = 0;  // circle centre
  float minSide = 900;             // the shorter client side
  float outer = 0, inner = 0, innermost = 0;  // R, Ri, Rm
  double time = 0;                 // animation clock in seconds (app seconds)
  uint32_t nowMs = 0;              // the ms clock, for the age of a held chord
  float opacity = 1;               // A, the circle view's alpha
  float lightBlend = 0;            // m, the background tint's fade
  float teachingLevel = 0.5f;      // the difficulty slider 0..1
  float ringModeFade = 0;
  int harmonyMode = 2;             // 0 none, 1 triads and shown chord, 2 matched chord
  CircleChord matched;             // the chord matched this frame
  int matchedPcs[12] = {};         // its sounding pitch classes
  int matchedPcCount = 0;
  float matchedInScaleRatio = 0;   // share of them in the scale
  CircleChord shown;               // the chord on display after hysteresis
  const float* holdSeconds = nullptr;  // 12 per pitch class: seconds sounding
};

// ---- output ----
enum RingPaintKind : uint8_t {
  kPaintFill,       // sector fill between rIn and rOut
  kPaintHighlight,  // soft edge highlight (k1, k2, width)
  kPaintArc,        // one-pixel arc at rIn
  kPaintGoldBand,   // band from rIn to rOut across the sector
  kPaintSwellBand,  // band along rOut, thickness rOut - rIn at its base
  kPaintFramed,     // the framed look of the shown chord between rIn and rOut
};

struct RingPaint {
  uint8_t kind;
  float rIn, rOut;
  float r, g, b, a;
  float k1, k2, width;
};

enum { kRingPaintMax = 16 };

// Everything drawn at one ring position, in drawing order.
struct RingPositionLook {
  RingPaint paints[kRingPaintMax];
  int paintCount = 0;
  float outerFill[4] = {};   // the outer sector's fill colour and alpha
  float innerFill[4] = {};   // the inner sector's
  bool outerWashed = false, innerWashed = false;
  float warning = 0;         // o[p], the off-scale glow
  std::string degreeLabel;   // empty when none
  float degreeColour[4] = {};
};

struct CircleLook {
  RingPositionLook positions[12];
  int keyPos = 0;           // ring position of the key
  float labelAlpha = 1;     // A x (1 - ring-mode fade)
  bool degreeLabelsSmall = false;  // the degree labels take the small font (DegreeLabelsSmall)
};

// ---- state ----
extern float gPcGlowOffScale[12];  // by ring position: light of notes and chords off the scale
extern float gPcGlowLevel[12];     // by ring position: off-scale level for labels and sparks
extern float gPcGlowPeak[12];      // by ring position: its largest hold this frame
extern const float kModeTints[7][3];  // colour tint of each church mode

// ---- public functions ----
// The ring position of a chord's gold band: the root's on the major ring for the major family, the
// one whose relative minor is the root for the others; -1 without a chord.
int ChordRingPos(const CircleChord& c);
// Works out the frame's circle and sets the primitives' captured values (gRingFrame).
void ComputeCirclePass(const CirclePassInput& in, CircleLook* out);
// Draws it: per position the paints, then the key, minor and degree labels.
void DrawCirclePass(const CirclePassInput& in, const CircleLook& look);
// Draws one ring position of it: its paints, then its key, minor and degree labels.
void DrawCirclePosition(const CirclePassInput& in, const CircleLook& look, int p);
// Forgets the remembered chord and the glow tables.
void ResetCirclePass();

// Where the degree labels stand: they keep clear of the orb, which rests at eight tenths of the
// innermost radius; minorOffset is how far the minor names stand outside it. All of them take the
// small font when the widest ("viio", widestMainW wide in the main font) would not fit beside the
// orb at its usual place.
bool DegreeLabelsSmall(float innermost, float minorOffset, float widestMainW);
// The distance of a label's centre from the circle's centre: (ux, uy) is the unit direction of its
// position, w and h its size in the font it is drawn in.
float DegreeLabelRadius(float innermost, float minorOffset, float ux, float uy, float w, float h);
