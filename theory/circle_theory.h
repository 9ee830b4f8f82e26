// theory/circle_theory: the circle of fifths and what hangs on it: ring positions and pitch
// classes, the name tables, membership tests against the current scale, triad scores, chord-degree
// labels, the spelling of a scale's tonic and note names in the current key.
//
// None of these functions changes state. Pitch classes are 0..11 with 0 = C; every "mod 12" here
// is a non-negative remainder.
#pragma once
#include <cstdint>
#include <string>

#include "app/base/maths.h"  // PitchClassMod
#include "theory/scale_rows.h"

// ---- constant tables ----
extern const int32_t kFifthsOrder[12];               // pitch class at each ring position (7 i mod 12)
extern const char* const kKeyNamesByRing[12];        // "C", "G", ..., "F#", "Db", ..., "F"
extern const char* const kMinorKeyNamesByRing[12];   // "Am", "Em", ..., "Dm": relative minors by ring position
extern const char* const kModeKeyNames[7];           // "ionian" .. "locrian"
extern const char* const kSharpNames[12];            // by pitch class, sharp spelling
extern const char* const kFlatNames[12];             // by pitch class, flat spelling
extern const int kKeySignatureByTonic[12];           // major key signature (+ sharps, - flats)
extern const int kMinorKeySignatureByTonic[12];      // minor key signature
extern const int kModeSignatureOffset[7];            // church mode's offset from its major key
extern const int kLetterPitchClass[7];               // natural pitch class of C D E F G A B
extern const int kSharpOrder[7];                     // letters in the order sharps are added
extern const int kFlatOrder[7];                      // letters in the order flats are added
extern const char* const kDegreeNumerals[7];         // "I" .. "VII"
constexpr int kDiatonicMask = 0xAB5;                  // semitones of a major scale

// ---- ring positions and pitch classes ----
// Ring position holding pc; 0 when pc is not 0..11.
int RingPosOfPitchClass(int pc);
// (pc mod 12) * 7 mod 12, for any integer.
int PitchClassToRingPos(int pc);
// Ring position whose relative minor is pc; 0 when pc is not 0..11.
int RelativeMinorRingPos(int pc);
// Key name for scale-diagram files ("Gb" on position 6); ringPos clamped to 0..11.
std::string DiagramKeyName(int ringPos);
// kModeKeyNames entry, index clamped to 0..6.
std::string ModeKeyName(int modeIndex);

// ---- membership and marks ----
// pc lies in the current scale on gKeyRoot (always true while gAllNotesAllowed).
bool ScaleContainsPitchClass(int pc);
// pc, pc + a and pc + b all lie in the current scale (always true while gAllNotesAllowed).
bool ScaleHasTriad(int pc, int a, int b);

// ---- triads and degrees ----
// 1.0 major triad, 0.85 augmented (sets *augmented), 0.55 root and major third, else 0.
float MajorTriadScore(int pc, bool* augmented);
// 1.0 minor or diminished triad, 0.55 root and minor third, else 0.
float MinorTriadScore(int pc);
// Some pitch class carries a triad (true while all notes are allowed or without a scale).
bool AnyTriadAvailable();
// Roman degree of the triad on a ring position in a seven-note current scale ("ii", "viio");
// empty otherwise.
std::string ChordDegreeLabel(int ringPos);

// ---- names and spelling ----
// Tonic of a scale on rootPc, spelled in the signature chosen for that scale ("F#", "Db"), or by
// its other name where a seven-note scale's degrees would need three signs, or three double signs,
// from the first (C, not the B# of C Enigmatic Major; Eb, not D#). A scale of another size names it
// as it names its notes, from the signature's sharp or flat table (F Iwato, not E#).
std::string SpellScaleNotes(int rootPc, const ScaleRow* row);
// The same for the pitch class at a ring position.
std::string SpellScaleAtRingPos(int ringPos, const ScaleRow* row);
// Signature of the current scale on gKeyRoot (+ sharps, - flats): the one its tonic is spelled in.
int CurrentKeySignature();
// A degree of a seven-note current scale spelled on its own letter, the tonic's plus the degree's
// index (C# rather than Db in D harmonic minor): letter 0..6 (C..B) and accidental -maxSigns..
// maxSigns. False for a pitch class off the scale, a scale of another size, a degree that would
// need more signs than maxSigns (a name takes one, the staff two: F## in G# harmonic minor), or a
// scale any of whose degrees would need three, so that no two degrees share a letter.
bool SpellDegreeInCurrentKey(int pc, int* letter, int* accidental, int maxSigns = 1);
// Name of a pitch class in the current key: a degree by its own letter (above), any other note with
// sharps or flats by the current key signature.
std::string NoteNameInKey(int pc);
// The current key signature has flats.
bool IsFlatKey();
// The note semitones above the note named lower ("Eb"), spelled on the letter letterSteps above
// lower's letter ("G" for 4 semitones and 2 steps); empty when lower is no note name or that
// letter would need a double sharp or flat.
std::string SpellNoteAbove(const std::string& lower, int semitones, int letterSteps);

// ---- colour and small helpers ----
// Ring palette colour of pc's ring position, brightened.
void PitchClassRingColour(int pc, float* r, float* g, float* b);
// Dims to a cool grey and/or lights towards red-white, scaled by pulse and brightness.
void ShadeSegmentColour(bool lit, bool dimmed, float amount, float pulse, float brightness,
                        float* r, float* g, float* b);
// Style 1: (1, 0.94, -1); style 2: (1, 1.12, 1); else (-1, 1, 0).
void GetStyleConstants(int style, float* a, float* b, float* c);
