// theory/chromatic_runs: the run detector fed with every device note-on while no song is loaded.
// Only pitch classes count, so a semitone plus octaves is still a semitone step.
#include "theory/chromatic_runs.h"

#include "app/base/maths.h"
#include "gfx/translate.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- state ----
std::vector<PatternEvent> gPatternEvents;             // oldest first
bool gAllNotesAllowed = false;                        // read by the membership tests
bool gAllNotesAllowedByFilter[kScaleFilterCount] = {};  // copied in by the filter tabs
bool gChromaticUnlocked = false;                      // a falling run may only undo a rising one
const ScaleRow* gChromaticSavedScale = nullptr;       // restored by the falling run
int gChromaticSavedRingPos = -1;
float gPatternFlashTimer = 0.0f;                      // lowered by the main loop

namespace {
// The detector.
int sLastNote = -1;          // previous note of the run, -1 for none
int sDirection = 0;          // +1 rising, -1 falling, 0 not yet known
int sSteps = 0;              // semitone steps in the run
uint16_t sSeen = 0;          // bit p for each pitch class reached
uint32_t sLastTime = 0;      // arrival of the previous note, ms

// ---- internal helpers ----
void Restart(int note, int pc, uint32_t t) {
  sSeen = (uint16_t)(1u << pc);
  sSteps = 0;
  sDirection = 0;
  sLastNote = note;
  sLastTime = t;
}

int SeenCount() {
  int n = 0;
  for (int p = 0; p < 12; ++p)
    if (sSeen & (1u << p)) ++n;
  return n;
}

// The per-filter memory is indexed only with a filter inside the table.
int ClampedFilter() { return gScaleFilter < 0 ? 0 : (gScaleFilter > 7 ? 7 : gScaleFilter); }

int RingPosOrKey(int preferred) {
  if (preferred >= 0 && preferred <= 11) return preferred;
  return SelectedOrKeyRingPos();
}
}  // namespace

// ---- public functions ----
void ResetChromaticDetector() {
  sLastNote = -1;
  sDirection = 0;
  sSteps = 0;
  sSeen = 0;
  sLastTime = 0;
}

void AppendPatternEvent(const PatternEvent& event) {
  gPatternEvents.push_back(event);
  if (gPatternEvents.size() > (size_t)kMaxPatternEvents)
    gPatternEvents.erase(gPatternEvents.begin(),
                         gPatternEvents.begin() + (gPatternEvents.size() - kMaxPatternEvents));
}

void DetectChromaticRun(int note, uint32_t t) {
  int pc = PitchClassMod(note);
  if (sLastNote < 0 || (uint32_t)(t - sLastTime) > kChromaticPauseMs) {
    Restart(note, pc, t);
    return;
  }
  if (note == sLastNote) {
    sLastTime = t;
    return;
  }
  int lastPc = PitchClassMod(sLastNote);
  int step = 0;
  if (PitchClassMod(pc - lastPc) == 1) step = 1;
  else if (PitchClassMod(lastPc - pc) == 1) step = -1;
  // A cluster struck at once is no run played: its notes start over instead of counting as steps.
  bool struckTogether = (uint32_t)(t - sLastTime) < kStruckTogetherMs;
  if (step == 0 || (sDirection != 0 && step != sDirection) || struckTogether) {
    Restart(note, pc, t);
    return;
  }
  sDirection = step;
  ++sSteps;
  sSeen = (uint16_t)(sSeen | (1u << pc));
  sLastNote = note;
  sLastTime = t;
  if (sSteps < 11 || SeenCount() < 12) return;

  AppendPatternEvent({TrLater("CHROMATIC"), t});

  if (sDirection > 0) {
    gChromaticSavedScale = ResolveShownScale();
    gChromaticSavedRingPos = SelectedOrKeyRingPos();
    gAllNotesAllowed = true;
    gAllNotesAllowedByFilter[ClampedFilter()] = true;
    gChromaticUnlocked = true;
    gPatternFlashTimer = 1.0f;
  } else if (gChromaticUnlocked && gAllNotesAllowed) {
    gAllNotesAllowed = false;
    gAllNotesAllowedByFilter[ClampedFilter()] = false;
    const ScaleRow* row = gChromaticSavedScale;
    if (!(IsCatalogueScale(row) && IsValidScaleRow(row))) row = ResolveShownScale();
    int ringPos = RingPosOrKey(gChromaticSavedRingPos >= 0 && gChromaticSavedRingPos <= 11
                                   ? gChromaticSavedRingPos
                                   : gRingPos);
    SelectScale(row, ringPos, true);
    gChromaticUnlocked = false;
  }
  ResetChromaticDetector();
}

void ResetChromaticRuns() {
  ResetChromaticDetector();
  gPatternEvents.clear();
  gAllNotesAllowed = false;
  for (bool& b : gAllNotesAllowedByFilter) b = false;
  gChromaticUnlocked = false;
  gChromaticSavedScale = nullptr;
  gChromaticSavedRingPos = -1;
  gPatternFlashTimer = 0.0f;
}
