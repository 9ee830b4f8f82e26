// theory/chromatic_runs: the chromatic-run gesture. A rising run through all twelve pitch classes
// switches on the every-note-allowed state (remembered per filter tab); a falling run switches it
// off and restores the selection saved by the rising run. Each run is recorded as a pattern event.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "theory/scale_rows.h"

// One detected playing pattern.
struct PatternEvent {
  std::string label;   // "CHROMATIC" for a chromatic run
  uint32_t timeMs;     // arrival time of the note that completed the pattern
};

constexpr int kMaxPatternEvents = 256;
constexpr uint32_t kChromaticPauseMs = 14000;  // a longer pause between notes starts a new run
// A note this soon after the previous one was struck together with it (a forearm cluster, a
// slammed chord, one MIDI cycle): even very fast scale playing leaves 40 ms and more per note, so
// it is never the next step of a run played.
constexpr uint32_t kStruckTogetherMs = 20;

// ---- state ----
extern std::vector<PatternEvent> gPatternEvents;           // oldest first, at most 256
extern bool gAllNotesAllowed;                              // every pitch class counts as in the scale
extern bool gAllNotesAllowedByFilter[kScaleFilterCount];   // that state remembered per filter tab
extern bool gChromaticUnlocked;                            // switched on by a rising run
extern const ScaleRow* gChromaticSavedScale;               // selection saved by the rising run
extern int gChromaticSavedRingPos;
extern float gPatternFlashTimer;                           // display flash, 1.0 after a rising run

// Puts the detector back to its start (no previous note).
void ResetChromaticDetector();
// The detector and every pattern, all-notes and chromatic value back at the start.
void ResetChromaticRuns();
// Feeds one device note-on: MIDI note number and arrival time in ms (32-bit clock).
void DetectChromaticRun(int note, uint32_t timeMs);
// Appends an event, dropping the oldest beyond 256.
void AppendPatternEvent(const PatternEvent& event);
