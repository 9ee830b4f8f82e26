// theory/circle_theory: ring-position arithmetic, name tables, membership tests, triad scores and
// chord-degree labels. Tonic spelling and the current key's signature live in
// theory/note_spelling.cpp.
#include "theory/circle_theory.h"

#include <cctype>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/strings.h"
#include "theory/chromatic_runs.h"
#include "theory/ring_palette.h"
#include "theory/scale_selection.h"

// ---- constant tables ----
const int32_t kFifthsOrder[12] = {0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10, 5};
const char* const kKeyNamesByRing[12] = {"C",  "G",  "D",  "A",  "E",  "B",
                                         "F#", "Db", "Ab", "Eb", "Bb", "F"};
const char* const kMinorKeyNamesByRing[12] = {"Am",  "Em",  "Bm",  "F#m", "C#m", "G#m",
                                              "D#m", "Bbm", "Fm",  "Cm",  "Gm",  "Dm"};
const char* const kModeKeyNames[7] = {"ionian",     "dorian",  "phrygian", "lydian",
                                      "mixolydian", "aeolian", "locrian"};
const char* const kSharpNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                     "F#", "G",  "G#", "A",  "A#", "B"};
const char* const kFlatNames[12] = {"C",  "Db", "D",  "Eb", "E",  "F",
                                    "Gb", "G",  "Ab", "A",  "Bb", "B"};
const int kKeySignatureByTonic[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
const int kMinorKeySignatureByTonic[12] = {-3, 4, -1, 6, 1, -4, 3, -2, 5, 0, -5, 2};
const int kModeSignatureOffset[7] = {0, -2, -4, 1, -1, -3, -5};
const int kLetterPitchClass[7] = {0, 2, 4, 5, 7, 9, 11};
const int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};
const int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};
const char* const kDegreeNumerals[7] = {"I", "II", "III", "IV", "V", "VI", "VII"};

// ---- internal helpers ----
namespace {

// The relative test of one pitch class against a scale on gKeyRoot.
bool RowHoldsPitchClass(const ScaleRow* row, int pc) {
  int rel = PitchClassMod(pc - gKeyRoot);
  int n = row->count < 12 ? row->count : 12;
  for (int i = 0; i < n; ++i)
    if (row->pcs[i] == rel) return true;
  return false;
}

bool CurrentScaleUsable() { return gCurrentScale && gCurrentScale->count > 0; }

}  // namespace

// ---- public functions ----
int RingPosOfPitchClass(int pc) {
  for (int i = 0; i < 12; ++i)
    if (kFifthsOrder[i] == pc) return i;
  return 0;
}

int PitchClassToRingPos(int pc) { return PitchClassMod(pc) * 7 % 12; }

int RelativeMinorRingPos(int pc) {
  for (int i = 0; i < 12; ++i)
    if ((kFifthsOrder[i] + 9) % 12 == pc) return i;
  return 0;
}

std::string DiagramKeyName(int ringPos) {
  int p = ringPos < 0 ? 0 : (ringPos > 11 ? 11 : ringPos);
  return p == 6 ? "Gb" : kKeyNamesByRing[p];
}

std::string ModeKeyName(int modeIndex) {
  int m = modeIndex < 0 ? 0 : (modeIndex > 6 ? 6 : modeIndex);
  return kModeKeyNames[m];
}

bool ScaleContainsPitchClass(int pc) {
  if (gAllNotesAllowed) return true;
  if (!CurrentScaleUsable()) return false;
  return RowHoldsPitchClass(gCurrentScale, pc);
}

bool ScaleHasTriad(int pc, int a, int b) {
  if (gAllNotesAllowed) return true;
  if (!CurrentScaleUsable()) return false;
  return RowHoldsPitchClass(gCurrentScale, pc) && RowHoldsPitchClass(gCurrentScale, pc + a) &&
         RowHoldsPitchClass(gCurrentScale, pc + b);
}

float MajorTriadScore(int pc, bool* augmented) {
  if (augmented) *augmented = false;
  if (ScaleHasTriad(pc, 4, 7)) return 1.0f;
  if (ScaleHasTriad(pc, 4, 8)) {
    if (augmented) *augmented = true;
    return 0.85f;
  }
  if (ScaleHasTriad(pc, 4, 4)) return 0.55f;
  return 0.0f;
}

float MinorTriadScore(int pc) {
  if (ScaleHasTriad(pc, 3, 7) || ScaleHasTriad(pc, 3, 6)) return 1.0f;
  if (ScaleHasTriad(pc, 3, 3)) return 0.55f;
  return 0.0f;
}

bool AnyTriadAvailable() {
  if (gAllNotesAllowed || !gCurrentScale) return true;
  for (int pc = 0; pc < 12; ++pc) {
    bool aug = false;
    if (MajorTriadScore(pc, &aug) > 0.0f || MinorTriadScore(pc) > 0.0f) return true;
  }
  return false;
}

std::string ChordDegreeLabel(int ringPos) {
  const ScaleRow* row = gCurrentScale;
  if (!row || row->count != 7) return "";
  int pc = kFifthsOrder[PitchClassMod(ringPos)];
  int i = PitchClassMod(pc - gKeyRoot);
  int d = -1;
  for (int k = 0; k < 7; ++k)
    if (row->pcs[k] == i) d = k;
  if (d < 0) return "";
  int root = row->pcs[d];
  int third = PitchClassMod(row->pcs[(d + 2) % 7] + (d >= 5 ? 12 : 0) - root);
  int fifth = PitchClassMod(row->pcs[(d + 4) % 7] + (d >= 3 ? 12 : 0) - root);
  std::string label = kDegreeNumerals[d];
  if (third != 3) return label;
  label = AsciiLower(label);
  if (fifth == 6) label += "o";
  return label;
}

std::string NoteNameInKey(int pc) {
  int p = PitchClassMod(pc), letter = 0, accidental = 0;
  if (SpellDegreeInCurrentKey(p, &letter, &accidental))
    return std::string(1, "CDEFGAB"[letter]) + (accidental > 0 ? "#" : accidental < 0 ? "b" : "");
  return CurrentKeySignature() < 0 ? kFlatNames[p] : kSharpNames[p];
}

bool IsFlatKey() { return CurrentKeySignature() < 0; }

void PitchClassRingColour(int pc, float* r, float* g, float* b) {
  const float* c = kRingPalette[PitchClassToRingPos(pc)];
  *r = Clamp01(0.88f * c[0] + 0.2f);
  *g = Clamp01(0.88f * c[1] + 0.2f);
  *b = Clamp01(0.88f * c[2] + 0.24f);
}

void ShadeSegmentColour(bool lit, bool dimmed, float amount, float pulse, float brightness,
                        float* r, float* g, float* b) {
  if (dimmed) {
    float m = (*r + *g + *b) / 3.0f;
    *r = 0.74f * m;
    *g = 0.78f * m;
    *b = 0.84f * m;
  }
  if (lit) {
    float k = (0.82f + 0.38f * pulse) * brightness;
    *r = 1.0f * k;
    *g = (0.16f + 0.84f * amount) * k;
    *b = (0.12f + 0.88f * amount) * k;
  }
}

void GetStyleConstants(int style, float* a, float* b, float* c) {
  if (style == 1) {
    *a = 1.0f; *b = 0.94f; *c = -1.0f;
  } else if (style == 2) {
    *a = 1.0f; *b = 1.12f; *c = 1.0f;
  } else {
    *a = -1.0f; *b = 1.0f; *c = 0.0f;
  }
}

