// app/chord_recogniser: names the chord that sounds on the keyboard, once per frame.
//
// The sounding notes of the held-note table are fitted against a fixed table of chord templates
// on every root; the best fit is the frame's chord. A short hysteresis keeps the chord on display
// steady while keys go down one after another, the chord history gets an entry per change (and
// repeats while a chord is held), and the chord and the tension of its intervals light the ring.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// ---- templates ----
enum : uint32_t { kChordMajor = 0, kChordMinor = 1, kChordDiminished = 2 };

// One chord shape.
struct ChordTemplate {
  const char* name;                // suffix after the root's name ("" for a major triad)
  std::vector<int32_t> intervals;  // semitones above the root, ascending, 0 first
  uint32_t quality;                // kChordMajor, kChordMinor or kChordDiminished family
  float weight;                    // base score
  uint8_t exact;                   // 1: every interval must sound; 0: one may be missing
};

// The template table in search order (earlier wins ties); built once.
const std::vector<ChordTemplate>& ChordTemplates();

// The best fit of a set of sounding pitch classes.
struct ChordMatch {
  int root;           // pitch class 0..11
  uint32_t quality;   // of the best template
  std::string label;  // template name followed by "/" and the bass name when the bass is a chord tone
  double score;
};

// Fits pcs (ascending, distinct, 0..11) with the bass pitch class (-1 unknown); false with fewer
// than three pitch classes.
bool MatchChord(const int* pcs, int count, int bass, ChordMatch* out);

// ---- the frame's chord ----
// The recogniser's result of the frame, renewed by RunChordRecogniser.
struct RecognisedChord {
  bool recognised = false;      // a chord was matched this frame
  int root = -1;                // its root pitch class, -1 none
  uint32_t quality = 0;         // kChordMajor / kChordMinor / kChordDiminished
  std::string suffix;           // its label: template name plus slash part ("m7", "/E", "7/E")
  bool major = false, minor = false, diminished = false;  // the quality as flags
  int pcs[12] = {};             // the sounding pitch classes, ascending
  int pcCount = 0;
  int bass = -1;                // pitch class of the lowest sounding note, -1 none
  float inScaleRatio = 0;       // share of the sounding pitch classes in the current scale
  bool inScale = false;         // recognised and inScaleRatio >= 0.999
  bool offScale = false;        // recognised and not in scale
};

extern RecognisedChord gRecognisedChord;

// ---- state ----
extern int gHarmonyGlowMode;            // 0 no harmony glow, 1 chord glow, 2 chord and tension glow
constexpr float kHarmonyTrailSeconds = 3.0f;  // glow falls to 1 % in this time; history lifetime
extern int gShownChordRoot;             // chord on display, -1 none
extern uint32_t gShownChordQuality;
extern uint32_t gShownChordSeenMs;      // ClockMs32 of the last frame that recognised it
extern int gPendingChordRoot;           // a different chord waiting for confirmation, -1 none
extern uint32_t gPendingChordQuality;
extern uint32_t gPendingChordSinceMs;   // when it was first recognised

// ---- per-frame steps ----
// Early in the frame: the three ring glow arrays fall by 0.01^(dt / kHarmonyTrailSeconds).
void DecayHarmonyGlow(float dt);
// After playback and the MIDI watchdog: input collection, tension glow, match, hysteresis,
// history append and chord glow; returns gRecognisedChord.
const RecognisedChord& RunChordRecogniser();
// Back to the start state: nothing shown or pending, empty history chord, no result.
void ResetChordRecogniser();
